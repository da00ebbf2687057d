#!/bin/sh
# Installs Debian packages (as root): apt-get update, then apt-get install. An update
# that fails for part of the index (a mirror caught mid-sync) is tried again a few
# times and then let be: the install goes on with the lists it has. Where that leaves
# one architecture's security index missing, the versions of the two architectures no
# longer agree (wine32:i386 beside amd64), and the packages are then taken from the
# release itself, whose index is whole.
# Another install that holds Debian's package lock is waited for, up to 10 minutes.
#   scripts/apt-install.sh PACKAGE...
set -eu
export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -o DPkg::Lock::Timeout=600 "$@"; }
updated=no
for attempt in 1 2 3; do
  if apt_get update -qq; then updated=yes; break; fi
  echo "apt-install: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" = 3 ] || sleep 15
done
if apt_get install -y -qq --no-install-recommends "$@"; then exit 0; fi
[ "$updated" = no ] || exit 1
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "apt-install: the index is incomplete; installing from $release itself" >&2
apt_get install -y -qq --no-install-recommends -t "$release" "$@"
