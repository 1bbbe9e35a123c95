#!/usr/bin/env bash
# Builds the program and runs it under Wine against the simulated
# FirewallAPI.dll (sim/), whose state lives in build/run/store.txt (a copy of
# sim/sample-store.txt made on the first run; edit or delete it freely).
#
# With DISPLAY set, the program opens on that display. Without one, it runs on
# the Wine session's virtual display, and screenshots of the compact and the
# expanded window are saved to build/screenshots/, then the same of the window
# under a simulated high-contrast theme (sim/tools/high_contrast_window.cpp),
# and of the expanded window resized to 1280 x 960, then both modes in the
# dark app mode, in a Wine session of their own (build/wine-dark) whose prefix
# says AppsUseLightTheme = 0, then both modes again at 150 % (144 DPI), in a
# Wine session of their own
# (build/wine-144dpi) whose prefix reports that DPI on a 1920 x 1080 screen.
# Either way, the Wine sessions (Xvfb, wineserver and the prefix's services)
# that it starts end with it.
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

# Starts the session of SESSION_DIR and points Wine at it. A session ends
# with the run, unless it was up before (a test run of the same build folder,
# say), which is then left to its owner.
ownedSessions=()
stopOwnedSessions() {
    for session in ${ownedSessions[@]+"${ownedSessions[@]}"}; do
        "$root/scripts/wine-session.sh" stop "$session"
    done
}
trap stopOwnedSessions EXIT
enterSession() {
    local session=$1
    if ! "$root/scripts/wine-session.sh" status "$session"; then
        "$root/scripts/wine-session.sh" start "$session"
        ownedSessions+=("$session")
    fi
    eval "$("$root/scripts/wine-session.sh" env "$session")"
    # The program loads FirewallAPI.dll from the system directory only.
    cp "$buildDir/sim/FirewallAPI.dll" "$WINEPREFIX/drive_c/windows/system32/FirewallAPI.dll"
}

userDisplay=${DISPLAY:-}
enterSession "$buildDir/wine"

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

# Runs PROGRAM (a Windows path) on a desktop of SIZE and waits until its
# window has read the apps; Wine's output goes to LOG.
desktopProcess=
startOnDesktop() {
    local program=$1 size=$2 log=$3
    wine explorer "/desktop=$desktop,$size" "$program" >"$log" 2>&1 &
    desktopProcess=$!
    if ! drive wait 60; then
        echo "The program's window did not appear; see $log" >&2
        exit 1
    fi
    # Painting follows the window's appearance by a moment.
    sleep 1
}

# The Wine desktop closes by itself a little after the program has ended;
# the next program or the end of the session waits for that, so that
# nothing is cut short.
closeDesktop() {
    drive close
    for _ in $(seq 100); do
        kill -0 "$desktopProcess" 2>/dev/null || break
        sleep 0.1
    done
}

# Saves the window as NAME.png.
saveWindow() {
    import -window root -crop "$(drive rect)" +repage "$screenshotDir/$1.png"
}

# Runs PROGRAM (a Windows path) on a desktop of SIZE and saves its window as
# PREFIXcompact.png and PREFIXexpanded.png; Wine's output goes to
# PREFIXwine.log in the run folder.
takeScreenshots() {
    local program=$1 prefix=$2 size=${3:-1024x768}
    startOnDesktop "$program" "$size" "$runDir/${prefix}wine.log"
    saveWindow "${prefix}compact"
    # The expanded window is taller than the room below the centred compact one.
    drive move 152 16
    drive click 1002
    sleep 1
    saveWindow "${prefix}expanded"
    closeDesktop
}

# The expanded window given 1280 x 960 pixels, as a user drags its border to
# give the list room: the whole of the session's display.
takeResizedScreenshot() {
    startOnDesktop "$program" 1280x1024 "$runDir/expanded-1280x960-wine.log"
    drive move 0 0
    drive click 1002
    drive size 1280 960
    sleep 1
    saveWindow expanded-1280x960
    closeDesktop
}

takeScreenshots "$program" ""
takeScreenshots "$(windowsPath "$buildDir/sim/high_contrast_window.exe")" high-contrast-
takeResizedScreenshot

# The dark app mode as Windows' Settings writes it, in a prefix of its own,
# so that the prefix the tests share stays light.
enterSession "$buildDir/wine-dark"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' /v AppsUseLightTheme \
    /t REG_DWORD /d 0 /f >"$runDir/dark-reg.log" 2>&1
takeScreenshots "$program" dark-

# Wine reports the prefix's LogPixels as every window's DPI; the expanded
# window at 150 % is taller than the first session's display.
ORVA_SCREEN_SIZE=1920x1080 enterSession "$buildDir/wine-144dpi"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >"$runDir/144dpi-reg.log" 2>&1
takeScreenshots "$program" 144dpi- 1920x1080

echo "Screenshots: $screenshotDir/compact.png"
echo "             $screenshotDir/expanded.png"
echo "             $screenshotDir/high-contrast-compact.png"
echo "             $screenshotDir/high-contrast-expanded.png"
echo "             $screenshotDir/expanded-1280x960.png"
echo "             $screenshotDir/dark-compact.png"
echo "             $screenshotDir/dark-expanded.png"
echo "             $screenshotDir/144dpi-compact.png"
echo "             $screenshotDir/144dpi-expanded.png"
