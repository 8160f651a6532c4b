# Sourced by the scripts that run Setup without the user's screen: starts a
# private Xvfb on a free display, exports DISPLAY, and at exit stops it and the
# Wine server of $WINEPREFIX.
start_virtual_display() {
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 ${VIRTUAL_SCREEN:-1366x768x24} -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  virtual_display_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  DISPLAY=:$(cat "$display_file")
  export DISPLAY
  rm -f "$display_file"
  trap 'wineserver -k >/dev/null 2>&1 || true; kill $virtual_display_pid 2>/dev/null || true' EXIT
}
