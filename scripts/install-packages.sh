#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any is missing. Debian 12, as root.
set -euo pipefail

packages=(
    cmake ninja-build g++-mingw-w64-x86-64-posix
    wine wine64 xvfb googletest
    imagemagick xdotool fonts-noto-cjk
    clang python3 osslsigncode openssl
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
