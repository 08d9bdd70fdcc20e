#!/usr/bin/env bash
# The run command: installs what is missing, builds the program for the
# architecture this machine runs (build/i686, or build/x86_64 where 32-bit
# programs cannot run; VEXIL_ARCH forces one) and starts it under Wine on the
# current X display, in the build's own Wine prefix.
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
vexil_build_to_run vexil

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
cd "$vexil_bin"
echo "run: $vexil_bin/vexil.exe ($VEXIL_ARCH_WHY)" >&2
exec "$VEXIL_WINE" vexil.exe
