# Sourced: the Wine environment that every program of the rig runs in.
# No Mono or Gecko prompts, no debugger waiting on a crashed program, quiet logs.
qm_rig_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$qm_rig_dir/wine-select.sh"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# Where each Windows keeps what a 32-bit program finds as its system folder and
# as Program Files, relative to the prefix's drive_c, and Wine's own fonts.
if [ "$QM_WINE" = wow64 ]; then
  export WINEARCH=win64
  # Made once by wow64-root.sh, outside any clone; the commands of tests/rig/wow64-bin
  # run Wine inside it (wow64-enter.sh prepares a run for them).
  export QM_WOW64_ROOT=${QM_WOW64_ROOT:-/var/cache/quillmarsh-vpn/wow64-root}
  case ":$PATH:" in *":$qm_rig_dir/wow64-bin:"*) ;; *) export PATH="$qm_rig_dir/wow64-bin:$PATH" ;; esac
  qm_system_dir=windows/syswow64
  qm_program_files="Program Files (x86)"
  qm_wine_fonts=$QM_WOW64_ROOT/usr/share/wine/fonts
else
  export WINEARCH=win32
  qm_system_dir=windows/system32
  qm_program_files="Program Files"
  qm_wine_fonts=/usr/share/wine/fonts
fi
