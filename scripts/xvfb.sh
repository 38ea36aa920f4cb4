# Sourced: qm_start_xvfb starts a private virtual display and exports DISPLAY;
# qm_start_side_xvfb starts a second one and exports QM_SIDE_DISPLAY, for the
# test programs that do not hold the display lock (tests/rig/QmRig.cmake);
# qm_stop_xvfb ends both by their PIDs.

# Starts one server; sets qm_xvfb_pid and qm_xvfb_display.
qm_launch_xvfb() {
  local fifo n
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: by default the server resets whenever its last client leaves, and
  # a client that connects during the reset is refused. Between two tests every
  # Wine desktop may have gone; the next one to start then found no display and
  # the program under test got no window.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  qm_xvfb_pid=$!
  if ! read -r -t 20 n <"$fifo"; then
    rm -f "$fifo"
    kill "$qm_xvfb_pid" 2>/dev/null || true
    echo "Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  qm_xvfb_display=":$n"
}
qm_start_xvfb() {
  qm_launch_xvfb || return 1
  QM_XVFB_PID=$qm_xvfb_pid
  export DISPLAY=$qm_xvfb_display
}
# A window that a program beside the display-locked tests shows takes the
# activation, and with it the keyboard focus, from the dialog such a test is
# typing into; on a display of their own they cannot.
qm_start_side_xvfb() {
  qm_launch_xvfb || return 1
  QM_SIDE_XVFB_PID=$qm_xvfb_pid
  export QM_SIDE_DISPLAY=$qm_xvfb_display
}
qm_stop_xvfb() {
  local pid
  for pid in "${QM_XVFB_PID:-}" "${QM_SIDE_XVFB_PID:-}"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  QM_XVFB_PID=
  QM_SIDE_XVFB_PID=
}
