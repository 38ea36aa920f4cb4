#!/usr/bin/env bash
# Installs what the build and the Wine rig need on Debian 12. Idempotent: when
# everything is there it only checks, in well under a second.
set -euo pipefail
packages=(cmake make python3 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          wine wine32 fonts-wine xvfb xdotool x11-apps imagemagick googletest nsis)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
i386=yes
dpkg --print-foreign-architectures | grep -qx i386 || i386=no

if [ "${#missing[@]}" -eq 0 ] && [ "$i386" = yes ]; then
  exit 0
fi
echo "setup: installing ${missing[*]:-(i386 architecture)}" >&2
[ "$i386" = yes ] || as_root dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -q
as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
