#!/usr/bin/env bash
# Measures the program under Wine and writes the figures to docs/performance.md:
# start-up, size and idle memory against the bare dialog manager showing the
# same dialog; whole login attempts (overhead stage by stage, the dialog's
# answers while they run, teardown, memory); and the full leak soak.
#
#   scripts/bench.sh [RUNS]     RUNS starts of each program and RUNS attempts
#                               for each teardown case (at least 10, 15 unless told)
#
# QM_BUILD_DIR chooses the build folder, QM_WINE the Wine configuration (wine32,
# wow64); each configuration's figures replace only its own part of the page.
# QM_BENCH_EARLIER names another build of QuillmarshVPN.exe that takes its turn
# in the same start-up rounds; QM_BENCH_ONLY=startup runs those rounds alone and
# prints their figures instead of writing the page, QM_BENCH_ONLY=attempts the
# login attempts (with the route service's) alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
runs="${1:-15}"
out="$top/docs/performance.md"
source "$top/scripts/wine.sh"
qm_setup
if [ -z "${QM_WOW64_NAMESPACE:-}" ]; then
  qm_wine_announce bench
  [ "$QM_WINE" != none ] || { echo "bench: the program cannot run on this host" >&2; exit 1; }
fi

# The benches and what they start; a half-finished test elsewhere in the tree
# must not keep them from running.
targets=(--target qm_bench --target qm_attempt_bench --target qm_log_bench --target qm_link_bench --target soak_tests --target QuillmarshVPN
         --target baseline_dialog --target baseline_dialog_cc)
for standin in rasapi32:rasapi32 route:route client:QuillMarsh; do
  if [ -f "$top/standins/${standin%%:*}/CMakeLists.txt" ]; then targets+=(--target "${standin#*:}"); fi
done
"$top/scripts/build.sh" "${targets[@]}"
qm_enter_wine "$0" "$@"

source "$top/scripts/xvfb.sh"
prefix="$(qm_wine_dir)/bench"
"$top/tests/rig/make-prefix.sh" "$(qm_wine_dir)/template" "$prefix"
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
# A persistent server and a booted prefix, so that no start pays for them. A
# server left running in this prefix (a bench run by hand) refuses to start a
# second one, and serves as well.
wineserver -p 2>/dev/null || true
wine wineboot.exe </dev/null >/dev/null 2>&1 || true

echo "bench: $runs runs of each program on display $DISPLAY, Wine prefix $prefix" >&2
earlier=()
[ -z "${QM_BENCH_EARLIER:-}" ] || earlier=("$(winepath -w "$QM_BENCH_EARLIER" 2>/dev/null)")
figures=
[ "${QM_BENCH_ONLY:-}" = attempts ] || figures=$(wine "$build/bin/qm_bench.exe" "$runs" "${earlier[@]}" </dev/null | tr -d '\r')
if [ "${QM_BENCH_ONLY:-}" = startup ]; then
  echo "$figures"
  exit 0
fi
echo "bench: $runs login attempts for each teardown case, and through the route service" >&2
attempts=$(wine "$build/bin/qm_attempt_bench.exe" "$runs" </dev/null | tr -d '\r')
if [ "${QM_BENCH_ONLY:-}" = attempts ]; then
  echo "$attempts"
  exit 0
fi
echo "bench: the support log's costs" >&2
supportlog=$(wine "$build/bin/qm_log_bench.exe" </dev/null | tr -d '\r')
echo "bench: a session whose link is dropped $runs times" >&2
link=$(wine "$build/bin/qm_link_bench.exe" "$runs" </dev/null | tr -d '\r')
echo "bench: the full leak soak (a few minutes)" >&2
soak_rc=0
soak=$(QM_SOAK_FULL=1 wine "$build/bin/soak_tests.exe" </dev/null 2>&1 | tr -d '\r') || soak_rc=$?
soak_rounds=$(grep -E ' round [0-9]+: ' <<<"$soak" || true)
soak_verdict=$(grep -E '^\[  (PASSED|FAILED)  \]' <<<"$soak" || true)

cpu=$(grep -m1 '^model name' /proc/cpuinfo | sed 's/^[^:]*: *//' || true)
case "$QM_WINE" in
  wine32) config="wine32: Debian 12's Wine in a 32-bit prefix, as on 32-bit Windows" ;;
  wow64) config="wow64: Wine 10 in WoW64 mode in a 64-bit prefix, as on 64-bit Windows" ;;
esac
section=$(mktemp)
{
  echo "## $config"
  echo
  echo "Measured by \`scripts/bench.sh $runs\` on $(date -u +%Y-%m-%d), $(wine --version 2>/dev/null || echo Wine),"
  echo "${cpu:-unknown CPU}, $(nproc) CPUs."
  echo
  echo "### Start-up, size and the idle dialog"
  echo
  echo "$figures"
  echo
  echo "Under Wine, start-up includes Wine's own process creation (tens of"
  echo "milliseconds with a running wineserver), which all programs pay alike. Other"
  echo "work on the machine (builds, tests) widens the spread of the start-up figure."
  echo "Wine reports a PrivateUsage of 0 for another process, so private memory is"
  echo "counted from the committed private regions instead. The second start-up row"
  echo "tells the program's own work from the common-controls library, which it must"
  echo "initialise first and whose loading Wine makes far dearer than Windows does."
  echo
  echo "### A login attempt"
  echo
  echo "The real program against the stand-ins in the same prefix: the driver types"
  echo "the credentials, clicks Login, and asks the dialog WM_NULL from a thread of its"
  echo "own until the client ends; the stand-ins' logs (RAS calls, route commands, the"
  echo "client's creation) time the stages on the system clock. The client is ended"
  echo "through its quit event 300 ms after the dialog hid."
  echo
  echo "$attempts"
  echo
  echo "### The support log"
  echo
  echo "\`qm_log_bench.exe\`: the log opened as the program opens it at its start, in the"
  echo "bench's prefix, then 2,000 lines of a route command's length, each timed on the"
  echo "calling thread. The attempt figures above already include the log's lines."
  echo
  echo "$supportlog"
  echo
  echo "### The link while the client runs"
  echo
  echo "\`qm_link_bench.exe\`: the real program logged in against the stand-ins, idle for four"
  echo "minutes, then its link dropped again and again (the RAS stand-in's \`drop.serial\`), each"
  echo "drop timed from the stand-ins' logs on the system clock."
  echo
  echo "$link"
  echo
  echo "### Leak soak, full size"
  echo
  echo "\`QM_SOAK_FULL=1 soak_tests.exe\`: 200 failed and 200 cancelled diagnostic attempts in one"
  echo "process, 2,000 ticks of the real program's progress strip, and 30 drops and restores of its"
  echo "link in one session; the counts after each round:"
  echo
  echo '```'
  echo "${soak_rounds:-no rounds reported}"
  echo '```'
  echo
  echo "Result: ${soak_verdict:-no result} (exit code $soak_rc)."
} >"$section"
# Only this configuration's part of the page is replaced; the other's figures stay.
python3 - "$out" "$QM_WINE" "$section" <<'PY'
import sys
page, config, section = sys.argv[1], sys.argv[2], open(sys.argv[3]).read()
begin, end = f"<!-- figures {config} -->\n", f"<!-- end of figures {config} -->\n"
text = open(page).read()
if begin in text and end in text:
    head, rest = text.split(begin, 1)
    text = head + begin + section + end + rest.split(end, 1)[1]
else:
    text += "\n" + begin + section + end
open(page, "w").write(text)
PY
rm -f "$section"
echo "bench: figures of $QM_WINE written to $out" >&2
