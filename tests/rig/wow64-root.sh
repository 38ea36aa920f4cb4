#!/usr/bin/env bash
# wow64-root.sh ROOT
# Makes, once, the Debian 13 root whose Wine 10 runs our 32-bit programs in
# WoW64 mode: one 64-bit Linux process per Windows process, no 32-bit Linux code.
# The root is made beside ROOT and moved into place only when it is complete, so
# a run that was killed half-way leaves nothing that is ever used. Safe to run
# concurrently; needs root (scripts call it through sudo when not root).
set -euo pipefail
root=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)

# Bumped whenever the making changes, so older roots are made again.
recipe=1
suite=trixie
need_mib=4096

say() { echo "wow64-root: $*" >&2; }
fail() { say "$*"; exit 1; }
# A failed making leaves only its log; the next run starts over.
discard() { umount -R "$work/dev" "$work/proc" 2>/dev/null || true; rm -rf --one-file-system "$work"; fail "$@"; }

intact() {
  [ "$(cat "$1/.qm-ready" 2>/dev/null)" = "$recipe" ] &&
    [ -x "$1/usr/lib/wine/wine64" ] &&
    [ -f "$1/usr/lib/x86_64-linux-gnu/wine/i386-windows/ntdll.dll" ]
}

# The host's own Debian mirror: the first archive its apt sources name for its
# own release, in either of the two formats apt reads.
host_mirror() {
  local codename uri
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  uri=$(awk -v c="$codename" '
    /^URIs:/ { u = $2 }
    /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == c) found = u }
    /^$/ { u = "" }
    END { print found }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk -v c="$codename" '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { if ($(i + 1) == c) { print $i; exit } break } }' /etc/apt/sources.list)
  fi
  echo "$uri"
}

# Runs a command inside the root being made, with the kernel file systems it
# needs; the caller is in a mount namespace of its own, so they vanish with it.
in_root() { chroot "$work" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

make_root() {
  local mirror free
  mirror=$(host_mirror)
  [ -n "$mirror" ] || fail "no Debian mirror found in the host's apt sources (/etc/apt)"
  command -v debootstrap >/dev/null || fail "debootstrap is not installed (scripts/setup.sh installs it)"
  mkdir -p "$(dirname "$root")"
  free=$(df -Pm "$(dirname "$root")" | awk 'NR == 2 { print $4 }')
  [ "$free" -ge "$need_mib" ] ||
    fail "only ${free} MiB free in $(dirname "$root"); the root needs about ${need_mib} MiB"

  rm -rf --one-file-system "$work"
  say "making the Wine 10 root in $root from $mirror (about two minutes, once)"
  if ! debootstrap --variant=minbase "$suite" "$work" "$mirror" >"$work.log" 2>&1; then
    tail -n 5 "$work.log" >&2
    discard "debootstrap of Debian 13 from $mirror failed (no network, or the mirror lacks $suite); full log: $work.log"
  fi
  mount -t proc proc "$work/proc"
  mount --rbind /dev "$work/dev"
  cp /etc/resolv.conf "$work/etc/resolv.conf" 2>/dev/null || true
  {
    in_root dpkg --add-architecture i386 &&
      in_root apt-get update -q &&
      in_root apt-get install -y -q --no-install-recommends wine64 libwine fonts-wine &&
      # The 32-bit Windows half of Wine: the PE files only, unpacked, never
      # installed, so that no i386 Linux library enters the root.
      in_root sh -c 'cd /tmp && rm -f libwine_*_i386.deb && apt-get download libwine:i386 && rm -rf /tmp/libwine-i386 && dpkg -x libwine_*_i386.deb /tmp/libwine-i386' &&
      cp -a "$work/tmp/libwine-i386/usr/lib/i386-linux-gnu/wine/i386-windows/." \
        "$work/usr/lib/x86_64-linux-gnu/wine/i386-windows/" &&
      rm -rf "$work"/tmp/libwine* &&
      in_root apt-get clean
  } >>"$work.log" 2>&1 || { tail -n 5 "$work.log" >&2; discard "installing Wine 10 into the root failed; full log: $work.log"; }
  umount -R "$work/dev" "$work/proc"
  # Placeholders for what each run binds in from the host.
  : >"$work/etc/hosts"; rm -f "$work/etc/resolv.conf"; : >"$work/etc/resolv.conf"
  echo "$recipe" >"$work/.qm-ready"
  rm -rf --one-file-system "$root"
  mv "$work" "$root"
  rm -f "$work.log"
  say "ready: $root"
}

[ "$(id -u)" -eq 0 ] || fail "must run as root"
intact "$root" && exit 0
work="$root.partial"
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9
intact "$root" && exit 0
[ -e "$root" ] && say "$root is incomplete or from an older recipe; making it again"
# debootstrap and apt mount file systems inside the root: in a namespace of
# our own they are gone when we end, however we end. Inside a chroot whose root
# is no mount point the namespace's mounts cannot be made private; there they
# are taken down by hand as well, also when the making is interrupted.
propagation=private
unshare --mount --propagation private true 2>/dev/null || propagation=unchanged
export -f make_root host_mirror in_root say fail discard
export root work recipe suite need_mib
unshare --mount --propagation "$propagation" bash -c \
  'trap "umount -R -l \"\$work/dev\" \"\$work/proc\" 2>/dev/null || true" EXIT; trap "exit 130" INT TERM; make_root'
