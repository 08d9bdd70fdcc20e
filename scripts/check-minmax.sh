#!/usr/bin/env bash
# Compiles every source once the way Microsoft's compiler sees it after
# <windows.h> without NOMINMAX: with min and max defined as function-like
# macros. The build defines NOMINMAX, but a source that leans on that breaks
# in any project that includes it without; a bare std::min( or
# numeric_limits<T>::max() is then a macro call. Our sources must not depend
# on it, so the macros come after the standard headers (Microsoft's library
# shields its own headers from them, libstdc++ does not) and before our code.
#
# Usage: scripts/check-minmax.sh   (from anywhere; needs the mingw compiler)
# Names each source that does not compile and exits non-zero; ends with one
# summary line.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 1

compiler=""
for candidate in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++ i686-w64-mingw32-g++-posix \
    i686-w64-mingw32-g++; do
    if command -v "$candidate" >/dev/null; then
        compiler="$candidate"
        break
    fi
done
if [ -z "$compiler" ]; then
    echo "min/max macro check: no mingw-w64 C++ compiler (run scripts/install-deps.sh)" >&2
    exit 1
fi

# The program's sources, and the tests', bench's and tools' own when
# GoogleTest's headers are there for them.
gtest_include="${VEXIL_GOOGLETEST_DIR:-/usr/src/googletest}/googletest/include"
mapfile -t sources < <(find src -name '*.cpp' | sort)
if [ -f "$gtest_include/gtest/gtest.h" ]; then
    mapfile -t -O "${#sources[@]}" sources < <(find tests/unit tests/integration tests/e2e tests/support \
        tests/soak bench -name '*.cpp' | sort)
else
    echo "min/max macro check: no GoogleTest headers in $gtest_include; checking src/ only" >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The standard and system headers that the sources use, then the macros
# exactly as the SDK's <minwindef.h> writes them. Test sources get
# GoogleTest's headers before the macros too: only our own code is checked.
# Each of the two is precompiled once, so that a source costs little more
# than its own lines.
headers="$(grep -ho '^[[:space:]]*#[[:space:]]*include[[:space:]]*<[^>]*>' "${sources[@]}" src/*.h \
    src/winlib/*.h tests/*/*.h | sed 's/.*</</' | grep -v '^<gtest/' | sort -u)"
flags=(-std=c++17 -I src -I tests -isystem "$gtest_include")
for variant in plain gtest; do
    {
        echo "#include <windows.h>"
        sed 's/^/#include /' <<<"$headers"
        [ "$variant" = plain ] || echo "#include <gtest/gtest.h>"
        echo "#define max(a,b) (((a) > (b)) ? (a) : (b))"
        echo "#define min(a,b) (((a) < (b)) ? (a) : (b))"
    } >"$work/$variant.h"
    if [ "$variant" = gtest ] && [ ! -f "$gtest_include/gtest/gtest.h" ]; then continue; fi
    if ! "$compiler" "${flags[@]}" -x c++-header "$work/$variant.h" -o "$work/$variant.h.gch" 2>"$work/$variant.log"; then
        cat "$work/$variant.log" >&2
        echo "min/max macro check: the standard and system headers alone do not compile" >&2
        exit 1
    fi
done

check_one() {  # check_one SOURCE: its diagnostics go to a file named after it
    local source="$1" variant=plain
    grep -q '<gtest/gtest.h>' "$source" && variant=gtest
    "$compiler" "${flags[@]}" -fsyntax-only -include "$work/$variant.h" "$source" \
        >"$work/${source//\//_}.log" 2>&1
}

# As many at once as there are cores.
slots="$(nproc 2>/dev/null || echo 2)"
for source in "${sources[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do wait -n; done
    { check_one "$source" || echo "$source" >>"$work/failed"; } &
done
wait
failed=()
[ ! -f "$work/failed" ] || mapfile -t failed < <(sort "$work/failed")

for source in "${failed[@]}"; do
    echo "min/max macro check: $source does not compile with min and max as macros:"
    # Where our code calls the macro, rather than where the macro is defined.
    log="$work/${source//\//_}.log"
    { grep -E 'error|in expansion of macro' "$log" | grep -v "^$work/" || grep -m 3 error "$log"; } |
        head -n 3 | sed 's/^/    /'
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "min/max macro check: ${#sources[@]} sources, ${#failed[@]} do not compile"
    exit 1
fi
echo "min/max macro check: ${#sources[@]} sources, all compile"
