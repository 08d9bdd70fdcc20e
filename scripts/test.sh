#!/usr/bin/env bash
# The test command. From a fresh clone on Debian 12 (as root, or with sudo
# for the packages) it installs what is missing, builds the 32-bit program
# and tests (build/i686) and the 64-bit ones as a compile check
# (build/x86_64), runs every test program under Wine on a virtual X display,
# then the native fuzz targets. Safe to run again; exits non-zero when
# anything failed and ends with a line "N passed, M failed".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"
screen="1280x1024x24"

results=()
passed=0
failed=0
step_start=$SECONDS
begin() { step_start=$SECONDS; }
record() {  # record NAME STATUS [no-time]
    local took=" ($((SECONDS - step_start)) s)"
    [ -z "${3:-}" ] || took=""
    if [ "$2" -eq 0 ]; then
        results+=("passed  $1$took")
        passed=$((passed + 1))
    else
        results+=("FAILED  $1$took")
        failed=$((failed + 1))
    fi
}

finish() {
    echo
    echo "== Summary"
    local line
    for line in "${results[@]}"; do echo "  $line"; done
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

build() {  # build DIR TOOLCHAIN
    echo "== Building $1"
    cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="cmake/$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVEXIL_TESTS=ON --no-warn-unused-cli >"$1.configure.log" 2>&1 \
        || { cat "$1.configure.log" >&2; return 1; }
    cmake --build "$1" -j "$jobs"
}

echo "== Dependencies"
if ! scripts/install-deps.sh; then
    record "install dependencies" 1 no-time
    finish
fi

mkdir -p build
begin
build build/i686 mingw-i686.cmake
i686=$?
record "build i686" "$i686"
begin
build build/x86_64 mingw-x86_64.cmake
record "build x86_64 (compile check)" $?

if [ "$i686" -ne 0 ]; then
    results+=("skipped the tests: the i686 build failed")
else
    echo "== Tests (Wine, Xvfb $screen)"
    begin
    log="build/i686/ctest.log"
    rm -f "$log"
    # The prefix is prepared on the virtual display, so that Wine's desktop
    # process starts with it. The log comes from CTest itself: a pipe to tee
    # could be held open by Wine processes that outlive the run.
    xvfb-run -a -s "-screen 0 $screen" bash -c '
        source scripts/wine-env.sh || { echo "test: the Wine prefix could not be prepared" >&2; exit 1; }
        exec ctest --test-dir build/i686 --output-on-failure --output-log "$1"' prepare "$log"
    ctest_status=$?
    count=0
    while IFS= read -r line; do
        # "1/3 Test #1: unit_tests .....   Passed" or "..***Failed", "***Timeout"
        if [[ $line =~ Test\ +#[0-9]+:\ ([A-Za-z0-9_]+)\ [.]*\ *(\*\*\*)?([A-Za-z]+) ]]; then
            count=$((count + 1))
            if [ -z "${BASH_REMATCH[2]}" ] && [ "${BASH_REMATCH[3]}" = Passed ]; then
                record "${BASH_REMATCH[1]}" 0 no-time
            else
                record "${BASH_REMATCH[1]}" 1 no-time
            fi
        fi
    done < <(grep -E 'Test +#[0-9]+:' "$log" 2>/dev/null)
    if [ "$count" -eq 0 ] || { [ "$ctest_status" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
        record "ctest (exit $ctest_status, $count test programs)" 1 no-time
    fi
fi

if [ -x tests/fuzz/run.sh ] || [ -f tests/fuzz/run.sh ]; then
    echo "== Fuzz targets"
    begin
    bash tests/fuzz/run.sh
    record "fuzz targets" $?
elif compgen -G "tests/fuzz/*.cpp" >/dev/null; then
    echo "== Fuzz targets: tests/fuzz has sources but no run.sh; not run"
fi

finish
