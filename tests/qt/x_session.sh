# Sourced by the tests that run the built program on an X server of their own: a scratch
# folder, helpers, and an Xvfb that picks a free display itself, so tests running side by
# side never collide. Everything started is recorded in pids and ended by its process id,
# newest first, when the test ends.
# Usage: start_x_session PREFIX (the scratch folder is /tmp/PREFIX-XXXXXX, in $work).

pids=()
cleanup() {
  for (( i=${#pids[@]}-1; i>=0; i-- )); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}

fail() { echo "FAIL: $*"; exit 1; }

# Polls a command for up to $1 tenths of a second.
wait_for() {
  local tenths=$1; shift
  for (( i=0; i<tenths; i++ )); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

start_x_session() {
  work=$(mktemp -d "/tmp/$1-XXXXXX")
  trap cleanup EXIT
  # -noreset: otherwise the server resets as its last client leaves (the readiness probe
  # below), and a client connecting in that moment is turned away.
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 100 grep -q . "$work/display" || fail "the X server did not come up"
  export DISPLAY=":$(head -1 "$work/display")"
  wait_for 100 xwininfo -root || fail "the X server did not come up"
}
