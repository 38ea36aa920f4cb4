#!/usr/bin/env bash
# The rig's own logic where a fault would pass unnoticed: a broken probe would
# quietly send a capable host to a smaller configuration, and a mount that
# outlived its run would stay in the host's tree. Runs on the build machine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi; }

source "$here/wine-select.sh"

# The 32-bit code probe with its far return aimed at the 64-bit segment and
# straight at its exit: every x86-64 host runs that, so the file, its load and
# its exit path are right, and only the segment itself decides the real probe.
probe=$(declare -f qm_host_runs_32bit_code | grep -o "'\\\\177ELF[^']*'" | tr -d "'")
control=${probe/'\152\43\150\206\0\100\0'/'\152\63\150\216\0\100\0'}
check "the 32-bit code probe's control variant differs from it in the segment only" '[ "$control" != "$probe" ]'
check "the control variant runs and exits with 42" 'qm_run_probe "$control"'
check "a probe that cannot run counts as no, quietly" '[ -z "$(qm_run_probe "\177ELF" 2>&1)" ] && ! qm_run_probe "\177ELF"'
check "an unknown configuration is refused" '! (QM_WINE=wine16 QM_WINE_WHY= source "$here/wine-select.sh" 2>/dev/null)'

# Mounts live in the run's own namespace: the host never sees them, and they go
# with the run's last process, however it ends.
if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
  echo "skipped: the namespace checks need root or sudo without a password"
  exit $((failed ? 1 : 77))
fi
fake=$(mktemp -d)
trap 'rm -rf --one-file-system "$fake"' EXIT
mkdir -p "$fake/root/proc" "$fake/root/etc" "$fake/work"
: >"$fake/root/etc/hosts"; : >"$fake/root/etc/resolv.conf"
export QM_WOW64_ROOT="$fake/root"
mounted_on_host() { grep -q " $fake/root" /proc/self/mountinfo; }

QM_WOW64_NAMESPACE= "$here/wow64-enter.sh" "$fake/work" -- sh -c "test -e '$fake/root/proc/self' && test -d '$fake/root$fake/work' && exit 3"
check "the command runs with the root prepared and its exit code comes back" '[ $? -eq 3 ]'
check "nothing stays mounted after the run" '! mounted_on_host'

QM_WOW64_NAMESPACE= "$here/wow64-enter.sh" "$fake/work" -- sleep 30 &
run=$!
for _ in $(seq 50); do grep -q " $fake/root/proc " "/proc/$run/mountinfo" 2>/dev/null && break; sleep 0.1; done
check "a running run has its mounts" 'grep -q " $fake/root/proc " "/proc/$run/mountinfo"'
check "the host does not see them meanwhile" '! mounted_on_host'
kill -INT "$run" 2>/dev/null; kill "$run" 2>/dev/null; wait "$run" 2>/dev/null
check "an interrupted run leaves nothing mounted" '! mounted_on_host'
exit $failed
