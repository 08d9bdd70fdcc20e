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

scripts/install-deps.sh
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo --no-warn-unused-cli >/dev/null
cmake --build build/i686 --target vexil -j "$(nproc 2>/dev/null || echo 2)"

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
cd build/i686/bin
exec wine vexil.exe
