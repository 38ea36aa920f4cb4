#!/usr/bin/env bash
# Renews the README's pictures: the end-to-end tests that show the login window
# (at each display scale) and the diagnostic state save them on the way, and
# ImageMagick makes PNGs.
# Take them under QM_WINE=wow64, as on the firm's 64-bit Windows.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD_DIR:-$top/build}"
shots="$build/screenshots"
source "$top/tests/rig/wine-select.sh"
[ "$QM_WINE" != none ] || { qm_wine_announce screenshots; echo "screenshots: the program cannot run on this host" >&2; exit 1; }
rm -rf "$shots"; mkdir -p "$shots"
QM_SCREENSHOT_DIR="$shots" QM_TARGETS="e2e_window_tests e2e_diagnostic_tests" \
  "$top/scripts/test.sh" -R 'PaintsTheFirmsColours|F8ShowsTunnelAndProbe|HighContrastPaints' >/dev/null
mkdir -p "$top/docs/images"
# The login window at 100 % and, from the same test at 144 dpi, at 150 %; after
# F8 in the firm's colours and in a dark high-contrast theme.
for name in login login-150 diagnostic high-contrast; do
  convert "$shots/$name.bmp" "$top/docs/images/$name.png"
  echo "docs/images/$name.png"
done
