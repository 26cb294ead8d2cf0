#!/usr/bin/env bash
# Usage: scripts/wine-session.sh start|stop PREFIX
# start: prepares PREFIX for headless runs (wine-prefix.sh, null graphics driver), starts its
# wineserver to persist between programs, and wine's services. stop: ends that wineserver, but only
# if start started it; a session that a calling script opened stays the script's to end.
set -euo pipefail
action=$1; prefix=$(realpath -m "$2")
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
owned=$prefix/.qb2lpt-session
case $action in
  start)
    bash "$(dirname "$0")/wine-prefix.sh" "$prefix" null
    # Not in the background: wineserver returns once it listens, so wineboot below cannot start a
    # short-lived server of its own first. It exits with 2 when the prefix has a server already.
    if wineserver -p 600 </dev/null >/dev/null 2>&1; then touch "$owned"; fi
    # Started by the first program instead, wine's services would inherit that program's output
    # pipes, and CTest would wait for them to close.
    wine wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    if [ -f "$owned" ]; then
      rm -f "$owned"
      wineserver -k 2>/dev/null || true
    fi
    ;;
  *) echo "usage: $0 start|stop PREFIX" >&2; exit 2 ;;
esac
