# Sourced: chooses the Wine configuration of this run and exports it.
#   QM_WINE=wine32  Debian 12's Wine in a 32-bit prefix: the program as on 32-bit Windows
#   QM_WINE=wow64   Wine 10 in WoW64 mode in a 64-bit prefix: as on 64-bit Windows
# Unset, it is wine32 where this host executes i386 Linux programs and wow64
# where it does not but still runs 32-bit x86 code in a 64-bit process (what
# WoW64 needs). A host that does neither (some virtual machines give user
# programs no 32-bit code segment at all) gets QM_WINE=none: no Wine can run
# the program there. QM_WINE_WHY says which and why.

# Each probe is a tiny static x86-64 or i386 ELF, written out here, whose exit
# code 42 says it ran: what the kernel does, not its name or its config.
qm_run_probe() {
  local probe rc=0
  probe=$(mktemp)
  printf "$1" >"$probe"
  chmod +x "$probe"
  # In a subshell of its own, so that the shell's report of a crash goes nowhere.
  ( "$probe"; exit $? ) 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}
# An i386 program that exits with 42.
qm_host_runs_i386() {
  qm_run_probe '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\273\52\0\0\0\315\200'
}
# An x86-64 program that far-returns into the 32-bit user code segment (0x23),
# and from there back to 64-bit code (0x33), which exits with 42; as WoW64
# switches for every 32-bit call. Where the segment is missing it dies of SIGSEGV.
qm_host_runs_32bit_code() {
  qm_run_probe '\177ELF\2\1\1\0\0\0\0\0\0\0\0\0\2\0\76\0\1\0\0\0\170\0\100\0\0\0\0\0\100\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\100\0\70\0\1\0\0\0\0\0\0\0\1\0\0\0\7\0\0\0\0\0\0\0\0\0\0\0\0\0\100\0\0\0\0\0\0\0\100\0\0\0\0\0\232\0\0\0\0\0\0\0\0\60\0\0\0\0\0\0\0\20\0\0\0\0\0\0\274\0\40\100\0\152\43\150\206\0\100\0\110\313\152\63\150\216\0\100\0\313\270\74\0\0\0\277\52\0\0\0\17\5'
}

if [ -z "${QM_WINE_WHY:-}" ]; then
  case "${QM_WINE:-}" in
    wine32)
      qm_host_runs_i386 || { echo "QM_WINE=wine32 needs a host that runs i386 Linux programs, and this one does not" >&2; return 1; }
      QM_WINE_WHY="chosen by QM_WINE" ;;
    wow64)
      qm_host_runs_32bit_code || { echo "QM_WINE=wow64 needs a host that runs 32-bit x86 code in 64-bit processes, and this one does not" >&2; return 1; }
      QM_WINE_WHY="chosen by QM_WINE" ;;
    none) QM_WINE_WHY="chosen by QM_WINE" ;;
    "")
      if qm_host_runs_i386; then
        QM_WINE=wine32; QM_WINE_WHY="this host runs i386 Linux programs; QM_WINE=wow64 chooses the other"
      elif qm_host_runs_32bit_code; then
        QM_WINE=wow64; QM_WINE_WHY="this host runs no i386 Linux programs"
      else
        QM_WINE=none; QM_WINE_WHY="this host runs no 32-bit x86 code at all: i386 Linux programs fail to start and the 32-bit code segment that WoW64 switches to faults"
      fi ;;
    *) echo "QM_WINE must be wine32 or wow64, not \"$QM_WINE\"" >&2; return 1 ;;
  esac
  export QM_WINE QM_WINE_WHY
fi

# One line for the user: which Windows the programs meet, and why.
qm_wine_announce() {
  local what
  case "$QM_WINE" in
    wine32) what="Debian 12's Wine in a 32-bit prefix, as on 32-bit Windows" ;;
    wow64) what="Wine 10 in WoW64 mode in a 64-bit prefix, as on 64-bit Windows" ;;
    none) what="no Wine can run the 32-bit program here" ;;
  esac
  echo "$1: Wine configuration $QM_WINE ($what): $QM_WINE_WHY" >&2
}
