#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under wine (CTest).
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build
bash "$root/scripts/wine-prefix.sh" "$build/wineprefix" null
export WINEPREFIX=$build/wineprefix
wineserver -p 600 </dev/null >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null || true' EXIT
# Start wine's own services now, detached from our output: started by the first test instead,
# they would inherit CTest's pipes and CTest would wait for them to close.
wine wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure -j2
bash "$root/scripts/fuzz.sh" --smoke
