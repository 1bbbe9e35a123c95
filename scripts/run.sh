#!/usr/bin/env bash
# Builds the program and runs it under Wine against the simulated
# FirewallAPI.dll (sim/), whose state lives in build/run/store.txt (a copy of
# sim/sample-store.txt made on the first run; edit or delete it freely).
#
# With DISPLAY set, the program opens on that display. Without one, it runs on
# the Wine session's virtual display, and screenshots of the compact and the
# expanded window are saved to build/screenshots/, then the same of the window
# under a simulated high-contrast theme (sim/tools/high_contrast_window.cpp).
# Either way, the Wine session (Xvfb, wineserver and the prefix's services)
# that it starts ends with it.
#
# As root on Debian 12:  scripts/run.sh
# ORVA_BUILD_DIR names another build folder than build/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/install-packages.sh"

buildDir=${ORVA_BUILD_DIR:-$root/build}
if [ -z "${ORVA_BUILD_DIR:-}" ]; then
    cmake --preset mingw
    cmake --build --preset mingw --target OrvaLoopback FirewallAPI drive_window high_contrast_window
else
    cmake --preset mingw -B "$buildDir"
    cmake --build "$buildDir" --target OrvaLoopback FirewallAPI drive_window high_contrast_window
fi

# Wine maps drive Z: to the Unix root.
windowsPath() {
    local path=$1
    echo "Z:${path//\//\\}"
}

sessionDir=$buildDir/wine
# The session ends with the run, unless it was up before (a test run of the
# same build folder, say), which is then left to its owner.
if ! "$root/scripts/wine-session.sh" status "$sessionDir"; then
    "$root/scripts/wine-session.sh" start "$sessionDir"
    trap '"$root/scripts/wine-session.sh" stop "$sessionDir"' EXIT
fi
userDisplay=${DISPLAY:-}
eval "$("$root/scripts/wine-session.sh" env "$sessionDir")"

# The program loads FirewallAPI.dll from the system directory only.
cp "$buildDir/sim/FirewallAPI.dll" "$WINEPREFIX/drive_c/windows/system32/FirewallAPI.dll"

runDir=$buildDir/run
storeFile=$runDir/store.txt
mkdir -p "$runDir"
if [ ! -f "$storeFile" ]; then
    cp "$root/sim/sample-store.txt" "$storeFile"
fi
ORVA_LOOPBACK_STORE=$(windowsPath "$storeFile")
export ORVA_LOOPBACK_STORE
echo "Simulated system state: $storeFile"

program=$(windowsPath "$buildDir/OrvaLoopback.exe")

if [ -n "$userDisplay" ]; then
    export DISPLAY=$userDisplay
    wine "$program"
    exit
fi

# A Wine desktop window draws the caption that a bare X display leaves out.
desktop=Orva
# Wine's console turns line feeds into CR LF.
drive() {
    wine "$buildDir/sim/drive_window.exe" --desktop "$desktop" "$@" | tr -d '\r'
}
screenshotDir=$buildDir/screenshots
mkdir -p "$screenshotDir"

# Runs PROGRAM (a Windows path) on the desktop and saves its window as
# PREFIXcompact.png and PREFIXexpanded.png; Wine's output goes to
# PREFIXwine.log in the run folder.
takeScreenshots() {
    local program=$1 prefix=$2
    local log=$runDir/${prefix}wine.log
    wine explorer "/desktop=$desktop,1024x768" "$program" >"$log" 2>&1 &
    local desktopProcess=$!

    if ! drive wait 60; then
        echo "The program's window did not appear; see $log" >&2
        exit 1
    fi
    # Painting follows the window's appearance by a moment.
    sleep 1
    import -window root -crop "$(drive rect)" +repage "$screenshotDir/${prefix}compact.png"

    # The expanded window is taller than the room below the centred compact one.
    drive move 152 16
    drive click 1002
    sleep 1
    import -window root -crop "$(drive rect)" +repage "$screenshotDir/${prefix}expanded.png"

    # The Wine desktop closes by itself a little after the program has ended;
    # the next program or the end of the session waits for that, so that
    # nothing is cut short.
    drive close
    for _ in $(seq 100); do
        kill -0 "$desktopProcess" 2>/dev/null || break
        sleep 0.1
    done
}

takeScreenshots "$program" ""
takeScreenshots "$(windowsPath "$buildDir/sim/high_contrast_window.exe")" high-contrast-
echo "Screenshots: $screenshotDir/compact.png"
echo "             $screenshotDir/expanded.png"
echo "             $screenshotDir/high-contrast-compact.png"
echo "             $screenshotDir/high-contrast-expanded.png"
