#!/usr/bin/env bash
# Runs a command under Debian 13's Wine 10, in a Debian 13 root made from
# Debian's archive with debootstrap, through scripts/with-wine.sh (throwaway
# prefix and display). The Win32 build is made on the host: the work tree is
# mounted at the same path inside the root, so ctest finds what cmake wrote.
#
#   scripts/with-wine10.sh ctest --preset windows
#
# The root is kept in VARNOK_WINE10_ROOT (default /var/cache/varnok/trixie-root)
# and made again when it is missing or was left incomplete. Needs root
# (debootstrap, chroot and mounts), or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=VARNOK_WINE10_ROOT "$0" "$@"
fi

root=${VARNOK_WINE10_ROOT:-/var/cache/varnok/trixie-root}
packages=(wine wine64 xvfb xauth cmake fonts-dejavu-core
          libxcomposite1 libxcursor1 libxi6 libegl1)
stamp="$root/.varnok-root"
tree=$(pwd -P)

mirror() {
    local uri
    uri=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' \
              /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -n1 || true)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' \
                               /etc/apt/sources.list 2>/dev/null || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

# A leftover mount under the root would make rm -rf reach into the host.
mounted_under() {
    awk -v r="$1" '$5 == r || index($5, r "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo
}

# Mounts live in a private namespace of their own: they go with the process,
# however it ends, and never show in the host's mount table.
in_root() {
    unshare --mount --propagation private bash -euc '
        r=$1 tree=$2; shift 2
        mount --rbind /dev "$r/dev"
        mount -t proc proc "$r/proc"
        mount --rbind /sys "$r/sys"
        mount --bind /tmp "$r/tmp"
        mkdir -p "$r$tree"
        mount --bind "$tree" "$r$tree"
        exec chroot "$r" env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
    ' in-root "$root" "$tree" "$@"
}

make_root() {
    local partial="$root.partial"
    for d in "$root" "$partial"; do
        if mounted_under "$d"; then
            echo "with-wine10: something is mounted under $d; not removing it" >&2
            exit 1
        fi
    done
    rm -rf "$root" "$partial"
    echo "with-wine10: making a Debian 13 root in $root (about 1.5 GB)"
    # debootstrap mounts /proc and /sys in the root while it works: privately too.
    unshare --mount --propagation private \
        debootstrap --variant=minbase trixie "$partial" "$(mirror)" >"$partial.log" 2>&1 \
        || { tail -n 20 "$partial.log" >&2; exit 1; }
    root=$partial in_root sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends ${packages[*]} >/dev/null && apt-get clean"
    echo "${packages[*]}" >"$partial/.varnok-root"
    mv "$partial" "$root"
    rm -f "$partial.log"
}

# One run makes or updates the root at a time; others wait for it.
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9
if [ ! -f "$stamp" ]; then
    scripts/setup.sh
    make_root
elif [ "$(cat "$stamp")" != "${packages[*]}" ]; then
    in_root sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        ${packages[*]} >/dev/null && apt-get clean"
    echo "${packages[*]}" >"$stamp"
fi
flock -u 9

in_root bash -c 'cd "$1" && shift && exec scripts/with-wine.sh "$@"' sh "$tree" "$@"
