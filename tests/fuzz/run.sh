#!/usr/bin/env bash
# Builds the coded-text and text-encoding fuzz targets natively with clang's
# libFuzzer (address and undefined-behaviour sanitizers) into build/fuzz/ and
# runs each for a bounded time, keeping a corpus per target. Exits non-zero
# when a target cannot be built or any input crashes, hangs or breaks a
# property.
#
#   FUZZ_SECONDS  total fuzzing time, shared by the targets (default 45)
#   FUZZ_CXX      the clang++ to use (default clang++-14, else clang++)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out="$root/build/fuzz"
targets=(fuzz_decode fuzz_encode fuzz_rtf fuzz_encoding)
total=${FUZZ_SECONDS:-45}

cxx=${FUZZ_CXX:-}
if [ -z "$cxx" ]; then
    for candidate in clang++-14 clang++; do
        if command -v "$candidate" >/dev/null; then cxx=$candidate; break; fi
    done
fi
if [ -z "$cxx" ]; then
    echo "fuzz: no clang++ found (set FUZZ_CXX)" >&2
    exit 2
fi
case $total in
    '' | *[!0-9]*) echo "fuzz: FUZZ_SECONDS must be a whole number" >&2; exit 2 ;;
esac
per=$((total / ${#targets[@]}))
[ "$per" -ge 1 ] || per=1

mkdir -p "$out/artifacts"
for target in "${targets[@]}"; do
    echo "fuzz: building $target"
    "$cxx" -std=c++17 -g -O1 -Wall -Wextra \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$root/src" "$root/tests/fuzz/$target.cpp" "$root/src/CodedText.cpp" "$root/src/winlib/TextLines.cpp" \
        "$root/src/RtfText.cpp" "$root/src/TextEncoding.cpp" \
        -o "$out/$target"
done

# A few lines in the writer's and the reader's forms to start from.
seed() {
    local dir=$1
    shift
    [ -n "$(ls -A "$dir")" ] && return 0
    local n=0
    for bytes in "$@"; do
        printf "$bytes" >"$dir/seed$n"
        n=$((n + 1))
    done
}

failed=0
for target in "${targets[@]}"; do
    corpus="$out/corpus/$target"
    mkdir -p "$corpus"
    case $target in
        fuzz_decode) seed "$corpus" 'ab' '\00304,00a\00304,08b' '\002\037\00304,00x' \
            '\0034,12x\00399\003123' '\003,05\003' '\003-1,00a\00304,-1b' 'a\000b\017' ;;
        fuzz_encode) seed "$corpus" 'a\041\000b\101\010\r\000\000' 'c\000\000\n\043\002' ;;
        fuzz_rtf) seed "$corpus" '{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Fixedsys;}}{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\highlight1\\b a\\b0\\ul b\\ulnone\\tab\\par\\u8364?\\'"'"'e9}' \
            'a\001\002b\015\003\003c\000\000\000' ;;
        fuzz_encoding) seed "$corpus" '\003\060\064\342\226\210\342\226\200\r\n' '\357\273\277a\342\226\221' \
            '\377\376\210\045a\000\r\000' '\377\376\000\330\075\330\000\336' ;;
    esac
    case $target in
        fuzz_rtf) dict="$root/tests/fuzz/rtf.dict" ;;
        fuzz_encoding) dict="$root/tests/fuzz/encoding.dict" ;;
        *) dict="$root/tests/fuzz/coded.dict" ;;
    esac
    log="$out/$target.log"
    echo "fuzz: running $target for ${per}s (log $log)"
    status=0
    "$out/$target" -max_total_time="$per" -max_len=4096 -timeout=5 -rss_limit_mb=2048 \
        -dict="$dict" -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$target-" "$corpus" >"$log" 2>&1 || status=$?
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$log" || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
    if [ "$status" -ne 0 ]; then
        echo "fuzz: $target FAILED (exit $status); the end of its log:" >&2
        tail -n 40 "$log" >&2
        failed=1
    fi
done

if [ "$failed" -ne 0 ]; then
    echo "fuzz: findings are in $out/artifacts" >&2
    exit 1
fi
echo "fuzz: all targets ran clean"
