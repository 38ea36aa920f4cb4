#!/usr/bin/env bash
# Measures the program against the bare dialog manager showing the same dialog
# (start-up to a ready dialog, size, private memory of the idle dialog) under
# Wine, and writes the figures to docs/performance.md.
#
#   scripts/bench.sh [RUNS]     RUNS starts of each program (at least 10, 15 unless told)
#
# QM_BUILD_DIR chooses the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
runs="${1:-15}"
out="$top/docs/performance.md"

# The bench and what it starts; a half-finished test elsewhere in the tree must
# not keep it from running.
targets=(--target qm_bench --target QuillmarshVPN --target baseline_dialog)
for standin in rasapi32:rasapi32 route:route client:QuillMarsh; do
  if [ -f "$top/standins/${standin%%:*}/CMakeLists.txt" ]; then targets+=(--target "${standin#*:}"); fi
done
"$top/scripts/build.sh" "${targets[@]}"

source "$top/tests/rig/wine-env.sh"
source "$top/scripts/xvfb.sh"
prefix="$build/wine/bench"
"$top/tests/rig/make-prefix.sh" "$build/wine/template" "$prefix"
"$top/tests/rig/install-standins.sh" "$build/standins" "$prefix"
export WINEPREFIX="$prefix"

cleanup() {
  # The prefix is this script's own: end the services Wine started in it.
  wineserver -k 2>/dev/null || true
  qm_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Always a display of its own: no window manager, no other windows, the same
# conditions on every machine.
qm_start_xvfb
# A persistent server and a booted prefix, so that no start pays for them.
wineserver -p
wine wineboot.exe </dev/null >/dev/null 2>&1 || true

echo "bench: $runs runs of each program on display $DISPLAY, Wine prefix $prefix" >&2
figures=$(wine "$build/bin/qm_bench.exe" "$runs" </dev/null | tr -d '\r')

cpu=$(grep -m1 '^model name' /proc/cpuinfo | sed 's/^[^:]*: *//' || true)
{
  echo "# Performance"
  echo
  echo "QuillmarshVPN.exe against baseline_dialog.exe, a bare Win32 program that shows"
  echo "the same dialog template with DialogBoxParam and does nothing else. Both run"
  echo "one after the other in one Wine prefix on a virtual display (Xvfb, no window"
  echo "manager); each start is ended through its process handle before the next,"
  echo "since the program lets only one copy run. Start-up is timed from just before"
  echo "CreateProcess until the dialog is visible and its User ID box answers"
  echo "WM_GETTEXT; memory is read 300 ms after that, from the benchmark process."
  echo
  echo "Measured by \`scripts/bench.sh $runs\` on $(date -u +%Y-%m-%d), $(wine --version 2>/dev/null || echo Wine),"
  echo "${cpu:-unknown CPU}, $(nproc) CPUs."
  echo
  echo "$figures"
  echo
  echo "Under Wine, start-up includes Wine's own process creation (tens of"
  echo "milliseconds with a running wineserver), which both programs pay alike. Other"
  echo "work on the machine (builds, tests) widens the spread of the start-up figure."
  echo "Wine reports a PrivateUsage of 0 for another process, so private memory is"
  echo "counted from the committed private regions instead."
} >"$out"
echo "bench: figures written to $out" >&2
cat "$out"
