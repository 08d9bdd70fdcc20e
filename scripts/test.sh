#!/usr/bin/env bash
# The test command. From a fresh clone on Debian 12 (as root, or with sudo
# for the packages) it installs what is missing, builds the 32-bit program
# and tests (build/i686) and compiles the 64-bit program as a check
# (build/x86_64), runs every test suite under Wine on a virtual X display of
# its own, in a Wine prefix and server of its own, then the native fuzz
# targets. Safe to run again, also beside scripts/run.sh or another test run;
# exits non-zero when anything failed and ends with a line "N passed, M failed".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=common.sh
source scripts/common.sh
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

run_prefix=""
cleanup() {
    if [ -n "$run_prefix" ]; then
        vexil_wine_end
        rm -rf "$run_prefix"
    fi
    vexil_stop_display
}
trap cleanup EXIT

echo "== Dependencies"
if ! scripts/install-deps.sh; then
    record "install dependencies" 1 no-time
    finish
fi

begin
echo "== Building build/i686"
vexil_configure build/i686 mingw-i686.cmake -DVEXIL_TESTS=ON && vexil_build build/i686
i686=$?
record "build i686" "$i686"
begin
echo "== Building build/x86_64 (the program only)"
vexil_configure build/x86_64 mingw-x86_64.cmake -DVEXIL_TESTS=OFF && vexil_build build/x86_64 vexil
record "build x86_64 (compile check)" $?

if [ "$i686" -ne 0 ]; then
    results+=("skipped the tests: the i686 build failed")
else
    echo "== Tests (Wine, Xvfb $screen)"
    begin
    log="build/i686/ctest.log"
    rm -f "$log"
    vexil_remove_stale_prefixes
    prepared=0
    if vexil_start_display "$screen"; then
        run_prefix="$root/build/test-runs/run-$$"
        # shellcheck source=wine-env.sh
        if source scripts/wine-env.sh --private "$run_prefix"; then
            prepared=1
        else
            echo "test: the Wine prefix could not be prepared" >&2
        fi
    fi
    if [ "$prepared" -eq 1 ]; then
        # The log comes from CTest itself: a pipe to tee could be held open
        # by Wine processes that outlive the run.
        ctest --test-dir build/i686 --output-on-failure --output-log "$log"
        ctest_status=$?
    else
        ctest_status=1
        record "test set-up (display, Wine prefix)" 1
    fi
    count=0
    suites_passed=0
    while IFS= read -r line; do
        # " 1/50 Test  #1: unit.CodedTextDecode ....   Passed" or "..***Failed", "***Timeout"
        if [[ $line =~ Test\ +#[0-9]+:\ ([A-Za-z0-9_.]+)\ [.]*\ *(\*\*\*)?([A-Za-z]+) ]]; then
            count=$((count + 1))
            if [ -z "${BASH_REMATCH[2]}" ] && [ "${BASH_REMATCH[3]}" = Passed ]; then
                suites_passed=$((suites_passed + 1))
            else
                record "${BASH_REMATCH[1]} (${BASH_REMATCH[3]})" 1 no-time
            fi
        fi
    done < <(grep -E 'Test +#[0-9]+:' "$log" 2>/dev/null)
    if [ "$suites_passed" -gt 0 ]; then
        record "$suites_passed of $count test suites" 0
    fi
    if [ "$count" -eq 0 ] || { [ "$ctest_status" -ne 0 ] && [ "$suites_passed" -eq "$count" ]; }; then
        record "ctest (exit $ctest_status, $count suites)" 1 no-time
    fi
    cleanup
    run_prefix=""
fi

echo "== Fuzz targets"
begin
bash tests/fuzz/run.sh
record "fuzz targets" $?

finish
