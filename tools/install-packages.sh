#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet
# (through sudo when not run as root). Used by the two set-up commands.
set -euo pipefail
missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Il manque ces paquets : ${missing[*]}" >&2
    echo "Installez-les en tant que root (su -c 'apt-get install ${missing[*]}'), ou lancez cette commande en tant que root." >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "Installation de : ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
