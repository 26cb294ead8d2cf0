# Sourced by the scripts: the build folder and the wine environment the bench runs in.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QB2LPT_BUILD:-$root/build}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all

configure_and_build() {
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build" -j"$(nproc)"
}
