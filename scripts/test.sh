#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under wine (CTest).
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build
start_headless_wine
ctest --test-dir "$build" --output-on-failure -j2
bash "$root/scripts/fuzz.sh" --smoke
