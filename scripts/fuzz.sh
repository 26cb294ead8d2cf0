#!/usr/bin/env bash
# Builds the native fuzz targets in <build folder>-native and runs each in turn: the number text
# conversions and the sale-date check, the PE header inspection, the test-vector reader, the
# worker's frames, the shrinker.
# --smoke runs each about 10 seconds, the default 10 minutes; -max_total_time=N and any other
# libFuzzer argument pass through. Names of targets, when given, run only those.
set -euo pipefail
source "$(dirname "$0")/env.sh"
native=$build-native
seconds=600
args=()
targets=()
for arg in "$@"; do
  case $arg in
    --smoke) seconds=10 ;;
    -max_total_time=*) seconds=${arg#*=} ;;
    -*) args+=("$arg") ;;
    *) targets+=("$arg") ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(number_text pe_image test_vectors worker_wire shrink)
cmake -S "$root/fuzz" -B "$native" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j2
# New inputs go to each target's corpus in this build folder; the seeds are only read.
for target in "${targets[@]}"; do
  seeds=()
  for dir in "$root/fuzz/seeds/$target" "$native/seeds/$target"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  mkdir -p "$native/corpus/$target" "$native/artifacts/$target"
  echo "== $target: $seconds s"
  "$native/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$native/artifacts/$target/" ${args[@]+"${args[@]}"} \
    "$native/corpus/$target" "${seeds[@]}"
done
