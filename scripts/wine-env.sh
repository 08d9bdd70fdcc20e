#!/usr/bin/env bash
# The build's own Wine environment (never ~/.wine).
#   source scripts/wine-env.sh          exports it and prepares the prefix
#   scripts/wine-env.sh COMMAND ARGS... the same, then runs COMMAND in it
#   scripts/wine-env.sh --wine PROGRAM ARGS...
#                                       the same, then runs the Windows PROGRAM
#                                       through the loader that this machine
#                                       runs (CTest runs the test programs so)
# The prefix is VEXIL_WINEPREFIX, else VEXIL_DEFAULT_WINEPREFIX (set by the
# build for its tests), else build/wineprefix. It is set up once (a stamp file
# marks it ready); later calls only make sure that a warm wineserver is
# running. Every step that waits on Wine is bounded in time.
#
#   source scripts/wine-env.sh --private DIR
#                                       makes DIR a prefix of its own, copied
#                                       from the prepared one, with a server of
#                                       its own: windows, clipboard and the
#                                       transfer file of whatever runs there are
#                                       nobody else's (the test runs use this)
#
# Wine itself is started only through scripts/wine-loader.sh (vexil_wine,
# vexil_wineserver), which knows which loader this machine can run.

vexil_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=wine-loader.sh
source "$vexil_root/scripts/wine-loader.sh"

vexil_base_prefix="${VEXIL_WINEPREFIX:-${VEXIL_DEFAULT_WINEPREFIX:-$vexil_root/build/wineprefix}}"
export WINEPREFIX="$vexil_base_prefix"
export WINEDEBUG="${VEXIL_WINEDEBUG:--all}"
# No Mono or Gecko installer prompts.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A 64-bit prefix runs the 32-bit program as well as the 64-bit build.
export WINEARCH=win64

# Bump when the set-up below changes, so that old prefixes get it too.
vexil_prefix_stamp_name=".vexil-prefix-v2"
# The size of the prefix's virtual desktop (see below).
vexil_desktop_size="${VEXIL_DESKTOP_SIZE:-1280x1024}"

# vexil_bounded SECONDS COMMAND...: the command, ended when it takes longer.
vexil_bounded() {
    local seconds="$1"
    shift
    timeout --kill-after=10 "$seconds" "$@"
}

vexil_fonts_dir() {
    local font
    font="$(dpkg -L fonts-wine 2>/dev/null | grep -m1 '/vgafix\.fon$' || true)"
    if [ -n "$font" ]; then
        dirname "$font"
    else
        echo /usr/share/wine/fonts
    fi
}

# vexil_said LOG: the last line that Wine wrote there, for a one-line reason.
vexil_said() {
    local line
    line="$(sed '/^[[:space:]]*$/d' "$1" 2>/dev/null | tail -n 1)"
    echo "${line:-it printed nothing}"
}

vexil_reg_add() {
    local log="$WINEPREFIX.setup.log"
    vexil_bounded 120 "$VEXIL_WINE" reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null >"$log" 2>&1 \
        || { echo "wine reg add $1 $2 failed: $(vexil_said "$log")" >&2; return 1; }
}

