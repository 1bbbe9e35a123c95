#!/usr/bin/env bash
# Builds the benchmark (bench/) and runs it under Wine: what a user waits for
# (a keystroke in the search box, a load, ticking every shown app, each until
# the list is painted, beside the same window with an empty list), the
# longest stalls of the window's thread while a slow system is read and
# written, and the start-up (beside a design floor) timed and the memory of
# a large catalog measured, printed as a table of medians with the targets met
# or missed. Installs the Debian packages it needs first (Debian 12, as root).
# Other work on the machine shows in the figures.
#
#   scripts/bench.sh [--runs N] [--large-runs N] [--largest N]
#                    [--call-delay MS] [--name-delay MS]
#
# --runs sets the runs of each figure (7), --large-runs those at 30,000
# entries (3), --largest leaves out the catalogs above N apps (the stall
# figures take minutes at 30,000), --call-delay and --name-delay how long the
# stall figures make each call of the simulated system and each display name
# take (250 and 1). ORVA_BENCH_BUILD_DIR names another build folder than
# build-bench/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-packages.sh"

buildDir=${ORVA_BENCH_BUILD_DIR:-$root/build-bench}
mkdir -p "$buildDir"
buildLog=$buildDir/bench-build.log
echo "Building in $buildDir (log: $buildLog)"
if ! { cmake -S "$root" -B "$buildDir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release &&
    cmake --build "$buildDir" --target orva_bench; } >"$buildLog" 2>&1; then
    tail -n 30 "$buildLog" >&2
    exit 1
fi

sessionDir=$buildDir/wine
"$root/scripts/wine-session.sh" start "$sessionDir"
trap '"$root/scripts/wine-session.sh" stop "$sessionDir"' EXIT
eval "$("$root/scripts/wine-session.sh" env "$sessionDir")"

# The program loads FirewallAPI.dll from the system directory only, and Wine
# has none: the simulated one (sim/) stands in for it when the tree has it.
systemCopy=$WINEPREFIX/drive_c/windows/system32/FirewallAPI.dll
if cmake --build "$buildDir" --target FirewallAPI >>"$buildLog" 2>&1; then
    cp "$buildDir/sim/FirewallAPI.dll" "$systemCopy"
else
    rm -f "$systemCopy"
fi

echo "Machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); $(wine --version 2>/dev/null)"
wine "$buildDir/bench/orva_bench.exe" "$@" 2>>"$buildDir/bench-wine.log"
