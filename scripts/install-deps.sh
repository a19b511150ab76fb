#!/bin/sh
# Installs the Debian packages the build needs, when they are missing.
#   scripts/install-deps.sh [extra-package ...]
set -eu

packages="cmake make g++ pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev libusb-1.0-0-dev"
packages="$packages $*"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

echo "install-deps: installing the missing Debian packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
  run=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  run="sudo"
else
  echo "install-deps: cannot install:$missing" >&2
  echo "install-deps: run as root, or install them with: sudo apt-get install -y$missing" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! $run apt-get install -y --no-install-recommends $missing; then
  echo "install-deps: refreshing the package lists and trying again"
  $run apt-get update
  if ! $run apt-get install -y --no-install-recommends $missing; then
    echo "install-deps: apt-get could not install:$missing" >&2
    exit 1
  fi
fi
