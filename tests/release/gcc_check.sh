#!/usr/bin/env bash
# The program builds with the GCC MinGW-w64 toolchain, the second compiler,
# with warnings as errors: configures BUILD_DIR with
# cmake/mingw-w64-x86_64.cmake and builds only the program.
#
#   gcc_check.sh SOURCE_ROOT BUILD_DIR
set -euo pipefail

root=$1
buildDir=$2

cmake -S "$root" -B "$buildDir" -G Ninja --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$buildDir" --target OrvaLoopback
