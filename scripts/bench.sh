#!/usr/bin/env bash
# Builds build/i686 and runs the benchmark program in the editor's real main
# window under Xvfb (inside the build's Wine prefix and desktop): File, Load,
# File, Save, Edit, Copy and Edit, Paste of dense IRC art of about 4 KB, 32 KB
# and 256 KB, beside the rich edit control's own RTF stream-in and stream-out.
#
#   scripts/bench.sh [ROUNDS]     each figure is the median of ROUNDS runs (default 3)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/i686 --target vexil_bench -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

cd build/i686/bin
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores; $(wine --version 2>/dev/null || echo wine)"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$root/scripts/wine-env.sh" wine ./vexil_bench.exe "${1:-3}"
