#!/usr/bin/env bash
# The test command. From a fresh clone on Debian 12 (as root, or with sudo
# for the packages) it installs what is missing, builds both programs
# (build/i686 and build/x86_64) and checks them, builds the tests for the
# architecture that this machine runs (i686 where 32-bit programs run,
# otherwise x86_64; VEXIL_ARCH=i686 or x86_64 forces one), runs every test
# suite under Wine on a virtual X display of its own, in a Wine prefix and
# server of its own, then the native fuzz targets. Safe to run again, also beside scripts/run.sh or another test run;
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

echo "== Architecture"
if ! vexil_decide_arch; then
    record "choose the architecture (see the line above)" 1 no-time
    finish
fi
arch="$VEXIL_ARCH"
echo "testing the $arch build ($VEXIL_ARCH_WHY)"

# Both programs are built and checked, whichever one this machine can run;
# the tests are built for, and run on, that one.
built=0
for build_arch in i686 x86_64; do
    begin
    if [ "$build_arch" = "$arch" ]; then
        echo "== Building build/$build_arch (the program and its tests)"
        vexil_configure "build/$build_arch" "mingw-$build_arch.cmake" -DVEXIL_TESTS=ON &&
            vexil_build "build/$build_arch"
        status=$?
        [ "$status" -ne 0 ] || built=1
        record "build $build_arch (the program and its tests)" "$status"
    else
        echo "== Building build/$build_arch (the program only)"
        vexil_configure "build/$build_arch" "mingw-$build_arch.cmake" -DVEXIL_TESTS=OFF &&
            vexil_build "build/$build_arch" vexil
        status=$?
        record "build $build_arch (the program only)" "$status"
    fi
    if [ "$status" -eq 0 ]; then
        begin
        vexil_check_program "$build_arch"
        record "check build/$build_arch/bin/vexil.exe" $? no-time
    fi
done

# Microsoft's windows.h defines min and max as macros: every source must
# compile with them, whatever NOMINMAX the build sets.
begin
echo "== Sources with min and max as macros"
bash scripts/check-minmax.sh
record "sources compile with min and max as macros" $?

if [ "$built" -ne 1 ]; then
    results+=("skipped the tests: the $arch build failed")
else
    echo "== Tests (build/$arch, Wine, Xvfb $screen)"
    begin
    log="build/$arch/ctest.log"
    rm -f "$log"
    vexil_remove_stale_prefixes
    prepared=0
    setup_log="build/$arch/test-setup.log"
    if vexil_start_display "$screen" 2>"$setup_log"; then
        run_prefix="$root/build/test-runs/run-$$"
        # shellcheck source=wine-env.sh
        if source scripts/wine-env.sh --private "$run_prefix" 2>"$setup_log"; then
            prepared=1
        fi
    fi
    cat "$setup_log" >&2
    if [ "$prepared" -eq 1 ]; then
        # The log comes from CTest itself: a pipe to tee could be held open
        # by Wine processes that outlive the run.
        # A suite that fails is run once more and counts by its last run; the
        # summary names it, so that a flaky suite is seen, not hidden.
        ctest --test-dir "build/$arch" --output-on-failure --repeat until-pass:2 --output-log "$log"
        ctest_status=$?
    else
        ctest_status=1
        record "test set-up: $(sed '/^[[:space:]]*$/d' "$setup_log" | tail -n 1)" 1 no-time
    fi
    # " 1/50 Test  #1: unit.CodedTextDecode ....   Passed" or "..***Failed", "***Timeout"
    declare -A last_status=() failed_once=()
    names=()
    while IFS= read -r line; do
        if [[ $line =~ Test\ +#[0-9]+:\ ([A-Za-z0-9_.]+)\ [.]*\ *(\*\*\*)?([A-Za-z]+) ]]; then
            name="${BASH_REMATCH[1]}"
            [ -n "${last_status[$name]+set}" ] || names+=("$name")
            if [ -z "${BASH_REMATCH[2]}" ] && [ "${BASH_REMATCH[3]}" = Passed ]; then
                last_status[$name]=Passed
            else
                last_status[$name]="${BASH_REMATCH[3]}"
                failed_once[$name]=1
            fi
        fi
    done < <(grep -E 'Test +#[0-9]+:' "$log" 2>/dev/null)
    count=${#names[@]}
    suites_passed=0
    for name in "${names[@]}"; do
        if [ "${last_status[$name]}" = Passed ]; then
            suites_passed=$((suites_passed + 1))
            [ -z "${failed_once[$name]+set}" ] || results+=("note    $name failed once, then passed when run again")
        else
            record "$name (${last_status[$name]})" 1 no-time
        fi
    done
    if [ "$suites_passed" -gt 0 ]; then
        record "$suites_passed of $count test suites ($VEXIL_ARCH_WHY)" 0
    fi
    if [ "$prepared" -eq 1 ] &&
        { [ "$count" -eq 0 ] || { [ "$ctest_status" -ne 0 ] && [ "$suites_passed" -eq "$count" ]; }; }; then
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
