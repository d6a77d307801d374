#!/usr/bin/env bash
# Installs what Orvanta needs to build, run, test and package on Debian 12.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libsqlite3-dev libsodium-dev libpq-dev postgresql libpoppler-cpp-dev libzip-dev libgl-dev ripgrep clang-format desktop-file-utils appstream dpkg-dev file)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
