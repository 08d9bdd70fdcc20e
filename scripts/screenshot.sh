#!/usr/bin/env bash
# Takes a picture of the editor without a display: builds the program for the
# architecture this machine runs (build/i686, or build/x86_64 where 32-bit
# programs cannot run; VEXIL_ARCH forces one), starts
# vexil.exe on a virtual display of its own (Xvfb), in a Wine prefix of its
# own, inside a Wine desktop (which draws the window frames),
# waits for its main window, optionally drives it to a state, saves a PNG of
# the screen and closes the program.
#
#   scripts/screenshot.sh [--drive DRIVER] [OUTPUT.png]     (default build/screenshot.png)
#
# DRIVER runs after the main window has appeared, on the same display and
# Wine desktop, before the picture is taken. It is a Windows program (*.exe,
# run through Wine) or a shell command. To bring the editor into a state for a
# picture, write a small script that calls the automation tool, e.g.
#
#   #!/usr/bin/env bash
#   "$VEXIL_WINE" "$VEXIL_AUTOMATE" menu "$VEXIL_CAPTION" FN       # File, New
#   "$VEXIL_WINE" "$VEXIL_AUTOMATE" type "$VEXIL_CAPTION" "Hello"
#
# and pass it with --drive; '"$VEXIL_WINE" "$VEXIL_AUTOMATE"' alone lists the commands
# (menus, typing, keys, clicks, message boxes, file and font dialogs). A
# driver built on tests/support/Automation.h must first call
# automation::UseDesktop(getenv("VEXIL_DESKTOP")) to see the editor's windows.
# VEXIL_WINE is Wine's loader for this machine: never call the `wine` wrapper,
# which cannot start anything where 32-bit programs cannot run.
# The driver sees VEXIL_WINE, VEXIL_AUTOMATE (automate.exe), VEXIL_CAPTION (the main
# window's caption), VEXIL_DESKTOP (the Wine desktop's name), VEXIL_BIN (the
# folder of vexil.exe) and the Wine environment of scripts/wine-env.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
caption="Vexil Version 2.00 Release Version"
desktop_size="1024x768"

usage() {
    sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//' >&2
    exit 2
}

if [ "${1:-}" = "--inside" ]; then
    # Second half: runs on the private display and prefix, the arguments checked.
    out="$2"
    driver="$3"
    bin="$4"
    export VEXIL_AUTOMATE="$bin/automate.exe" VEXIL_CAPTION="$caption"
    export VEXIL_DESKTOP="shot" VEXIL_BIN="$bin"
    log="$root/build/screenshot.log"

    # shellcheck source=wine-env.sh
    source "$root/scripts/wine-env.sh"
    cd "$bin"
    "$VEXIL_WINE" explorer "/desktop=$VEXIL_DESKTOP,$desktop_size" vexil.exe </dev/null >"$log" 2>&1 &
    editor=$!

    status=0
    if ! "$VEXIL_WINE" automate.exe --timeout 30000 wait "$caption"; then
        echo "screenshot: the editor's window did not appear (see $log)" >&2
        status=1
    fi
    if [ "$status" -eq 0 ] && [ -n "$driver" ]; then
        echo "screenshot: driving with $driver"
        case "$driver" in
            *.exe) "$VEXIL_WINE" "$driver" || status=$? ;;
            *) bash -c "$driver" || status=$? ;;
        esac
        [ "$status" -eq 0 ] || echo "screenshot: the driver failed (exit $status)" >&2
    fi
    if [ "$status" -eq 0 ]; then
        sleep 1  # let the last input repaint
        import -window root "$out"
        echo "screenshot: saved $out ($bin/vexil.exe; $VEXIL_ARCH_WHY)"
    fi

    # Close it; end it when a dialog or a hang keeps it from closing.
    if ! "$VEXIL_WINE" automate.exe --timeout 5000 close "$caption" 2>/dev/null; then
        "$VEXIL_WINE" automate.exe end "$caption" 2>/dev/null || true
    fi
    for _ in $(seq 50); do
        kill -0 "$editor" 2>/dev/null || break
        sleep 0.1
    done
    kill "$editor" 2>/dev/null || true
    wait "$editor" 2>/dev/null || true
    exit "$status"
fi

out="$root/build/screenshot.png"
driver=""
while [ $# -gt 0 ]; do
    case "$1" in
        --drive)
            [ $# -ge 2 ] || usage
            driver="$2"
            shift 2
            ;;
        -h | --help) usage ;;
        -*) usage ;;
        *)
            out="$1"
            shift
            ;;
    esac
done
# Relative to where the caller stands, not to where the program runs.
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
case "$driver" in
    "" | /*) ;;
    *) [ -e "$driver" ] && driver="$PWD/$driver" ;;
esac
mkdir -p "$(dirname "$out")"

cd "$root"
# shellcheck source=common.sh
source scripts/common.sh
scripts/install-deps.sh
vexil_build_to_run vexil automate

VEXIL_SCREEN="${desktop_size}x24" vexil_run_isolated shot "$root" \
    bash "$root/scripts/screenshot.sh" --inside "$out" "$driver" "$vexil_bin"
