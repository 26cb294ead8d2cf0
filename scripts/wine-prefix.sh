#!/usr/bin/env bash
# Usage: scripts/wine-prefix.sh PREFIX [null|x11]
# Makes PREFIX a ready wine prefix for the bench: created once, ANSI code page 932 through the
# caller's ja_JP locale, the given graphics driver (null: windows and dialogs with no display),
# and no crash debugger, so that a crashing process ends at once with its exception code.
set -euo pipefail
prefix=$(realpath -m "$1"); driver=${2:-null}
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Wine draws the title bar's buttons with its Marlett font (from fonts-wine), which it looks for
# only in the prefix's Fonts folder.
add_marlett() {
  local font=/usr/share/wine/fonts/marlett.ttf fonts=$prefix/drive_c/windows/Fonts
  if [ -f "$font" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
    ln -s "$font" "$fonts/marlett.ttf"
  fi
}
[ -f "$prefix/.qb2lpt-$driver" ] && { add_marlett; exit 0; }
mkdir -p "$prefix"
WINEDLLOVERRIDES='mscoree,mshtml=' wineboot -i >/dev/null 2>&1
if [ "$driver" = null ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
fi
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
wine reg add "$aedebug" /v Debugger /d 'qb2lpt-no-such-debugger.exe' /f >/dev/null 2>&1
wine reg add "$aedebug" /v Auto /d 1 /f >/dev/null 2>&1
# A driver change takes effect only in a new wineserver.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
add_marlett
rm -f "$prefix"/.qb2lpt-*
touch "$prefix/.qb2lpt-$driver"
