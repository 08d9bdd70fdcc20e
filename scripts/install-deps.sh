#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12; does nothing
# when everything is there already, so it is safe (and fast) to run again.
#
# A package index can be unreachable or in the middle of a mirror sync on any
# given day. The index update is therefore retried, and a run goes on when
# only some indexes could not be fetched. When the install then fails (apt
# wanting one architecture at a version the missing index would have had),
# it is tried once more with the release itself as the target, where the
# versions of both architectures match.
set -euo pipefail

# fonts-dejavu-core: a monospaced TrueType face that draws block elements and
# box drawing, for Unicode art and the tests of its font.
pkgs=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools googletest
      wine wine64 wine32:i386 xvfb xauth x11-apps imagemagick clang libclang-rt-14-dev
      fonts-wine fonts-dejavu-core python3 coreutils util-linux)

update_tries="${VEXIL_APT_TRIES:-3}"
update_pause="${VEXIL_APT_PAUSE:-5}"

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

# Quiet unless something goes wrong; then the log is shown.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive

fail() {  # fail WHAT HINT: the log's end, then one line saying what to do
    tail -n 30 "$log" >&2
    echo "install-deps: $1; $2" >&2
    exit 1
}

# Package lists for an architecture, as far as apt has any.
have_lists() { compgen -G "/var/lib/apt/lists/*_binary-$1_Packages*" >/dev/null; }

updated=0
for ((try = 1; try <= update_tries; try++)); do
    # A source that never answers costs half a minute a try, not two.
    if $SUDO apt-get update -qq -o Acquire::http::Timeout=30 -o Acquire::https::Timeout=30 \
        >>"$log" 2>&1; then
        updated=1
        break
    fi
    if [ "$try" -lt "$update_tries" ]; then sleep "$update_pause"; fi
done
if [ "$updated" -eq 0 ]; then
    if have_lists amd64 && have_lists i386; then
        echo "install-deps: some package indexes could not be fetched; going on with the rest" >&2
    else
        fail "apt-get update failed $update_tries times and no usable package lists are left" \
            "check the network and the sources in /etc/apt, then run this again"
    fi
fi

install() {
    $SUDO apt-get install -y -qq --no-install-recommends -o Dpkg::Use-Pty=0 "$@" "${need[@]}" \
        >>"$log" 2>&1
}

if ! install; then
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    [ -n "$codename" ] || fail "apt-get install failed" "no release codename in /etc/os-release to retry with"
    echo "install-deps: the install failed; trying again with the packages of $codename itself" >&2
    install -t "$codename" ||
        fail "apt-get install failed, also with -t $codename" \
            "run 'apt-get install ${need[*]}' to see why (a mirror mid-sync often clears within the hour)"
fi
echo "Installed."
