#!/usr/bin/env bash
# Runs every test: set-up, build, fresh Wine prefixes, a virtual display, ctest.
# Arguments go to ctest (-R REGEX runs some tests); QM_TARGETS="a b" builds only
# those targets first; QM_WINE chooses the Wine configuration (wine32, wow64).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
source "$top/scripts/wine.sh"
qm_setup
[ -n "${QM_WOW64_NAMESPACE:-}" ] || qm_wine_announce test
targets=()
for t in ${QM_TARGETS:-}; do targets+=(--target "$t"); done
"$top/scripts/build.sh" "${targets[@]}"

if [ "$QM_WINE" = none ]; then
  # Only the checks that run on the build machine itself can run here; say
  # plainly how much is left out rather than pass it off as tested.
  cd "$build"
  programs=$(find bin -maxdepth 1 -name '*_tests.exe' | wc -l)
  echo "test: NOT RUN: the $programs test programs under Wine; no Wine configuration works on this host" >&2
  echo "test: running only the checks that run on the build machine" >&2
  exec ctest --output-on-failure -L host "$@"
fi
qm_enter_wine "$0" "$@"

wine_dir=$(qm_wine_dir)
source "$top/scripts/xvfb.sh"
# Each run starts from clean copies of the template prefix.
stop_servers() {
  for p in "$wine_dir"/groups/*/; do
    [ -d "$p" ] && WINEPREFIX="${p%/}" wineserver -k 2>/dev/null || true
  done
}
cleanup() { stop_servers; qm_stop_xvfb; }
trap cleanup EXIT
trap 'exit 130' INT TERM
stop_servers
# A read-only log of a run with QM_LOG_TRAP=readonly (tests/rig/wine-run.sh.in).
[ ! -d "$wine_dir/groups" ] || find "$wine_dir/groups" -name QuillmarshVPN.log -exec chattr -i {} + 2>/dev/null || true
rm -rf "$wine_dir/groups"
"$top/tests/rig/make-prefix.sh" "$wine_dir/template"

qm_start_xvfb
qm_start_side_xvfb
cd "$build"
ctest --output-on-failure -j2 --timeout 180 "$@"
