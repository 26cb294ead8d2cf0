#!/usr/bin/env bash
# Builds the native fuzz target of the number text conversions and the sale-date check in
# <build folder>-native and runs it. --smoke runs about 10 seconds, the default 10 minutes;
# -max_total_time=N and any other libFuzzer argument pass through.
set -euo pipefail
source "$(dirname "$0")/env.sh"
native=$build-native
seconds=600
args=()
for arg in "$@"; do
  case $arg in
    --smoke) seconds=10 ;;
    -max_total_time=*) seconds=${arg#*=} ;;
    *) args+=("$arg") ;;
  esac
done
cmake -S "$root/fuzz" -B "$native" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j2
# New inputs go to the corpus of this build folder; the seeds in the tree are only read.
mkdir -p "$native/corpus" "$native/artifacts"
"$native/number_text_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$native/artifacts/" "${args[@]}" "$native/corpus" "$root/fuzz/seeds"
