#!/bin/sh
# The main job: a complete firmware update of an emulated codec from the command line.
#   scripts/demo.sh [build-dir]
set -eu
build=${1:-build}
bin="$(cd "$build/bin" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

step() { printf '\n== %s\n' "$*"; }
run() {
  printf '$ %s\n' "$*"
  set +e
  "$@"
  code=$?
  set -e
  printf '\n(exit code %d)\n' "$code"
  return 0
}

step "An emulated codec (VXQ62, 256 KiB serial flash, ROM code) on a virtual bus"
"$bin/lumatrace-emu" create bus --chip VXQ62 --memory flash >/dev/null
"$bin/lumatrace-emu" show bus

step "A firmware image for it (version 1.204.0001-0002.0003, serial number DEMO0001)"
"$bin/lumatrace-imagegen" --chip VXQ62 --code 0xEFFE --memory flash \
  --version 1.204.0001-0002.0003 --serial DEMO0001 --vidpid 3C5E,4C15,0000 -o fw.rfw
ls -l fw.rfw

# The program keeps Result.txt beside itself and burn_result.txt in the current directory.
cp "$bin/lumatrace" ./lumatrace
printf '[Lumatrace Config]\r\nCheckVIDPID_INI=1\r\nSaveResultToFile=1\r\nLogType=1\r\nWait Time=1000\r\n' > station.ini
export LUMATRACE_EMULATOR="$work/bus" LUMATRACE_CONFIG="$work/station.ini"

step "The version it runs now"
run ./lumatrace -f -version
step "Write the image"
run ./lumatrace -f -write fw.rfw
step "The version it runs after the update"
run ./lumatrace -f -version
step "Verify the flash against the image"
run ./lumatrace -f -verify fw.rfw

step "The emulated codec after the update"
"$bin/lumatrace-emu" show bus

step "Result files"
echo "Result.txt (beside the program, last operation): $(cat Result.txt)"
echo "burn_result.txt (current directory, one row per run):"
tr -d '\r' < burn_result.txt
