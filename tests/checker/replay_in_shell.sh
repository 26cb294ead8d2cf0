#!/bin/sh
# A fuzz case's printed replay command, run through /bin/sh exactly as printed and from another
# folder, reproduces the case: the same finding for the same seed. The plugin lies in a folder
# whose name holds Japanese (with 5C trail bytes in Shift-JIS), a blank and a single quote.
# Usage (in the build's tests folder, with WINEPREFIX set): replay_in_shell.sh QB2LPTCheck.exe
set -u
checker=$1
folder="checker-run/表 it's"
mkdir -p "$folder"
cp misbehaving_plugin.dll "$folder/"

fail() {
  printf '%s\n' "$1" "$2"
  exit 1
}

first=$(wine "$checker" --plugin "$folder/misbehaving_plugin.dll" --key 'a b' --key-type body \
  --key-type none --request GetR --request GetTitle --timeout 5 --fuzz 12 --seed 1000 | tr -d '\r')
finding=$(printf '%s\n' "$first" | grep -m1 '^FAIL fuzz case seed ')
replay=$(printf '%s\n' "$first" | grep -m1 '^  replay: ' | sed 's/^  replay: //')
[ -n "$finding" ] && [ -n "$replay" ] || fail "no failure with its replay in:" "$first"
case $replay in
  "wine "*) ;;
  *) fail "the replay is no command for this shell:" "$replay" ;;
esac

again=$(cd / && sh -c "$replay" | tr -d '\r')
[ "$(printf '%s\n' "$again" | sed -n 2p)" = "$finding" ] || fail "the replay found something else:" "$again"
echo "replayed: $finding"
