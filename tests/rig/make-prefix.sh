#!/usr/bin/env bash
# make-prefix.sh TEMPLATE [COPY]
# Makes the template prefix once (boot, Wine's own fonts, the RAS override) and,
# when COPY is given and missing, a copy of it. Safe to run concurrently.
# QM_PREFIX_DPI: the copy's display scale (LogPixels), set in its registry before
# any Wine process starts in it, as a Windows session has it from its sign-in.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
template=$(realpath -m "$1"); copy=${2:+$(realpath -m "$2")}
mkdir -p "$(dirname "$template")"

# Bumped whenever the template's making changes, so older templates are remade.
rig_version=3

make_template() {
  [ "$(cat "$template/.qm-ready" 2>/dev/null)" = "$rig_version" ] && return 0
  rm -rf "$template.tmp"
  # A 32-bit prefix for wine32, a 64-bit one (WINEARCH=win64) for wow64.
  WINEPREFIX="$template.tmp" wineboot -i >/dev/null 2>&1
  # Debian's wine does not find its fonts; without them "MS Shell Dlg" falls
  # back to a font that cuts the labels.
  cp "$qm_wine_fonts"/*.ttf "$template.tmp/drive_c/windows/Fonts/"
  # Our RAS stand-in in the system folder wins over Wine's stub. Set in the registry so
  # that children of Windows processes get it too.
  WINEPREFIX="$template.tmp" wine reg add 'HKCU\Software\Wine\DllOverrides' /v rasapi32 /d native,builtin /f >/dev/null 2>&1
  # Without a window manager, Wine waits about 2 s for one to confirm each hide
  # or destruction of a managed window; unmanaged windows go at once, as on Windows.
  WINEPREFIX="$template.tmp" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  WINEPREFIX="$template.tmp" wineserver -w
  echo "$rig_version" > "$template.tmp/.qm-ready"
  rm -rf "$template"
  mv "$template.tmp" "$template"
}

(
  flock 9
  make_template
) 9>"$template.lock"

if [ -n "$copy" ] && [ "$(cat "$copy/.qm-ready" 2>/dev/null)" != "$rig_version" ]; then
  mkdir -p "$(dirname "$copy")"
  (
    flock 9
    if [ "$(cat "$copy/.qm-ready" 2>/dev/null)" != "$rig_version" ]; then
      rm -rf "$copy.tmp" "$copy"
      # Hard links for the gigabyte of Wine's own files that nothing writes to,
      # real copies of what Wine rewrites in place: the registry, the .ini
      # files and the time stamp of the prefix's last update.
      cp -al "$template" "$copy.tmp"
      find "$copy.tmp" -type f \( -name '*.reg' -o -name '*.ini' -o -name .update-timestamp \) \
        -exec sh -c 'for f; do cp -p "$f" "$f.real" && mv -f "$f.real" "$f"; done' sh {} +
      if [ -n "${QM_PREFIX_DPI:-}" ]; then
        awk -v value="$(printf '"LogPixels"=dword:%08x' "$QM_PREFIX_DPI")" '
          { print }
          section && /^#time=/ { print value; section = 0; next }
          section { print value; section = 0 }
          /^\[Control Panel\\\\Desktop\] / { section = 1 }' "$copy.tmp/user.reg" > "$copy.tmp/user.reg.new"
        grep -q '^"LogPixels"=dword:' "$copy.tmp/user.reg.new" || { echo "make-prefix: no desktop key in user.reg" >&2; exit 1; }
        mv "$copy.tmp/user.reg.new" "$copy.tmp/user.reg"
      fi
      mv "$copy.tmp" "$copy"
    fi
  ) 9>"$copy.lock"
fi
