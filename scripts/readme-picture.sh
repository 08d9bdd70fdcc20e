#!/usr/bin/env bash
# Makes the README's pictures, each taken by scripts/screenshot.sh of the
# editor after File, Load of a piece of coded text: docs/editor.png of
# docs/sample-art.txt (8-bit) and docs/editor-unicode.png of
# docs/sample-art-utf8.txt (UTF-8 art of blocks and box drawing).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
picture() {
    local art="$root/docs/$1" shot="$root/build/readme-picture.png"
    # The driver runs inside the screenshot's Wine environment; Wine shows
    # the Unix root as drive Z:.
    "$root/scripts/screenshot.sh" --drive "
        \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" menu \"\$VEXIL_CAPTION\" FL &&
        \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" file 'Z:${art//\//\\}' &&
        \"\$VEXIL_WINE\" \"\$VEXIL_AUTOMATE\" sleep 500" "$shot"
    # Only the window: the desktop around it is one colour.
    convert "$shot" -trim +repage "$root/docs/$2"
    echo "readme-picture: saved $root/docs/$2"
}
picture sample-art.txt editor.png
picture sample-art-utf8.txt editor-unicode.png
