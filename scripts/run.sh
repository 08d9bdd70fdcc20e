#!/usr/bin/env bash
# The run command: installs what is missing, builds the 32-bit program
# (build/i686) and starts it under Wine on the current X display, in the
# build's own Wine prefix.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if [ -z "${DISPLAY:-}" ]; then
    echo "run: there is no display (DISPLAY is not set), so the editor cannot be shown." >&2
    echo "run: for a picture of it without a display, use scripts/screenshot.sh." >&2
    exit 1
fi

# shellcheck source=common.sh
source scripts/common.sh
scripts/install-deps.sh
vexil_configure build/i686 mingw-i686.cmake
vexil_build build/i686 vexil

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
cd build/i686/bin
exec wine vexil.exe
