# Sourced: the Wine environment that every program of the rig runs in.
# No Mono or Gecko prompts, no debugger waiting on a crashed program, quiet logs.
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
