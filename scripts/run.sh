#!/usr/bin/env bash
# Runs the program under Wine: set-up, build, a Wine prefix of its own with the
# stand-ins (RAS, route, the trading client), then the login window.
#
#   scripts/run.sh               with $DISPLAY: the window stays until it is closed
#                                (Ctrl+C ends it); without: a private virtual display,
#                                a screenshot, and the end
#   scripts/run.sh --screenshot  ends the program after the screenshot in any case
#
# The screenshot of the login window goes to <build>/screenshot.png.
# QM_BUILD_DIR chooses the build folder; QM_RUN_EXE runs another program of
# <build>/bin that shows the same window (baseline_dialog.exe, for instance);
# QM_WINE the Wine configuration (wine32, wow64; see tests/rig/wine-select.sh);
# QM_RUN_DPI the display scale in dots per inch (96 is 100 %, 144 is 150 %).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
source "$top/scripts/wine.sh"
qm_setup
if [ -z "${QM_WOW64_NAMESPACE:-}" ]; then
  qm_wine_announce run
  [ "$QM_WINE" != none ] || { echo "run: the program cannot run on this host" >&2; exit 1; }
fi
exe_name="${QM_RUN_EXE:-QuillmarshVPN.exe}"
caption=" Quillmarsh VPN Login"
window_limit="${QM_RUN_TIMEOUT:-60}"
screenshot_only=no
[ "${1:-}" = "--screenshot" ] && screenshot_only=yes

# Only the program and its stand-ins: a half-finished test elsewhere in the tree
# must not keep anyone from running the program.
targets=(--target "${exe_name%.exe}")
# Each stand-in folder that is there, with the target it builds.
for standin in rasapi32:rasapi32 route:route client:QuillMarsh; do
  if [ -f "$top/standins/${standin%%:*}/CMakeLists.txt" ]; then targets+=(--target "${standin#*:}"); fi
done
"$top/scripts/build.sh" "${targets[@]}"
[ -f "$build/bin/$exe_name" ] || { echo "run: $build/bin/$exe_name was not built" >&2; exit 1; }
qm_enter_wine "$0" "$@"

source "$top/scripts/xvfb.sh"
prefix="$(qm_wine_dir)/run"
"$top/tests/rig/make-prefix.sh" "$(qm_wine_dir)/template" "$prefix"
"$top/tests/rig/install-standins.sh" "$build/standins" "$prefix"
export WINEPREFIX="$prefix"

program_pid=
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  # The prefix is this script's own: end the services Wine started in it.
  wineserver -k 2>/dev/null || true
  qm_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

own_display=no
if [ -z "${DISPLAY:-}" ]; then
  qm_start_xvfb
  own_display=yes
fi
echo "run: $exe_name on display $DISPLAY, Wine prefix $prefix"

# A fresh prefix boots first, away from our output: its services outlive the
# program and would otherwise hold the terminal's pipes.
wine wineboot.exe </dev/null >/dev/null 2>&1 || true
# The display scale, as Windows keeps it for the user. Like a sign-in on
# Windows, the prefix's session starts again to take it.
dpi="${QM_RUN_DPI:-96}"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine wineboot.exe --shutdown </dev/null >/dev/null 2>&1 || true
wineserver -w
wine wineboot.exe </dev/null >/dev/null 2>&1 || true

# A configuration server for F8 to find: a listener on loopback that accepts
# and closes, set up through the values a firm's installer writes.
port_file=$(mktemp)
python3 -c '
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
print(s.getsockname()[1], flush=True)
while True:
    s.accept()[0].close()
' >"$port_file" &
server_pid=$!
for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.1; done
port=$(cat "$port_file"); rm -f "$port_file"
[ -n "$port" ] || { echo "run: the configuration-server listener did not start" >&2; exit 1; }
key='HKCU\Software\Quillmarsh Holdings\QuillMarsh Professional'
wine reg add "$key" /v 'Is it safe?' /t REG_BINARY /d 00 /f >/dev/null 2>&1
wine reg add "$key" /v 'ConfigSvr IP' /t REG_SZ /d 127.0.0.1 /f >/dev/null 2>&1
wine reg add "$key" /v 'ConfigSvr Port' /t REG_DWORD /d "$port" /f >/dev/null 2>&1
echo "run: configuration server listening on 127.0.0.1:$port"

# The stand-ins keep a record of what the program asked of them.
export QM_RAS_LOG=$(winepath -w "$build/run-ras.log" 2>/dev/null)
export QM_ROUTE_LOG=$(winepath -w "$build/run-route.log" 2>/dev/null)
wine "$build/bin/$exe_name" </dev/null &
program_pid=$!

window=
deadline=$((SECONDS + window_limit))
while [ -z "$window" ]; do
  window=$(xdotool search --onlyvisible --name "^${caption}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$program_pid" 2>/dev/null || { echo "run: $exe_name ended before its window appeared" >&2; exit 1; }
  [ "$SECONDS" -lt "$deadline" ] || { echo "run: no window \"$caption\" within ${window_limit} s" >&2; exit 1; }
  sleep 0.25
done

# Let the dialog finish painting before the picture is taken.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
screenshot="$build/screenshot.png"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot"
echo "run: screenshot of the login window (${WIDTH}x${HEIGHT}) saved to $screenshot"

if [ "$own_display" = yes ] || [ "$screenshot_only" = yes ]; then
  exit 0
fi
echo "run: log in with any user name and password: the stand-in trading client comes up;"
echo "run: close it and the program hangs up and ends. F8 first shows the diagnostics."
echo "run: RAS calls go to $build/run-ras.log, route commands to $build/run-route.log."
echo "run: close the login window (Cancel) or press Ctrl+C to end"
wait "$program_pid" || true
program_pid=
