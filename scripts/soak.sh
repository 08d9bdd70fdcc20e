#!/usr/bin/env bash
# Builds build/i686 and runs the resource soak under Xvfb in the build's Wine
# prefix: ROUNDS rounds (default 1000, about 8 minutes) of New, typing,
# painting, Save, Load, Copy, Cut, Paste, About, Help and the Font dialog on
# one running vexil.exe, with the program's GDI objects, windows, handles and
# memory printed after a warm-up round, every 100 rounds and at the end. Exits
# non-zero when a round fails or a figure grew beyond its margin.
#
#   scripts/soak.sh [ROUNDS]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/i686 --target soak vexil -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

cd build/i686/bin
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$root/scripts/wine-env.sh" wine ./soak.exe "${1:-1000}"
