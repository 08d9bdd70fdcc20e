#!/usr/bin/env bash
# Builds the program for the architecture this machine runs (build/i686, or
# build/x86_64 where 32-bit programs cannot run; VEXIL_ARCH forces one) and runs the benchmark program in the editor's real main
# window on a virtual display of its own, in a Wine prefix of its own: File, Load,
# File, Save, Edit, Copy and Edit, Paste of dense IRC art of about 4 KB, 32 KB
# and 256 KB, beside the rich edit control's own RTF stream-in and stream-out.
#
#   scripts/bench.sh [ROUNDS]     each figure is the median of ROUNDS runs (default 3)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# shellcheck source=common.sh
source scripts/common.sh
scripts/install-deps.sh
vexil_build_to_run vexil_bench

status=0
vexil_run_isolated bench "$vexil_bin" bash -c '
    echo "machine: $(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2- | sed "s/^ *//"), $(nproc) cores; $("$VEXIL_WINE" --version)"
    "$VEXIL_WINE" ./vexil_bench.exe "$1"' bench "${1:-3}" || status=$?
echo "bench: ran ${vexil_bin#"$root"/}/vexil_bench.exe ($VEXIL_ARCH_WHY)$([ "$status" -eq 0 ] || echo "; FAILED (exit $status)")"
exit "$status"
