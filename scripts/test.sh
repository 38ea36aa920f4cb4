#!/usr/bin/env bash
# Runs every test: set-up, build, fresh Wine prefixes, a virtual display, ctest.
# Arguments go to ctest (-R REGEX runs some tests); QM_TARGETS="a b" builds only
# those targets first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
targets=()
for t in ${QM_TARGETS:-}; do targets+=(--target "$t"); done
"$top/scripts/build.sh" "${targets[@]}"

source "$top/tests/rig/wine-env.sh"
source "$top/scripts/xvfb.sh"
# Each run starts from clean copies of the template prefix.
stop_servers() {
  for p in "$build"/wine/groups/*/; do
    [ -d "$p" ] && WINEPREFIX="${p%/}" wineserver -k 2>/dev/null || true
  done
}
cleanup() { stop_servers; qm_stop_xvfb; }
trap cleanup EXIT
stop_servers
rm -rf "$build/wine/groups"
"$top/tests/rig/make-prefix.sh" "$build/wine/template"

qm_start_xvfb
cd "$build"
ctest --output-on-failure -j2 --timeout 180 "$@"
