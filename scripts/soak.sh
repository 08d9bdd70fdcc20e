#!/usr/bin/env bash
# Builds the program for the architecture this machine runs (build/i686, or
# build/x86_64 where 32-bit programs cannot run; VEXIL_ARCH forces one) and
# runs the resource soak on a virtual display and in a
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
vexil_build_to_run soak vexil

status=0
vexil_run_isolated soak "$vexil_bin" "$VEXIL_WINE" ./soak.exe "${1:-1000}" || status=$?
echo "soak: ran ${vexil_bin#"$root"/}/soak.exe ($VEXIL_ARCH_WHY); $([ "$status" -eq 0 ] && echo passed || echo "FAILED (exit $status)")"
exit "$status"
