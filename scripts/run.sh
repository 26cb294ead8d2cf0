#!/usr/bin/env bash
# Installs what is missing, builds, and starts the bench under wine in the folder build/run, where
# the build puts the sample plugin (sample.dll) and the sample list (sample-list.txt).
# With a display the window opens there; with none the bench runs under Xvfb, a scripted first
# session loads the sample plugin and runs a few requests, a screenshot of the window with its
# report lines is saved, and the bench is closed again.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
# Only what runs here: the bench, the sample plugin with its list, and the scripted session. The
# compiler's output goes to a log that is shown when the build fails.
echo "Building the bench and the sample plugin in $build ..."
log=$build/run-build.log
mkdir -p "$build"
if ! { configure && cmake --build "$build" --target QB2LPT sample demo_session -j"$(nproc)"; } \
    >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
prefix=$build/wineprefix-x11
bash "$root/scripts/wine-prefix.sh" "$prefix" x11
export WINEPREFIX=$prefix
# Wine's notes about the machine it runs on (a drive without a volume label, say) are not the
# bench's: everything else that wine writes still reaches the terminal.
quiet_wine() {
  local status=0
  wine "$@" 2> >(grep -v -e 'Read access denied for device' >&2) || status=$?
  wait $! 2>/dev/null || true
  return $status
}
mkdir -p "$build/run"
cd "$build/run"

# Under Xvfb there is no window manager: wine then draws the frame and title bar itself.
x11_key='HKCU\Software\Wine\X11 Driver'
if [ -n "${DISPLAY:-}" ]; then
  wine reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
  quiet_wine "$build/QB2LPT.exe"
  exit
fi
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
# A window opened before the X server answers fails at once.
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
# Only now that DISPLAY is set: wine's desktop process, started by the first wine command of a
# session, keeps the display it started with for every later window of that session.
wine reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1
# A first session as a user would play it: the sample plugin loaded, the sample list chosen, a few
# requests run (tools/demo_session.cpp). The picture is taken once the requests have run.
ready=$build/run/.demo-ready; done_file=$build/run/.demo-done
rm -f "$ready" "$done_file"
quiet_wine "$build/tools/demo_session.exe" "$(winepath -w "$build/run")" \
  "$(winepath -w "$ready")" "$(winepath -w "$done_file")" &
bench=$!
for _ in $(seq 240); do [ -f "$ready" ] && break; sleep 0.5; done
window=
for _ in $(seq 60); do
  sleep 0.5
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"qb2lpt\.exe"/ && / 467x499/ {print $1; exit}')
  [ -n "$window" ] && break
done
shot=$build/qb2lpt-window.png
previous=$build/qb2lpt-window-previous.png
# The frame appears before the client area is painted, and the controls one by one after it: take
# the picture once two shots a second apart are the same.
for _ in $(seq 30); do
  sleep 1
  [ -f "$shot" ] && mv "$shot" "$previous"
  import -window "${window:-root}" "$shot"
  [ -f "$previous" ] && [ "$(compare -metric AE "$shot" "$previous" null: 2>&1)" = 0 ] && break
done
rm -f "$previous"
echo "Screenshot of the bench window: $shot"
touch "$done_file"
wait "$bench" || echo "The scripted session did not run to its end: $(cat "$ready" 2>/dev/null)"
rm -f "$ready" "$done_file"
# The prefix belongs to this script: ending its wine processes ends what is left of it.
wineserver -k 2>/dev/null || true
