#!/usr/bin/env bash
# Installs what building, running and testing the bench needs on a Debian 12 machine (as root).
# Idempotent: quick when everything is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
updated=
apt_install() {
  [ -n "$updated" ] || { apt-get update -qq; updated=1; }
  apt-get install -y -qq --no-install-recommends "$@" </dev/null >/dev/null
}

# The archive that apt already takes bookworm from (one-line or deb822 sources), so that the
# backports come from the same place, whatever mirror or proxy the machine is set up with.
debian_archive() {
  local apt=${1:-/etc/apt} files=() f
  for f in "$apt/sources.list" "$apt"/sources.list.d/*.list "$apt"/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk '
    # One-line form: deb [options] URI SUITE COMPONENT...
    /^[ \t]*deb[ \t]/ {
      n = 2; if ($n ~ /^\[/) { while (n <= NF && $n !~ /\]$/) n++; n++ }
      if ($(n + 1) == "bookworm") { print $n; found = 1; exit }
      next
    }
    # deb822 form: a stanza of Types, URIs and Suites lines, ended by a blank line.
    /^[ \t]*$/ { if (types ~ /(^| )deb( |$)/ && suites ~ /(^| )bookworm( |$)/ && uri != "") { print uri; found = 1; exit }
                  types = suites = uri = ""; next }
    /^Types:/  { types = " " substr($0, 7) " " }
    /^URIs:/   { uri = $2 }
    /^Suites:/ { suites = " " substr($0, 8) " " }
    END { if (!found && types ~ /(^| )deb( |$)/ && suites ~ /(^| )bookworm( |$)/ && uri != "") print uri }
  ' "${files[@]}" | head -n 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
need=()
# fonts-wine: wine's own fonts, Marlett among them, which draws the title bar's buttons when wine
# draws the frame itself (under Xvfb).
for p in wine wine32:i386 wine64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix \
         g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 cmake make googletest xvfb \
         imagemagick locales x11-utils clang libclang-rt-14-dev fonts-ipafont-gothic fonts-wine \
         zip unzip; do
  have "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"

# Without a generated ja_JP.UTF-8 locale wine mangles non-ASCII arguments and file names.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi

# Some virtual machines cannot run 32-bit x86 code natively (the kernel refuses i386 ELF files).
# There the 32-bit half of wine runs under qemu's user-mode emulation. qemu 7 spends about a
# minute per wine start in its own page bookkeeping; the backported qemu 10 starts in a second.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  if ! qemu-i386 --version 2>/dev/null | grep -q 'version \(8\|9\|1[0-9]\)\.'; then
    if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
      archive=$(debian_archive)
      [ -n "$archive" ] || { echo "setup: no Debian bookworm source is configured for apt" >&2; exit 1; }
      echo "deb $archive bookworm-backports main" > /etc/apt/sources.list.d/backports.list
    fi
    updated=
    [ -n "$updated" ] || { apt-get update -qq; updated=1; }
    apt-get install -y -qq -t bookworm-backports qemu-user-static </dev/null >/dev/null
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  # Re-register so that the handler is the qemu installed now (F keeps the file open).
  [ -e "$binfmt/qemu-i386" ] && echo -1 > "$binfmt/qemu-i386"
  printf '%s' ':qemu-i386:M::\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:OCF' > "$binfmt/register"
  /lib/ld-linux.so.2 --version >/dev/null
fi
