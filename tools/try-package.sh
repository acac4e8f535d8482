#!/usr/bin/env bash
# Installs a built package in a fresh Debian 12 chroot, as a new user would
# with apt, and runs tools/package-start-test.sh there as an ordinary user
# and as root. Needs root and debootstrap; the base system is made once (in
# $TMPDIR/kx-package-base) from the mirror this machine's apt uses and copied
# afresh for each try.
# Usage: tools/try-package.sh [DEB]   (default: build/klarbrix_VERSION_amd64.deb)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(realpath "${1:-$root/build/klarbrix_$(bash "$root/tools/version.sh")_amd64.deb}")
[ -f "$deb" ] || { echo "try-package: $deb is missing (cpack -G DEB in the build folder)" >&2; exit 1; }
base=${TMPDIR:-/tmp}/kx-package-base
work=${TMPDIR:-/tmp}/kx-package-try

command -v debootstrap >/dev/null || bash "$root/tools/install-packages.sh" debootstrap
if [ ! -x "$base/bin/bash" ]; then
  mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" ${mirror:+"$mirror"} >/dev/null
  [ -f /etc/apt/sources.list.d/debian.sources ] &&
    cp /etc/apt/sources.list.d/debian.sources "$base/etc/apt/sources.list.d/" && rm -f "$base/etc/apt/sources.list"
fi

unmount() { for m in proc sys dev; do umount -l "$work/$m" 2>/dev/null || true; done; }
unmount
rm -rf "$work"
cp -a "$base" "$work"
cp /etc/resolv.conf "$work/etc/resolv.conf"
cp "$deb" "$root/tools/package-start-test.sh" "$work/root/"
mount -t proc proc "$work/proc"; mount --rbind /sys "$work/sys"; mount --rbind /dev "$work/dev"
trap unmount EXIT

chroot "$work" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 bash -ec "
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./root/$(basename "$deb") >/dev/null
    useradd --create-home essai
    cp /root/package-start-test.sh /tmp/ && chmod 755 /tmp/package-start-test.sh
    su essai -s /bin/bash -c 'cd && bash /tmp/package-start-test.sh'
    cd /root && bash /tmp/package-start-test.sh
  "
