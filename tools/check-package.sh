#!/usr/bin/env bash
# Checks a built package: its menu entry with desktop-file-validate, the
# whole package with lintian (errors fail), and with --install, installs it
# on this system, runs tools/package-start-test.sh as root and removes it.
# Usage: tools/check-package.sh [--install] DEB
set -euo pipefail

install=no
if [ "${1:-}" = --install ]; then install=yes; shift; fi
deb=$(realpath "${1:?usage: tools/check-package.sh [--install] DEB}")
root=$(cd "$(dirname "$0")/.." && pwd)

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/klarbrix.desktop"
lintian --fail-on error --allow-root "$deb"
echo "check-package: menu entry valid, no lintian error"

if [ "$install" = yes ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
  status=0
  bash "$root/tools/package-start-test.sh" || status=$?
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq klarbrix >/dev/null
  exit "$status"
fi
