#!/bin/sh
# The main job: start the program with the debug capture on and show what it leaves behind.
set -eu
build=${1:-build}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$bin/lumatrace" "$work/lumatrace"
printf '[Lumatrace Config]\r\nDebug Log=1\r\nCheckVIDPID_INI=1\r\nAutoRun=1\r\n' > "$work/station.ini"

echo "== lumatrace -f -version (configuration from $work/station.ini)"
set +e
LUMATRACE_CONFIG="$work/station.ini" "$work/lumatrace" -f -version
code=$?
set -e
echo "== exit code: $code"
echo "== DebugLog.txt beside the executable:"
cat "$work/DebugLog.txt"
