#!/usr/bin/env bash
# Builds build/i686 and runs the benchmark program in the editor's real main
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
vexil_configure build/i686 mingw-i686.cmake -DVEXIL_TESTS=ON
vexil_build build/i686 vexil_bench >/dev/null

vexil_run_isolated bench build/i686/bin bash -c '
    echo "machine: $(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2- | sed "s/^ *//"), $(nproc) cores; $(wine --version)"
    wine ./vexil_bench.exe "$1"' bench "${1:-3}"
