#!/usr/bin/env bash
# Makes the README's picture, docs/editor.png: the editor after File, Load of
# docs/sample-art.txt, painted coded text, taken by scripts/screenshot.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
art="$root/docs/sample-art.txt"
# The driver runs inside the screenshot's Wine environment; Wine shows the
# Unix root as drive Z:.
shot="$root/build/readme-picture.png"
"$root/scripts/screenshot.sh" --drive "
    \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" menu \"\$VEXIL_CAPTION\" FL &&
    \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" file 'Z:${art//\//\\}' &&
    \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" sleep 500" "$shot"
# Only the window: the desktop around it is one colour.
convert "$shot" -trim +repage "$root/docs/editor.png"
echo "readme-picture: saved $root/docs/editor.png"
