# Sourced by the scripts: the build folder and the wine environment the bench runs in.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QB2LPT_BUILD:-$root/build}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all

configure() {
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
}

configure_and_build() {
  configure
  cmake --build "$build" -j"$(nproc)"
}

# The build folder's own wine prefix with the null graphics driver, a persistent wineserver that
# the calling script ends on exit, and wine's services already running.
start_headless_wine() {
  bash "$root/scripts/wine-session.sh" start "$build/wineprefix"
  export WINEPREFIX=$build/wineprefix
  # The calling script ends the server, whoever started it: CTest's fixture then leaves it running.
  rm -f "$WINEPREFIX/.qb2lpt-session"
  trap 'wineserver -k 2>/dev/null || true' EXIT
}
