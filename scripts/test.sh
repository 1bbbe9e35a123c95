#!/usr/bin/env bash
# Builds everything and runs every test under Wine: installs the Debian
# packages it needs first (Debian 12, as root).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
cmake --preset mingw
cmake --build --preset mingw
ctest --preset mingw
