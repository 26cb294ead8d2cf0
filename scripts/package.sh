#!/usr/bin/env bash
# Installs what is missing and builds the release for Windows users: QB2LPT-<version>-win32.zip in
# the build folder, with its SHA-256 beside it (<zip>.sha256). Prints the zip's path, size and
# checksum. The same sources give the same zip bytes.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure
cmake --build "$build" --target package -j"$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$build/QB2LPT-$version-win32.zip
echo "$zip ($(stat -c %s "$zip") bytes)"
echo "SHA-256: $(cut -d' ' -f1 "$zip.sha256")"
