#!/usr/bin/env bash
# Installs what the build and the Wine rig need on Debian 12. Idempotent: when
# everything is there it only checks, in well under a second. What the Wine rig
# needs depends on the configuration (tests/rig/wine-select.sh): Debian's own
# 32-bit Wine for wine32; for wow64 only debootstrap, with which
# tests/rig/wow64-root.sh makes a root holding Wine 10.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tests/rig/wine-select.sh"
packages=(cmake make python3 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          xvfb xdotool x11-apps imagemagick googletest nsis msitools wixl osslsigncode openssl
          clang-format)
case "$QM_WINE" in
  wine32) packages+=(wine wine32 fonts-wine) ;;
  wow64) packages+=(debootstrap) ;;
esac

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A bare root (debootstrap's) has no hosts file, and "localhost" then does not
# resolve, which the probe's tests need; every installed Debian system has
# these two lines, written by its installer.
if ! getent hosts localhost >/dev/null 2>&1; then
  echo "setup: localhost does not resolve here: Debian's two loopback lines go into /etc/hosts" >&2
  as_root sh -c "cat '$top/tests/rig/loopback-hosts' >> /etc/hosts"
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
i386=yes
if [ "$QM_WINE" = wine32 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || i386=no
fi

if [ "${#missing[@]}" -eq 0 ] && [ "$i386" = yes ]; then
  exit 0
fi
echo "setup: installing ${missing[*]:-(i386 architecture)}" >&2
[ "$i386" = yes ] || as_root dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -q
as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