vexil_wine_setup() {
    local fonts target name status log="$WINEPREFIX.setup.log"
    vexil_bounded 60 "$VEXIL_WINESERVER" -p600 </dev/null >/dev/null 2>&1 || true
    # A prefix that Wine has already made needs only the steps after this.
    if [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
        echo "Setting up the Wine prefix $WINEPREFIX (once, about 20 s)" >&2
        status=0
        vexil_bounded 300 "$VEXIL_WINE" wineboot -i </dev/null >"$log" 2>&1 || status=$?
        if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
            echo "wineboot took over 300 s (log: $log)" >&2
            return 1
        elif [ "$status" -ne 0 ]; then
            echo "wineboot failed (exit $status): $(vexil_said "$log")" >&2
            return 1
        fi
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
    touch "$WINEPREFIX/$vexil_prefix_stamp_name"
}

# The prefix set up, once.
vexil_wine_setup_once() {
    local stamp="$WINEPREFIX/$vexil_prefix_stamp_name"
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$stamp" ]; then
        # One set-up at a time when several runs start together. It runs
        # without a display and ends with a fresh server: the desktop process
        # that it starts would otherwise linger without a display (no window
        # can be made until it gives up) and keep the desktop settings it
        # read before they were written (Wine then stalls 10 s at the first
        # window of every later X session).
        # A set-up that fails ends the server it started as well: one left
        # behind would hold the prefix for whoever comes next.
        (
            if ! flock -n 9; then
                echo "waiting for another set-up of $WINEPREFIX (at most 900 s)" >&2
                flock -w 900 9 || { echo "another set-up of $WINEPREFIX holds its lock" >&2; exit 1; }
            fi
            unset DISPLAY
            if [ ! -f "$stamp" ]; then
                status=0
                fresh=0
                [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] || fresh=1
                vexil_wine_setup || status=1
                vexil_bounded 60 "$VEXIL_WINESERVER" -k 2>/dev/null || true
                vexil_bounded 60 "$VEXIL_WINESERVER" -w 2>/dev/null || true
                # A half-made prefix would pass for a made one next time.
                if [ "$status" -ne 0 ] && [ "$fresh" -eq 1 ]; then
                    rm -rf "$WINEPREFIX"
                fi
                exit "$status"
            fi
        ) 9>"$WINEPREFIX.lock" || return 1
    fi
}

vexil_wine_prepare() {
    vexil_decide_arch || return 1
    vexil_wine_setup_once || return 1
    # A warm server: it stays ten minutes after the last program, which keeps
    # Wine's start-up under a second. Starting one fails harmlessly when a
    # server is already running for this prefix.
    if vexil_bounded 60 "$VEXIL_WINESERVER" -p600 </dev/null >/dev/null 2>&1 && [ -n "${DISPLAY:-}" ]; then
        # The first program of a new server starts Wine's own services, which
        # then live as long as the server and keep that program's stderr open:
        # a caller reading it through a pipe (CTest, "| tee", CI) would wait
        # for the server's ten minutes. Start them here on /dev/null instead.
        # Only with a display: the desktop process starts with them, and one
        # without a display makes every window fail until it gives up.
        vexil_bounded 120 "$VEXIL_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
    fi
}

# vexil_wine_private_prefix DIR
# Prepares the prefix above, then makes DIR a copy of it and the prefix of
# this shell from then on. Wine's program files are hard links (they are only
# read); everything else (registry, settings, c:\txtbuff) is a copy of its own.
# The copy is on the same file system, so it costs well under a second.
vexil_wine_private_prefix() {
    local dir="$1" base="$WINEPREFIX" file
    vexil_decide_arch || return 1
    vexil_wine_setup_once || return 1
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    cp -al "$base" "$dir" || return 1
    rm -f "$dir/wineserver"  # the server's folder is found anew for this prefix
    (
        cd "$dir" || exit 1
        find . -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.nls' -o -iname '*.drv' \
            -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' \
            -o -iname '*.fon' -o -iname '*.ttf' \) -print0 |
            while IFS= read -r -d '' file; do
                cp -p --remove-destination "$base/$file" "$file" || exit 1
            done
    ) || return 1
    export VEXIL_WINEPREFIX="$dir" WINEPREFIX="$dir"
    vexil_wine_prepare
}

# Ends every program of this shell's prefix and its server.
vexil_wine_end() {
    [ -n "${VEXIL_WINESERVER:-}" ] || return 0
    vexil_bounded 30 "$VEXIL_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    vexil_bounded 30 "$VEXIL_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    vexil_wine_prepare
    if [ "${1:-}" = "--wine" ]; then
        shift
        exec "$VEXIL_WINE" "$@"
    elif [ $# -gt 0 ]; then
        exec "$@"
    fi
elif [ "${1:-}" = "--private" ] && [ -n "${2:-}" ]; then
    # source scripts/wine-env.sh --private DIR
    vexil_wine_private_prefix "$2"
else
    vexil_wine_prepare
fi
