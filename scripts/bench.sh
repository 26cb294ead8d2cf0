#!/usr/bin/env bash
# Builds the bench and its benchmark programs and prints the table of side-by-side measurements
# (start-up, request cost, peak memory, report list growth, the sample plugin's scan, endurance).
# Not a test: it takes several minutes. Arguments go to the harness: --quick for fewer
# repetitions, and measurement names (startup request memory list scan endurance) to run only those.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build
bash "$root/scripts/wine-prefix.sh" "$build/wineprefix" null
export WINEPREFIX=$build/wineprefix
wineserver -p 600 </dev/null >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot </dev/null >/dev/null 2>&1
cd "$build/bench"
wine qb2lpt_bench.exe "$@"
