# Shared by the scripts in this folder (source it): configuring and building
# a build folder, and a private virtual X display that starts within a bounded
# time and goes when the script ends.

vexil_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=wine-loader.sh
source "$vexil_root/scripts/wine-loader.sh"

vexil_jobs() { nproc 2>/dev/null || echo 2; }

# vexil_build_to_run TARGET...: configures build/ARCH for the architecture
# that this machine runs (vexil_decide_arch) and builds TARGETs there; the
# folder is then in vexil_bin. Says which build it runs, and why.
vexil_bin=""
vexil_build_to_run() {
    vexil_decide_arch || return 1
    local dir="build/$VEXIL_ARCH"
    echo "Building $dir ($VEXIL_ARCH_WHY)" >&2
    vexil_configure "$vexil_root/$dir" "mingw-$VEXIL_ARCH.cmake" -DVEXIL_TESTS=ON || return 1
    vexil_build "$vexil_root/$dir" "$@" >/dev/null || return 1
    vexil_bin="$vexil_root/$dir/bin"
}

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
    vexil_decide_arch || return 1
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
        [ -z "${VEXIL_WINESERVER:-}" ] || WINEPREFIX="$dir" timeout 30 "$VEXIL_WINESERVER" -k 2>/dev/null || true
        rm -rf "$dir"
    done
}

# vexil_check_program ARCH: build/ARCH/bin/vexil.exe is a Windows GUI program
# for ARCH (PE32 for i686, PE32+ for x86_64) that imports only Windows' own
# DLLs, so that it runs on a bare Windows as it is. Says what it found.
vexil_check_program() {
    local arch="$1" exe="$vexil_root/build/$1/bin/vexil.exe" headers format dll bad=""
    local want_format="pei-i386" kind="PE32" objdump="i686-w64-mingw32-objdump"
    if [ "$arch" = x86_64 ]; then
        want_format="pei-x86-64" kind="PE32+" objdump="x86_64-w64-mingw32-objdump"
    fi
    if ! headers="$("$objdump" -p "$exe" 2>&1)"; then
        echo "check: $exe cannot be read: $(tail -n 1 <<<"$headers")" >&2
        return 1
    fi
    format="$(sed -n 's/.*file format \(.*\)$/\1/p' <<<"$headers" | head -n 1)"
    if [ "$format" != "$want_format" ]; then
        echo "check: $exe is $format, not $want_format" >&2
        return 1
    fi
    if ! grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$headers"; then
        echo "check: $exe is not a Windows GUI program" >&2
        return 1
    fi
    while read -r dll; do
        case "${dll,,}" in
            kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | shell32.dll | ole32.dll | \
                advapi32.dll | msvcrt.dll | version.dll) ;;
            *) bad+=" $dll" ;;
        esac
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    if [ -n "$bad" ]; then
        echo "check: $exe imports DLLs that are not Windows' own:$bad" >&2
        return 1
    fi
    echo "check: build/$arch/bin/vexil.exe is a $kind ($format) Windows GUI program importing only Windows' own DLLs"
}
