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
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo -E env PATH="$PATH")
  # Inside a chroot whose root is no mount point, unshare cannot make the new
  # namespace's mounts private; it then keeps them as they are (see below).
  propagation=private
  "${sudo[@]}" unshare --mount --propagation private true 2>/dev/null || propagation=unchanged
  export QM_WOW64_PROPAGATION=$propagation
  exec "${sudo[@]}" unshare --mount --propagation "$propagation" -- "$0" "${folders[@]}" -- "$@"
fi

# Where the mounts could not be made private, they may show in the namespace we
# came from as well: then they are taken down by hand when the command ends.
undo=no
if [ "${QM_WOW64_PROPAGATION:-private}" != private ] && ! mount --make-rprivate / 2>/dev/null; then
  undo=yes
fi
mounted=()
undo_mounts() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R -l "${mounted[i]}" 2>/dev/null || true; done
}
[ "$undo" = no ] || trap undo_mounts EXIT
bind() { mkdir -p "$root$2"; mount --rbind "$1" "$root$2"; mounted+=("$root$2"); }
mount -t proc proc "$root/proc"; mounted+=("$root/proc")
bind /dev /dev
bind /sys /sys
bind /tmp /tmp
for f in /etc/hosts /etc/resolv.conf; do
  [ -e "$f" ] && mount --bind "$f" "$root$f" && mounted+=("$root$f")
done
# A bare root made by debootstrap has no hosts file, and without one "localhost"
# names nothing; Debian's installer would have written these lines.
if [ ! -e /etc/hosts ]; then
  mount --bind "$(dirname "$(realpath "$0")")/loopback-hosts" "$root/etc/hosts" && mounted+=("$root/etc/hosts")
fi
for f in "${folders[@]}"; do
  mkdir -p "$f"
  bind "$f" "$f"
done

as_caller=()
if [ "$QM_WOW64_CALLER" != 0:0 ]; then
  as_caller=(setpriv --reuid="${QM_WOW64_CALLER%:*}" --regid="${QM_WOW64_CALLER#*:}" --init-groups
             --inh-caps=+sys_chroot --ambient-caps=+sys_chroot --)
fi
[ "$undo" = yes ] || exec "${as_caller[@]}" "$@"
# A background command of a script ignores Ctrl+C: it gets a TERM from us instead.
"${as_caller[@]}" "$@" &
command=$!
trap 'kill -TERM "$command" 2>/dev/null' INT TERM
rc=0
while kill -0 "$command" 2>/dev/null; do wait "$command" && rc=0 || rc=$?; done
exit "$rc"
