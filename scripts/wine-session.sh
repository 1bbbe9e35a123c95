#!/usr/bin/env bash
# One X display and one persistent wineserver for a whole run, in a Wine
# prefix of the project's own under the build folder.
#
#   wine-session.sh start SESSION_DIR   start Xvfb and wineserver, prepare the prefix
#   wine-session.sh stop SESSION_DIR    stop both
#   wine-session.sh env SESSION_DIR     print the variables a Wine process needs
#   wine-session.sh status SESSION_DIR  succeed when the session is up
#
# ORVA_SCREEN_SIZE (default 1280x1024) sets the size of the X display.
set -euo pipefail

command=$1
sessionDir=$(mkdir -p "$2" && cd "$2" && pwd)
export WINEPREFIX=$sessionDir/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

printEnvironment() {
    echo "export WINEPREFIX='$WINEPREFIX'"
    echo "export WINEDEBUG='$WINEDEBUG'"
    echo "export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
    echo "export DISPLAY='$(cat "$sessionDir/display")'"
}

displayIsUp() {
    [ -f "$sessionDir/xvfb.pid" ] && kill -0 "$(cat "$sessionDir/xvfb.pid")" 2>/dev/null
}

start() {
    if displayIsUp && [ -f "$sessionDir/started" ]; then
        return
    fi
    if ! displayIsUp; then
        local number=90
        while [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ]; do
            number=$((number + 1))
        done
        Xvfb ":$number" -screen 0 "${ORVA_SCREEN_SIZE:-1280x1024}x24" -nolisten tcp >"$sessionDir/xvfb.log" 2>&1 &
        echo $! >"$sessionDir/xvfb.pid"
        echo ":$number" >"$sessionDir/display"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X${number}" ] && break
            sleep 0.1
        done
    fi
    export DISPLAY
    DISPLAY=$(cat "$sessionDir/display")

    # A persistent server spares every later Wine process the server's start-up.
    # It fails harmlessly when one is already running for this prefix.
    mkdir -p "$WINEPREFIX"
    wineserver -p >"$sessionDir/wineserver.log" 2>&1 || true
    # The first process of a prefix starts its background services, which keep
    # the standard streams they inherit: give them files, never a pipe.
    if [ ! -f "$WINEPREFIX/.prepared" ]; then
        # The first process of a new prefix creates it. An explicit `wineboot -i`
        # on top starts a second service manager, after which RpcSs never
        # starts and every start of the desktop process waits ten seconds for it.
        wine cmd /c exit >"$sessionDir/wineboot.log" 2>&1 || true
        # Wine has no "Microsoft YaHei UI": map it and the dialog fonts to a CJK font.
        for font in "Microsoft YaHei UI" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "Noto Sans CJK SC" /f \
                >>"$sessionDir/wineboot.log" 2>&1
        done
        touch "$WINEPREFIX/.prepared"
    fi
    wine cmd /c exit >"$sessionDir/warmup.log" 2>&1 || true
    touch "$sessionDir/started"
}

stop() {
    wineserver -k 2>/dev/null || true
    if displayIsUp; then
        kill "$(cat "$sessionDir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$sessionDir/xvfb.pid" "$sessionDir/started"
}

case $command in
start)
    # Test runners may start several programs at once: one of them prepares
    # the session while the others wait. -o keeps the lock out of the
    # long-lived processes that the start leaves behind.
    exec flock -o "$sessionDir/lock" "$0" start-locked "$sessionDir"
    ;;
start-locked)
    start
    ;;
stop)
    stop
    ;;
env)
    printEnvironment
    ;;
status)
    displayIsUp && [ -f "$sessionDir/started" ]
    ;;
*)
    echo "usage: $0 start|stop|env|status SESSION_DIR" >&2
    exit 2
    ;;
esac
