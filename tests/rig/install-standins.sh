#!/usr/bin/env bash
# install-standins.sh STANDIN_DIR PREFIX
# Puts the stand-ins for what a firm's machine has and Wine lacks into a prefix:
# the RAS library and route utility into system32, the trading client into
# Program Files. Only what was built is installed; copies are refreshed when newer.
set -euo pipefail
src="$1"; prefix="$2"
sys32="$prefix/drive_c/windows/system32"
client="$prefix/drive_c/Program Files/QuillMarsh"
[ -f "$src/rasapi32.dll" ] && cp -u "$src/rasapi32.dll" "$sys32/"
[ -f "$src/route.exe" ] && cp -u "$src/route.exe" "$sys32/"
if [ -f "$src/QuillMarsh.exe" ]; then
  mkdir -p "$client"
  cp -u "$src/QuillMarsh.exe" "$client/"
fi
exit 0
