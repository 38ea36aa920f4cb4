#!/usr/bin/env bash
# wow64-enter.sh FOLDER... -- COMMAND...
# Runs COMMAND where the programs of tests/rig/wow64-bin work: in a mount
# namespace of its own in which the WoW64 root sees this host's /proc, /dev,
# /sys, /tmp (the X display's socket, Wine's server sockets), its name service
# files and each FOLDER, all at their own paths. Every mount lives only in that
# namespace, so it is gone when the command's last process ends, however the
# run ends, and two runs never see each other's. Needs root for the namespace;
# a caller that is not root gets sudo, and COMMAND runs as that caller again,
# allowed only to chroot.
set -euo pipefail
root=${QM_WOW64_ROOT:?QM_WOW64_ROOT is not set}
folders=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do folders+=("$(realpath -m "$1")"); shift; done
[ "${1:-}" = -- ] && shift
[ $# -gt 0 ] || { echo "usage: wow64-enter.sh FOLDER... -- COMMAND..." >&2; exit 2; }

if [ -z "${QM_WOW64_NAMESPACE:-}" ]; then
  export QM_WOW64_NAMESPACE=$$ QM_WOW64_CALLER="$(id -u):$(id -g)"
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --mount --propagation private -- "$0" "${folders[@]}" -- "$@"
  fi
  exec sudo -E env PATH="$PATH" unshare --mount --propagation private -- "$0" "${folders[@]}" -- "$@"
fi

bind() { mkdir -p "$root$2"; mount --rbind "$1" "$root$2"; }
mount -t proc proc "$root/proc"
bind /dev /dev
bind /sys /sys
bind /tmp /tmp
for f in /etc/hosts /etc/resolv.conf; do
  [ -e "$f" ] && mount --bind "$f" "$root$f"
done
for f in "${folders[@]}"; do
  mkdir -p "$f"
  bind "$f" "$f"
done

if [ "$QM_WOW64_CALLER" = 0:0 ]; then
  exec "$@"
fi
exec setpriv --reuid="${QM_WOW64_CALLER%:*}" --regid="${QM_WOW64_CALLER#*:}" --init-groups \
  --inh-caps=+sys_chroot --ambient-caps=+sys_chroot -- "$@"
