#!/usr/bin/env bash
# Runs a Windows program under the run's Wine session, starting the session
# first if it is not up (for a single test run by hand).
#   wine-run.sh SESSION_DIR PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sessionDir=$1
shift
"$here/wine-session.sh" start "$sessionDir"
eval "$("$here/wine-session.sh" env "$sessionDir")"
exec wine "$@"
