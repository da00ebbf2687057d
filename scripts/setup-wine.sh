#!/bin/bash
# Makes this machine run the 32-bit Windows build: Wine's 32-bit loader under QEMU's
# user-mode emulator, and one Wine prefix kept in a cache folder outside the checkout.
# Idempotent: installs, mounts, registers and creates only what is missing.
# Prints the WINEPREFIX to use on its last line.
set -euo pipefail

cache="${KIV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kivsqlite3}"
prefix="$cache/wine32"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
need_root() { [ "$(id -u)" = 0 ] || { echo "setup-wine: $1 needs root" >&2; exit 1; }; }

if ! installed wine32:i386 || ! installed wine || ! installed qemu-user-static; then
  need_root "installing wine32:i386 and qemu-user-static"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends wine wine32:i386 qemu-user-static >&2
fi

if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  need_root "mounting binfmt_misc"
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
fi
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  need_root "registering the i386 ELF handler"
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    > /proc/sys/fs/binfmt_misc/register
fi

# The marker is written last, so a prefix whose creation was cut short is made again.
if [ ! -f "$prefix/.kiv-ready" ]; then
  echo "Creating the Wine prefix $prefix (a few minutes, once)" >&2
  rm -rf "$prefix"
  mkdir -p "$cache"
  # wineboot can return before the prefix is whole when the machine is busy: a prefix
  # is usable once its system folder holds kernel32.dll; update it once more if not.
  for attempt in 1 2; do
    WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all wineboot -u >&2 2>/dev/null || true
    # wineboot has returned; its helper services would linger for minutes: stop them,
    # which also writes the registry out.
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    [ -f "$prefix/drive_c/windows/system32/kernel32.dll" ] && [ -f "$prefix/system.reg" ] && break
    echo "setup-wine: the prefix is not complete yet (attempt $attempt)" >&2
  done
  [ -f "$prefix/drive_c/windows/system32/kernel32.dll" ] ||
    { echo "setup-wine: creating the prefix failed" >&2; exit 1; }
  touch "$prefix/.kiv-ready"
fi
echo "$prefix"
