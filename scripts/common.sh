# Shared by the scripts in this folder (source it): configuring and building
# a build folder, and a private virtual X display that starts within a bounded
# time and goes when the script ends.

vexil_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

vexil_jobs() { nproc 2>/dev/null || echo 2; }

# vexil_configure DIR TOOLCHAIN [CMAKE ARGUMENTS...]
# Quiet; on failure the configure log is shown and the call fails.
vexil_configure() {
    local dir="$1" toolchain="$2"
    shift 2
    mkdir -p "$(dirname "$dir")"
    cmake -S "$vexil_root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$vexil_root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo --no-warn-unused-cli "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log" >&2; return 1; }
}

# vexil_build DIR [TARGET...]: all targets when none is named.
vexil_build() {
    local dir="$1" target
    shift
    local targets=()
    for target in "$@"; do targets+=(--target "$target"); done
    cmake --build "$dir" -j "$(vexil_jobs)" "${targets[@]}"
}

vexil_display_pid=""

# vexil_start_display [WIDTHxHEIGHTxDEPTH]
# Starts Xvfb on a display number of its own choosing (no race with other
# runs for a number) and exports DISPLAY once the server takes connections.
# Fails after 30 s. The caller stops it with vexil_stop_display (an EXIT trap).
vexil_start_display() {
    local screen="${1:-1280x1024x24}" number="" numberfile
    if ! command -v Xvfb >/dev/null; then
        echo "no Xvfb (package xvfb); run scripts/install-deps.sh" >&2
        return 1
    fi
    numberfile="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numberfile" </dev/null >/dev/null 2>&1 &
    vexil_display_pid=$!
    local tenths
    for ((tenths = 0; tenths < 300; tenths++)); do
        number="$(tr -dc 0-9 <"$numberfile")"
        [ -n "$number" ] && break
        kill -0 "$vexil_display_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numberfile"
    if [ -z "$number" ]; then
        echo "the virtual display (Xvfb $screen) did not start within 30 s" >&2
        vexil_stop_display
        return 1
    fi
    export DISPLAY=":$number"
}

vexil_stop_display() {
    [ -n "$vexil_display_pid" ] || return 0
    kill "$vexil_display_pid" 2>/dev/null || true
    local tenths
    for ((tenths = 0; tenths < 50; tenths++)); do
        kill -0 "$vexil_display_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$vexil_display_pid" 2>/dev/null || true
    wait "$vexil_display_pid" 2>/dev/null || true
    vexil_display_pid=""
}

# vexil_run_isolated NAME DIR COMMAND...
# Runs COMMAND in DIR on a virtual display of its own (of size VEXIL_SCREEN,
# default 1280x1024x24) and in a Wine prefix
# and server of its own (build/test-runs/NAME-PID, removed afterwards), so
# that nothing else running (scripts/run.sh, a test run) can take its
# windows, clipboard or transfer file. Returns the command's status.
vexil_run_isolated() {
    local name="$1" dir="$2" status=0
    shift 2
    vexil_remove_stale_prefixes
    vexil_start_display "${VEXIL_SCREEN:-1280x1024x24}" || return 1
    (
        # shellcheck source=wine-env.sh
        source "$vexil_root/scripts/wine-env.sh" --private "$vexil_root/build/test-runs/$name-$$" || exit 1
        cd "$dir" || exit 1
        "$@" || status=$?
        vexil_wine_end
        exit "$status"
    ) || status=$?
    rm -rf "$vexil_root/build/test-runs/$name-$$"
    vexil_stop_display
    return "$status"
}

# Private prefixes of earlier runs that were killed before they could remove
# them (their names end in the process id of the run).
vexil_remove_stale_prefixes() {
    local dir pid
    for dir in "$vexil_root"/build/test-runs/*-*; do
        [ -d "$dir" ] || continue
        pid="${dir##*-}"
        kill -0 "$pid" 2>/dev/null && continue
        WINEPREFIX="$dir" timeout 30 wineserver -k 2>/dev/null || true
        rm -rf "$dir"
    done
}
