#!/usr/bin/env bash
# The build's own Wine environment (never ~/.wine).
#   source scripts/wine-env.sh          exports it and prepares the prefix
#   scripts/wine-env.sh COMMAND ARGS... the same, then runs COMMAND in it
#                                       (CTest runs the test programs this way)
# The prefix is build/wineprefix unless VEXIL_WINEPREFIX names another. It is
# set up once (a stamp file marks it ready); later calls only make sure that
# a warm wineserver is running.

vexil_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

export WINEPREFIX="${VEXIL_WINEPREFIX:-$vexil_root/build/wineprefix}"
export WINEDEBUG="${VEXIL_WINEDEBUG:--all}"
# No Mono or Gecko installer prompts.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A 64-bit prefix runs the 32-bit program as well as the 64-bit build.
export WINEARCH=win64

# Bump when the set-up below changes, so that old prefixes get it too.
vexil_prefix_stamp="$WINEPREFIX/.vexil-prefix-v2"
# The size of the prefix's virtual desktop (see below).
vexil_desktop_size="${VEXIL_DESKTOP_SIZE:-1280x1024}"

vexil_fonts_dir() {
    local font
    font="$(dpkg -L fonts-wine 2>/dev/null | grep -m1 '/vgafix\.fon$' || true)"
    if [ -n "$font" ]; then
        dirname "$font"
    else
        echo /usr/share/wine/fonts
    fi
}

vexil_reg_add() {
    wine reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null 2>&1 \
        || { echo "wine reg add $1 $2 failed" >&2; return 1; }
}

vexil_wine_setup() {
    local fonts target name
    wineserver -p600 </dev/null >/dev/null 2>&1 || true
    # A prefix that Wine has already made needs only the steps after this.
    if [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
        echo "Setting up the Wine prefix $WINEPREFIX (once, about 20 s)" >&2
        wineboot -i </dev/null >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
    fi

    # Debian's Wine does not load its own bitmap fonts from its data folder:
    # without these, Fixedsys, MS Sans Serif and System all fall back to a
    # proportional face and the caption buttons show letters.
    fonts="$(vexil_fonts_dir)"
    target="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$target"
    for name in vgafix.fon sserife.fon vgasys.fon marlett.ttf; do
        if [ ! -f "$fonts/$name" ]; then
            echo "missing $fonts/$name (package fonts-wine)" >&2
            return 1
        fi
        cp -f "$fonts/$name" "$target/"
    done

    # A crashing program must end with a backtrace on stderr, not wait for
    # someone to close the crash dialog on a display nobody sees.
    vexil_reg_add 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 || return 1
    # Every program of the prefix runs in a virtual desktop that Wine draws
    # itself. Windows then get their frames and captions as on Windows, and
    # no time is lost waiting for a window manager: on a bare X server Wine
    # waits about 2 s for one each time a top-level window is hidden.
    vexil_reg_add 'HKCU\Software\Wine\Explorer' Desktop REG_SZ Default || return 1
    vexil_reg_add 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ "$vexil_desktop_size" \
        || return 1
    touch "$vexil_prefix_stamp"
}

vexil_wine_prepare() {
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$vexil_prefix_stamp" ]; then
        # One set-up at a time when several runs start together. It runs
        # without a display and ends with a fresh server: the desktop process
        # that it starts would otherwise linger without a display (no window
        # can be made until it gives up) and keep the desktop settings it
        # read before they were written (Wine then stalls 10 s at the first
        # window of every later X session).
        (
            flock 9
            unset DISPLAY
            if [ ! -f "$vexil_prefix_stamp" ]; then
                vexil_wine_setup || exit 1
                wineserver -k 2>/dev/null || true
                wineserver -w 2>/dev/null || true
            fi
        ) 9>"$WINEPREFIX.lock" || return 1
    fi
    # A warm server: it stays ten minutes after the last program, which keeps
    # Wine's start-up under a second. Starting one fails harmlessly when a
    # server is already running for this prefix.
    if wineserver -p600 </dev/null >/dev/null 2>&1 && [ -n "${DISPLAY:-}" ]; then
        # The first program of a new server starts Wine's own services, which
        # then live as long as the server and keep that program's stderr open:
        # a caller reading it through a pipe (CTest, "| tee", CI) would wait
        # for the server's ten minutes. Start them here on /dev/null instead.
        # Only with a display: the desktop process starts with them, and one
        # without a display makes every window fail until it gives up.
        wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    vexil_wine_prepare
    if [ $# -gt 0 ]; then
        exec "$@"
    fi
else
    vexil_wine_prepare
fi
