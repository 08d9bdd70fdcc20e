#!/usr/bin/env bash
# Builds build/i686 and runs the resource soak on a virtual display and in a
# Wine prefix of its own: ROUNDS rounds (default 1000, about 8 minutes) of New, typing,
# painting, Save, Load, Copy, Cut, Paste, About, Help and the Font dialog on
# one running vexil.exe, with the program's GDI objects, windows, handles and
# memory printed after a warm-up round, every 100 rounds and at the end. Exits
# non-zero when a round fails or a figure grew beyond its margin.
#
#   scripts/soak.sh [ROUNDS]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# shellcheck source=common.sh
source scripts/common.sh
scripts/install-deps.sh
vexil_configure build/i686 mingw-i686.cmake -DVEXIL_TESTS=ON
vexil_build build/i686 soak vexil >/dev/null

vexil_run_isolated soak build/i686/bin wine ./soak.exe "${1:-1000}"
