# Sourced: qm_start_xvfb starts a private virtual display and exports DISPLAY;
# qm_stop_xvfb ends it by its PID.
qm_start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: by default the server resets whenever its last client leaves, and
  # a client that connects during the reset is refused. Between two tests every
  # Wine desktop may have gone; the next one to start then found no display and
  # the program under test got no window.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QM_XVFB_PID=$!
  local n
  read -r -t 20 n <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$n"
}
qm_stop_xvfb() {
  if [ -n "${QM_XVFB_PID:-}" ]; then
    kill "$QM_XVFB_PID" 2>/dev/null || true
    wait "$QM_XVFB_PID" 2>/dev/null || true
    QM_XVFB_PID=
  fi
}
