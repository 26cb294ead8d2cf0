#!/usr/bin/env bash
# Installs what is missing, builds, and starts the bench under wine in the folder build/run.
# With a display the window opens there; with none the bench runs under Xvfb, a screenshot of
# its window is saved, and the bench is closed again.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build
prefix=$build/wineprefix-x11
bash "$root/scripts/wine-prefix.sh" "$prefix" x11
export WINEPREFIX=$prefix
mkdir -p "$build/run"
cd "$build/run"

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/QB2LPT.exe"
fi

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
wine "$build/QB2LPT.exe" &
bench=$!
window=
for _ in $(seq 60); do
  sleep 0.5
  window=$(xwininfo -root -tree 2>/dev/null | awk 'tolower($0) ~ /qb2lpt\.exe/ && / 467x/ {print $1; exit}')
  [ -n "$window" ] && break
done
sleep 1
shot=$build/qb2lpt-window.png
import -window "${window:-root}" "$shot"
echo "Screenshot of the bench window: $shot"
wine taskkill /im QB2LPT.exe >/dev/null 2>&1 || true
wait "$bench" || true
wineserver -k 2>/dev/null || true
