#!/usr/bin/env bash
# install-standins.sh STANDIN_DIR PREFIX
# Puts the stand-ins for what a firm's machine has and Wine lacks into a prefix:
# the RAS library and route utility into system32, the trading client into
# Program Files. Only what was built is installed; copies are refreshed when they
# differ. (Not by time: the prefix's own placeholder rasapi32.dll is younger than
# a stand-in built before the prefix was made.)
set -euo pipefail
src="$1"; prefix="$2"
sys32="$prefix/drive_c/windows/system32"
client="$prefix/drive_c/Program Files/QuillMarsh"
install_one() { [ -f "$1" ] || return 0; cmp -s "$1" "$2/$(basename "$1")" || cp "$1" "$2/"; }
install_one "$src/rasapi32.dll" "$sys32"
install_one "$src/route.exe" "$sys32"
if [ -f "$src/QuillMarsh.exe" ]; then
  mkdir -p "$client"
  install_one "$src/QuillMarsh.exe" "$client"
fi
exit 0
