#!/usr/bin/env bash
# install-standins.sh STANDIN_DIR PREFIX
# Puts the stand-ins for what a firm's machine has and Wine lacks into a prefix,
# where the Windows of the configuration keeps them for a 32-bit program: the RAS
# library and route utility into its system folder (system32, or SysWOW64 on
# 64-bit Windows), the trading client under its Program Files (x86 on 64-bit
# Windows). Only what was built is installed; copies are refreshed when they
# differ. (Not by time: the prefix's own placeholder rasapi32.dll is younger than
# a stand-in built before the prefix was made.)
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
src="$1"; prefix="$2"
system="$prefix/drive_c/$qm_system_dir"
client="$prefix/drive_c/$qm_program_files/QuillMarsh"
# A new file rather than a rewrite: a prefix shares Wine's own files with its
# template through hard links.
install_one() { [ -f "$1" ] || return 0; cmp -s "$1" "$2/$(basename "$1")" || cp --remove-destination "$1" "$2/"; }
mkdir -p "$system"
install_one "$src/rasapi32.dll" "$system"
install_one "$src/route.exe" "$system"
if [ -f "$src/QuillMarsh.exe" ]; then
  mkdir -p "$client"
  install_one "$src/QuillMarsh.exe" "$client"
fi
exit 0
