#!/usr/bin/env bash
# Installs what the build and the Wine rig need on Debian 12. Idempotent: when
# everything is there it only checks, in well under a second. What the Wine rig
# needs depends on the configuration (tests/rig/wine-select.sh): Debian's own
# 32-bit Wine for wine32; for wow64 only debootstrap, with which
# tests/rig/wow64-root.sh makes a root holding Wine 10.
#
#   scripts/setup.sh [--print-config]
#
# Package mirrors are often caught mid-sync, and the set-up survives that: an
# index that fails to download is a warning; an install that the mismatch
# between the amd64 and i386 indexes breaks is tried again with the release's
# own suite preferred; and where the 32-bit Wine still cannot be installed the
# set-up falls back to wow64, which needs no i386 packages. With
# --print-config the configuration it set up is its only standard output.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tests/rig/wine-select.sh"
source "$top/scripts/apt-outcome.sh"
print_config=no
[ "${1:-}" = --print-config ] && print_config=yes
# apt-get's chatter goes to standard error, so that the answer stays alone.
exec 3>&1 1>&2

base_packages=(cmake make python3 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
               xvfb xdotool x11-apps imagemagick googletest nsis msitools wixl osslsigncode openssl
               clang-format)
rig_packages() {
  case "$1" in
    wine32) echo wine wine32 fonts-wine ;;
    wow64) echo debootstrap ;;
  esac
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

finish() {
  [ "$print_config" = no ] || echo "$QM_WINE" >&3
  exit 0
}

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || echo "$p"
  done
}

# A failed index leaves apt with the lists it has; whether those are enough is
# for the install to find out.
apt_update() {
  local log rc=0 source
  log=$(mktemp)
  as_root apt-get update -q 2>&1 | tee "$log" || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "setup: warning: apt-get update could not read every source (exit code $rc); going on with the package lists it has. Not read:"
    while IFS= read -r source; do echo "setup:   $source"; done < <(qm_apt_failed_sources <"$log")
  fi
  rm -f "$log"
}

apt_install() {
  local log rc=0 codename
  log=$(mktemp)
  as_root apt-get install -y -q --no-install-recommends "$@" 2>&1 | tee "$log" || rc=$?
  codename=$(qm_release_codename)
  if [ "$rc" -ne 0 ] && [ -n "$codename" ] && qm_apt_is_version_skew <"$log"; then
    echo "setup: the amd64 and i386 versions of some libraries do not match (a mirror mid-sync?): installing again with $codename's own suites preferred (-t $codename)"
    rc=0
    as_root apt-get install -t "$codename" -y -q --no-install-recommends "$@" || rc=$?
  fi
  rm -f "$log"
  return "$rc"
}

# A bare root (debootstrap's) has no hosts file, and "localhost" then does not
# resolve, which the probe's tests need; every installed Debian system has
# these two lines, written by its installer.
if ! getent hosts localhost >/dev/null 2>&1; then
  echo "setup: localhost does not resolve here: Debian's two loopback lines go into /etc/hosts"
  as_root sh -c "cat '$top/tests/rig/loopback-hosts' >> /etc/hosts"
fi

mapfile -t missing < <(missing_of "${base_packages[@]}" $(rig_packages "$QM_WINE"))
i386=yes
if [ "$QM_WINE" = wine32 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || i386=no
fi
[ "${#missing[@]}" -gt 0 ] || [ "$i386" = no ] || finish

echo "setup: installing ${missing[*]:-(i386 architecture)}"
[ "$i386" = yes ] || as_root dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt_update
[ "${#missing[@]}" -gt 0 ] || finish
apt_install "${missing[@]}" && finish

if [ "$QM_WINE" = wine32 ]; then
  echo "setup: the 32-bit Wine cannot be installed here (apt-get's error is above): falling back to wow64, which needs no i386 packages"
  QM_WINE=wow64
  mapfile -t missing < <(missing_of "${base_packages[@]}" $(rig_packages wow64))
  [ "${#missing[@]}" -gt 0 ] || finish
  apt_install "${missing[@]}" && finish
fi
echo "setup: FAILED: could not install what the rig needs (${missing[*]}); apt-get's error is above"
exit 1
