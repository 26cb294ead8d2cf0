#!/usr/bin/env bash
# Builds the bench and its benchmark programs and prints the table of side-by-side measurements
# (start-up, request cost, peak memory, report list growth, the sample plugin's scan, the checker's
# worker isolation, endurance).
# Not a test: it takes several minutes. Arguments go to the harness: --quick for fewer
# repetitions, and measurement names (startup request memory list scan isolation endurance) to run only those.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build
start_headless_wine
cd "$build/bench"
wine qb2lpt_bench.exe "$@"
