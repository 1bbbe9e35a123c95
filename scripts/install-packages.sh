#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any is missing. Debian 12, as root.
set -euo pipefail

packages=(
    cmake ninja-build g++-mingw-w64-x86-64-posix
    wine wine64 xvfb googletest
    imagemagick xdotool fonts-noto-cjk
    clang clang-16 lld-16 python3 python3-pefile python3-capstone python3-clang-16
    osslsigncode openssl
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

# Node and npm run the workflow lint; a Node installed some other way, with
# its own npm, serves as well (Debian's npm would conflict with it).
if ! command -v npm >/dev/null 2>&1; then
    missing+=(nodejs npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
