#!/bin/sh
# Installs Debian packages (as root): apt-get update, then apt-get install. An update
# that fails for part of the index (a mirror caught mid-sync) is tried again a few
# times and then let be: the install goes on with the lists it has, and fails plainly
# only when a package really cannot be had.
#   scripts/apt-install.sh PACKAGE...
set -eu
export DEBIAN_FRONTEND=noninteractive
for attempt in 1 2 3; do
  apt-get update -qq && break
  echo "apt-install: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" = 3 ] || sleep 15
done
apt-get install -y -qq --no-install-recommends "$@"
