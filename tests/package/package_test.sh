#!/usr/bin/env bash
# The release zip as a plugin author meets it. Unpacked into an empty folder outside the build tree
# and used from there in a wine prefix of its own: both programs carry the zip's version, the bench
# runs README.txt's first try and keeps its settings next to itself, the checker passes the bundled
# sample, and the sample's MinGW build command builds a plugin that passes as well. Every program
# imports only system DLLs, no file names a folder of the build machine, README.txt reads correctly
# in Notepad, and the packaged programs built again in another build folder give the same zip bytes.
# Usage: package_test.sh ZIP TEST_PROGRAM SOURCE_DIR BUILD_DIR C_COMPILER OBJDUMP
set -uo pipefail
zip=$1 test_program=$2 source_dir=$3 build_dir=$4 compiler=$5 objdump=$6
zip_name=$(basename "$zip")
version=${zip_name#QB2LPT-}
version=${version%-win32.zip}
work=$(mktemp -d /tmp/qb2lpt-package.XXXXXX)
unpacked=$work/unpacked
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT

# Runs while the rest is checked: a second configure and build of only what the zip holds.
(
  QB2LPT_BUILD=$work/build
  source "$source_dir/scripts/env.sh"
  configure && cmake --build "$build" --target package -j"$(nproc)"
) >"$work/second-build.log" 2>&1 &
second_build=$!

mkdir "$unpacked"
unzip -q "$zip" -d "$unpacked" || fail "$zip_name does not unpack"
for file in LICENSE docs/writing-a-plugin.md examples/sample-list.txt sample/build-msvc.bat; do
  [ -s "$unpacked/$file" ] || fail "$zip_name holds no $file"
done

system_dlls=" kernel32.dll ntdll.dll user32.dll gdi32.dll comdlg32.dll comctl32.dll advapi32.dll shell32.dll ole32.dll version.dll msvcrt.dll "
check_imports() {  # a program or DLL
  local imports dll
  imports=$("$objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}')
  [ -n "$imports" ] || fail "no imports read from $1"
  for dll in $imports; do
    [[ $system_dlls == *" $dll "* ]] || fail "$1 imports $dll, which Windows does not have"
  done
}
while IFS= read -r -d '' binary; do
  check_imports "$binary"
done < <(find "$unpacked" \( -iname '*.exe' -o -iname '*.dll' \) -print0)

leaks=$(grep -rlF -e "$source_dir" -e "$build_dir" "$unpacked")
[ -z "$leaks" ] || fail "these files name a folder of the build machine: $leaks"

readme=$unpacked/README.txt
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt has no UTF-8 byte-order mark"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has a line not ended by CR LF"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "README.txt is not UTF-8"
! grep -qiE 'wine|debian' "$readme" || fail "README.txt speaks of the build machine's system"

# A fresh prefix, its wineserver and services started apart from the programs whose output is read.
bash "$source_dir/scripts/wine-prefix.sh" "$WINEPREFIX" null || fail "no wine prefix"
wineserver -p 120 </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1

output=$(cd "$work" && wine "$test_program" "Z:${unpacked//\//\\}" "$version" 2>&1)
echo "$output"
grep -qE '^\[  PASSED  \] [0-9]+ tests?\.' <<<"$output" && ! grep -qF '[  FAILED  ]' <<<"$output" ||
  fail "the unpacked bench and programs (above)"

printed=$(cd "$unpacked" && wine QB2LPTCheck.exe --version)
status=$?
[ $status -eq 0 ] && [ "$printed" = "QB2LPTCheck $version"$'\r' ] ||
  fail "QB2LPTCheck --version printed \"$printed\" with exit code $status"

check_plugin() {  # the plugin's Windows path, or one relative to the unpacked folder
  local report status
  report=$(cd "$unpacked" && wine QB2LPTCheck.exe --check --plugin "$1" --list 'sample\sample-list.txt' \
             --key 1A2B --key hoshi_no_umi.zip 2>&1)
  status=$?
  [ $status -eq 0 ] || fail "QB2LPTCheck --check --plugin $1 exited with $status: $(tail -n 20 <<<"$report")"
}
check_plugin 'sample\sample.dll'

# The MinGW build command of build-mingw.bat, with the cross compiler, in a copy of the folders.
author=$work/author
mkdir "$author" && cp -r "$unpacked/sample" "$unpacked/sdk" "$author/"
rm "$author/sample/sample.dll"
read -ra build_args < <(tr -d '\r' <"$author/sample/build-mingw.bat" | sed -n 's/^%CC% //p')
if [ ${#build_args[@]} -gt 0 ] && (cd "$author/sample" && "$compiler" "${build_args[@]}"); then
  check_imports "$author/sample/sample.dll"
  check_plugin "Z:${author//\//\\}\\sample\\sample.dll"
else
  fail "the command of build-mingw.bat does not build the sample"
fi

(cd "$(dirname "$zip")" && sha256sum --quiet -c "$zip_name.sha256") || fail "$zip_name.sha256 does not match"
if wait "$second_build"; then
  cmp "$zip" "$work/build/$zip_name" || {
    diff -rq "$build_dir/packaging/stage" "$work/build/packaging/stage"
    fail "a second build in another folder gives other zip bytes"
  }
else
  tail -n 30 "$work/second-build.log"
  fail "the second build failed"
fi

echo "package test: $failures failures, ${SECONDS} s"
[ $failures -eq 0 ]
