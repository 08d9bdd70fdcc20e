#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12; does nothing
# when everything is there already, so it is safe (and fast) to run again.
set -euo pipefail

pkgs=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools googletest
      wine wine64 wine32:i386 xvfb xauth x11-apps imagemagick clang libclang-rt-14-dev
      fonts-wine python3)

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

need=()
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${need[*]}"
# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi

# Quiet unless something goes wrong; then the whole log is shown.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive
if ! { $SUDO apt-get update -qq &&
       $SUDO apt-get install -y -qq --no-install-recommends -o Dpkg::Use-Pty=0 "${need[@]}"; } \
       >"$log" 2>&1; then
    cat "$log" >&2
    echo "install-deps: apt-get failed" >&2
    exit 1
fi
echo "Installed."
