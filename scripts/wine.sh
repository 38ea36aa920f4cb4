# Sourced by the scripts that run Windows programs, after $top and $build are
# set: the Wine configuration (tests/rig/wine-select.sh) and its environment.
#
# qm_enter_wine "$0" "$@": for wow64, makes the Wine 10 root (once, outside the
# clone) and runs the calling script again inside it, where the rig's wine
# commands work; the script's own clean-up then runs in there too. For wine32
# it returns. The scripts say first which configuration runs (qm_wine_announce).
source "$top/tests/rig/wine-env.sh"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

qm_enter_wine() {
  [ -z "${QM_WOW64_NAMESPACE:-}" ] || return 0
  [ "$QM_WINE" = wow64 ] || return 0
  as_root "$top/tests/rig/wow64-root.sh" "$QM_WOW64_ROOT"
  exec "$top/tests/rig/wow64-enter.sh" "$top" "$build" -- "$@"
}

# The set-up, before a script says which configuration it runs: where the one
# chosen could not be set up (the 32-bit Wine would not install), setup.sh set
# up wow64 instead, and the run goes on with that.
qm_setup() {
  [ -z "${QM_WOW64_NAMESPACE:-}" ] || return 0
  local got
  got=$("$top/scripts/setup.sh" --print-config) || exit $?
  [ "$got" != "$QM_WINE" ] || return 0
  export QM_WINE=$got QM_WINE_WHY="the 32-bit Wine could not be installed on this host (scripts/setup.sh said why)"
  source "$top/tests/rig/wine-env.sh"
}

# Where this configuration keeps its prefixes in a build tree.
qm_wine_dir() { echo "$build/wine/$QM_WINE"; }
