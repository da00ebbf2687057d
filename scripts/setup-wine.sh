#!/bin/bash
# Makes this machine run the 32-bit Windows build: Wine's 32-bit loader under QEMU's
# user-mode emulator, and one Wine prefix kept in a cache folder outside the checkout.
# Idempotent: installs, mounts, registers and creates only what is missing.
# Prints the WINEPREFIX to use on its last line.
#   scripts/setup-wine.sh [--packages | --start | --stop]
# --packages installs and registers only; --start also starts the prefix's Wine session,
# keeps it for half an hour and waits until its start-up has settled (CI runs it in the
# background while the native stages run, and the Windows tests run it again first):
# Wine's services, which have many threads, crash now and then in a session's start-up
# under the emulator (README, "The Windows release"), and the tests run once that is
# over; --stop ends the session.
set -euo pipefail

cache=$("$(dirname "$0")/cache-folder.sh")
prefix="$cache/wine32"
# How long Wine's installation may take before this gives up waiting (it is never cut
# short): minutes on an idle machine, over a quarter of an hour on a busy one.
limit=${KIV_WINE_SETUP_SECONDS:-2400}

export WINEDEBUG=-all

mode=${1:-}
# --stop: ends the prefix's Wine session (its server and helper services).
if [ "$mode" = --stop ]; then
  [ ! -d "$prefix" ] || WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  exit 0
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
need_root() { [ "$(id -u)" = 0 ] || { echo "setup-wine: $1 needs root" >&2; exit 1; }; }

if ! installed wine32:i386 || ! installed wine || ! installed qemu-user-static; then
  need_root "installing wine32:i386 and qemu-user-static"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  "$(dirname "$0")/apt-install.sh" wine wine32:i386 qemu-user-static >&2
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
[ "$mode" != --packages ] || exit 0

# The Windows programs of the prefix that are still at work: every Wine process of it
# but the server and the helper services, which stay until they are stopped.
installer_processes() {
  local env pid cmd
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    { tr '\0' '\n' < "$env"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    cmd=$({ tr '\0' ' ' < "/proc/$pid/cmdline"; } 2>/dev/null) || continue
    case "${cmd,,}" in
      *.exe*) ;;
      *) continue ;;
    esac
    case "${cmd,,}" in
      *'\services.exe'* | *'\explorer.exe'* | *'\winedevice.exe'* | *'\plugplay.exe'* | \
      *'\svchost.exe'* | *'\rpcss.exe'* | *'\conhost.exe'*) continue ;;
    esac
    echo "$pid ${cmd:0:120}"
  done
}

# Waits until Wine's installation into the prefix has ended by itself.
wait_for_installation() {
  local start=$SECONDS busy
  while busy=$(installer_processes) && [ -n "$busy" ]; do
    if [ $((SECONDS - start)) -ge "$limit" ]; then
      echo "setup-wine: Wine is still installing into $prefix after $limit s; it was left to" \
           "finish (run this again later). Still at work:" >&2
      echo "$busy" >&2
      exit 1
    fi
    sleep 5
  done
}

# Wine runs the desktop's menu builder at every session's start: one more emulated
# process, a minute of a session's start, that the tests do not need. Done while no Wine
# process of the prefix runs, which would write the registry back. (The helper services
# stay as Wine sets them: with some of them started on demand only, the emulated
# wineserver was seen to crash.)
quiet_menus() {
  local reg="$prefix/system.reg"
  awk '
    /^\[/ { key = $1 }
    key == "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\RunServices]" &&
      $0 ~ /^"winemenubuilder"=/ { next }
    { print }' "$reg" > "$reg.new"
  if cmp -s "$reg" "$reg.new"; then rm "$reg.new"; else mv "$reg.new" "$reg"; fi
}

# The CPU time, in clock ticks, that the prefix's Wine processes (the server included)
# have used so far.
wine_ticks() {
  local env pid ticks=0 stat
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    { tr '\0' '\n' < "$env"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
    stat=${stat##*) }  # the fields after the command's name, which may hold blanks
    set -- $stat
    ticks=$((ticks + ${12} + ${13}))  # utime and stime: fields 14 and 15 of the line
  done
  echo "$ticks"
}

# Waits until the session's start-up has settled: no start-up program left (wineboot),
# and its services idle, together under 5% of a core for 10 s in a row.
settle() {
  wait_for_installation
  local start=$SECONDS quiet=0 last now
  last=$(wine_ticks)
  while [ "$quiet" -lt 10 ] && [ $((SECONDS - start)) -lt "$limit" ]; do
    sleep 1
    now=$(wine_ticks)
    if [ $((now - last)) -lt 5 ]; then quiet=$((quiet + 1)); else quiet=0; fi
    last=$now
  done
  echo "setup-wine: the session settled after $((SECONDS - start)) s" >&2
}

complete() {
  [ -f "$prefix/drive_c/windows/system32/kernel32.dll" ] && [ -f "$prefix/system.reg" ] &&
    [ "$(find "$prefix/drive_c/windows/system32" -maxdepth 1 -type f | wc -l)" -ge 300 ]
}

# The marker is written last, so a prefix whose creation was cut short is made again;
# one whose installation is still under way (an earlier run gave up waiting) is waited
# for, not made again. One run at a time makes or finishes it (CI's background start and
# the test fixture may both come here): the other waits for the lock, then finds it made.
mkdir -p "$cache"
exec 9>"$cache/wine32.lock"
flock -w "$limit" 9 || { echo "setup-wine: another run held $cache/wine32.lock for $limit s" >&2; exit 1; }
if [ ! -f "$prefix/.kiv-ready" ]; then
  start=$SECONDS
  if [ -z "$(installer_processes)" ]; then
    echo "Creating the Wine prefix $prefix (minutes, or a quarter of an hour on a busy machine; once)" >&2
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null 9>&- || true  # the server of a cut-short attempt
    rm -rf "$prefix"
    # Neither Mono nor Gecko: their installers would ask to download them, which this
    # machine cannot. wineboot may return before the installation has ended (after its
    # own time-out, "boot event wait timed out"): the installer goes on in the
    # background, and is waited for below.
    WINEPREFIX="$prefix" WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml=" \
      wineboot -u </dev/null >/dev/null 2>&1 9>&- || true  # Wine keeps no copy of the lock
  else
    echo "Waiting for Wine's installation into $prefix, begun earlier, to end" >&2
  fi
  wait_for_installation
  # Only the helper services are left: stopping them now ends nothing half done, and the
  # server writes the registry out as it goes.
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null 9>&- || true
  WINEPREFIX="$prefix" wineserver -w 2>/dev/null 9>&- || true
  complete || { echo "setup-wine: the prefix $prefix is not complete; remove it and run again" >&2; exit 1; }
  quiet_menus
  touch "$prefix/.kiv-ready"
  echo "setup-wine: the prefix was ready after $((SECONDS - start)) s" >&2
elif ! pgrep -f "wineserver" >/dev/null && [ -z "$(installer_processes)" ]; then
  quiet_menus  # a prefix made before this was done
fi
exec 9>&-  # the lock goes with it
if [ "$mode" = --start ]; then
  WINEPREFIX="$prefix" wineserver -p 1800 2>/dev/null || true  # one may run already
  WINEPREFIX="$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  settle
fi
echo "$prefix"
