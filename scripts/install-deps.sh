#!/usr/bin/env bash
# Installs the Debian packages Ludomat needs to build, test and run; does nothing when all are present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpng-dev libjpeg-dev libgif-dev
  libgtest-dev libgmock-dev
  libcpp-httplib-dev libboost-dev libsqlite3-dev libarchive-dev zlib1g-dev
  libssl-dev qt6-webengine-dev
  libpq-dev postgresql haproxy
  fonts-liberation
  emscripten libstb-dev chromium
  xvfb xauth
  qt6-translations-l10n
  dpkg-dev lintian curl
  desktop-file-utils libglib2.0-bin
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Instalando pacotes: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Preciso de root (ou sudo) para instalar: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
