# Which Windows architecture this machine runs, and the one place that starts
# Wine (source it). Some machines cannot run 32-bit Linux programs at all
# (the kernel's 32-bit emulation is off), Wine's 32-bit loader included; there
# Debian's `wine` wrapper, which picks that loader whenever wine32 is
# installed, cannot even start a 64-bit Windows program. So nothing here calls
# the wrapper: the loader is chosen by trying it, never by looking at what is
# installed.
#
#   vexil_decide_arch     sets and exports VEXIL_ARCH (i686 or x86_64), the
#                         reason in VEXIL_ARCH_WHY, the loader in VEXIL_WINE
#                         and the server in VEXIL_WINESERVER. VEXIL_ARCH=i686
#                         or VEXIL_ARCH=x86_64 set beforehand forces one; a
#                         forced i686 on a machine that cannot run it fails
#                         with a one-line reason. Decided once and carried to
#                         every process started from here.
#   vexil_wine ARGS...    runs Wine (a program, wineboot, reg ...) through the
#                         chosen loader.
#   vexil_wineserver ARGS...

vexil_wine32_loader="${VEXIL_WINE32_LOADER:-/usr/lib/wine/wine}"
vexil_wine64_loader="${VEXIL_WINE64_LOADER:-/usr/lib/wine/wine64}"

# vexil_try_loader PATH: succeeds when the loader starts; otherwise prints
# why, in the system's or Wine's own words, on stdout.
vexil_try_loader() {
    local loader="$1" out
    if [ ! -e "$loader" ]; then
        echo "$loader is not installed"
        return 1
    fi
    # Started by bash itself, which names an Exec format error as such
    # (timeout and env hand such a file to sh, which reports a syntax error).
    if ! out="$("$loader" --version 2>&1 </dev/null)"; then
        out="$(printf '%s\n' "$out" | sed '/^[[:space:]]*$/d; s/^.*: line [0-9]*: //' | tail -n 1)"
        echo "${out:-$loader --version failed}"
        return 1
    fi
}

vexil_decide_arch() {
    local why32 why64
    # Decided already, for this very choice, by a process above this one.
    if [ -n "${VEXIL_ARCH:-}" ] && [ "${VEXIL_ARCH_DECIDED:-}" = "$VEXIL_ARCH" ] && [ -n "${VEXIL_WINE:-}" ]; then
        return 0
    fi
    case "${VEXIL_ARCH:-}" in
        "" | i686 | x86_64) ;;
        *)
            echo "VEXIL_ARCH=$VEXIL_ARCH: the architectures are i686 and x86_64" >&2
            return 1
            ;;
    esac
    if why32="$(vexil_try_loader "$vexil_wine32_loader")"; then
        why32=""
    fi
    case "${VEXIL_ARCH:-}" in
        i686)
            if [ -n "$why32" ]; then
                echo "VEXIL_ARCH=i686, but this machine cannot run 32-bit programs ($why32)" >&2
                return 1
            fi
            VEXIL_ARCH_WHY="i686: VEXIL_ARCH=i686"
            ;;
        x86_64) VEXIL_ARCH_WHY="x86_64: VEXIL_ARCH=x86_64" ;;
        *)
            if [ -z "$why32" ]; then
                VEXIL_ARCH=i686
                VEXIL_ARCH_WHY="i686: this machine runs 32-bit programs"
            else
                VEXIL_ARCH=x86_64
                VEXIL_ARCH_WHY="x86_64: this machine cannot run 32-bit programs"
            fi
            ;;
    esac
    if [ "$VEXIL_ARCH" = i686 ]; then
        VEXIL_WINE="$vexil_wine32_loader"
        unset WINELOADER
    else
        if ! why64="$(vexil_try_loader "$vexil_wine64_loader")"; then
            echo "Wine's 64-bit loader does not start: $why64" >&2
            return 1
        fi
        VEXIL_WINE="$vexil_wine64_loader"
        # Programs that Wine starts by itself (wineboot's, a test's child
        # process) come through this loader too, not through the wrapper.
        export WINELOADER="$VEXIL_WINE"
    fi
    # The 64-bit server serves both loaders; the 32-bit one only where it runs.
    VEXIL_WINESERVER=""
    local server
    for server in "${VEXIL_WINESERVER_PATH:-}" /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32; do
        [ -n "$server" ] && [ -x "$server" ] || continue
        if timeout 30 "$server" --version >/dev/null 2>&1 </dev/null; then
            VEXIL_WINESERVER="$server"
            break
        fi
    done
    if [ -z "$VEXIL_WINESERVER" ]; then
        echo "no wineserver that starts on this machine (package wine64)" >&2
        return 1
    fi
    VEXIL_ARCH_DECIDED="$VEXIL_ARCH"
    export VEXIL_ARCH VEXIL_ARCH_WHY VEXIL_ARCH_DECIDED VEXIL_WINE VEXIL_WINESERVER
}

vexil_wine() {
    "$VEXIL_WINE" "$@"
}

vexil_wineserver() {
    "$VEXIL_WINESERVER" "$@"
}
