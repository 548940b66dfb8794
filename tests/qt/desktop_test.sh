#!/usr/bin/env bash
# The built program on a desktop of its own: an X server, the openbox window manager and a
# private session bus with the accessibility bus. It checks that the window appears folded at
# its place in its first frame, that its outer frame's top stays at 200 through folding and
# unfolding, that an assistive tool alone can add a record (atspi_client.py), and that the
# keyboard alone can tick it and start the alarm.
# Usage: desktop_test.sh PATH/TO/Tamiro. Exit 77 (skipped) where the tools are missing.
set -u
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher

for tool in Xvfb openbox xwininfo xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -x $launcher ]] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }

# Everything below runs on a session bus of its own, which ends with this script.
if [[ -z ${TAMIRO_PRIVATE_BUS:-} ]]; then
  TAMIRO_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi

source "$(dirname "$0")/x_session.sh"
start_x_session tamiro-desktop-test
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 100 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"
"$launcher" --launch-immediately >"$work/a11y.log" 2>&1 &
pids+=($!)

# The schedule file goes beside the program: a copy of it in the scratch folder.
mkdir -p "$work/prog" "$work/config" "$work/run" "$work/cwd"
chmod 700 "$work/run"
cp "$program" "$work/prog/Tamiro"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

field() { awk -F: -v key="$1" '$1 ~ key {gsub(/ /, "", $2); print $2; exit}' <<<"$2"; }
main_window() { xdotool search --onlyvisible --name '^Velora' 2>/dev/null | head -1; }
# The window's client size, then its frame's place and width.
observe() {
  local info frame
  info=$(xwininfo -id "$1" 2>/dev/null) || return 1
  frame=$(xwininfo -id "$(xwininfo -id "$1" -children | awk '/Parent window id/ {print $4}')" 2>/dev/null) || return 1
  echo "$(field '^  Width' "$info")x$(field '^  Height' "$info") $(field 'Absolute upper-left X' "$frame"),$(field 'Absolute upper-left Y' "$frame") $(field '^  Width' "$frame")"
}
export -f field observe
# Watches the window from before it is shown until told to stop.
(
  id=
  while [[ ! -e $work/stop ]]; do
    [[ -n $id ]] || id=$(main_window)
    [[ -z $id ]] || observe "$id"
    sleep 0.02
  done
) >"$work/seen" &
pids+=($!)

cd "$work/cwd"
"$work/prog/Tamiro" >"$work/program.log" 2>&1 &
main=$!
pids+=($main)
wait_for 150 grep -qE '^[0-9]+x[0-9]+ -?[0-9]+,-?[0-9]+ [0-9]+$' "$work/seen" || { cat "$work/program.log"; fail "no main window"; }
id=$(main_window)
read -r size place framewidth < <(grep -m1 -E '^[0-9]+x[0-9]+ -?[0-9]+,-?[0-9]+ [0-9]+$' "$work/seen")
[[ $size == 534x256 ]] || fail "first shown at $size, not folded"
expected="$(( (1024 - framewidth) / 2 )),200"
[[ $place == "$expected" ]] || fail "the frame first stood at $place, not $expected"

# Fold and unfold with the mouse on "设置": the size changes, the frame stays.
click_settings() {
  local x y
  x=$(field 'Absolute upper-left X' "$(xwininfo -id "$id")")
  y=$(field 'Absolute upper-left Y' "$(xwininfo -id "$id")")
  # No --sync: it waits for ever when the pointer is there already.
  xdotool mousemove $(( x + 72 )) $(( y + 212 )) click 1
}
for size in 534x407 534x256 534x407 534x256; do
  click_settings
  wait_for 50 bash -c "observe $id | grep -q '^$size '" \
    || fail "the window did not become $size"
done
sleep 0.1
touch "$work/stop"
# (A sample the X server answered only in part, while the window changed, is passed over.)
moved=$(awk -v place="$expected" '$2 ~ /^-?[0-9]+,-?[0-9]+$/ && $2 != place' "$work/seen" | sort -u)
[[ -z $moved ]] || fail "the frame moved: $moved; seen, in order: $(uniq "$work/seen" | tr '\n' ';')"

# Moved by the user (here by the window manager, as a drag would), the window stays there when folded.
xdotool windowmove "$id" 300 150
wait_for 50 bash -c "observe $id | grep -qv ' $expected '" || fail "the window could not be moved"
read -r _ dragged _ < <(observe "$id")
click_settings
wait_for 50 bash -c "observe $id | grep -q '^534x407 '" || fail "the moved window did not unfold"
read -r _ place _ < <(observe "$id")
[[ $place == "$dragged" ]] || fail "unfolding took the moved window from $dragged to $place"
click_settings
wait_for 50 bash -c "observe $id | grep -q '^534x256 '" || fail "the moved window did not fold"

# An assistive tool alone unfolds, chooses every day, writes the sound path and adds a record.
timeout 60 /usr/bin/python3 "$here/atspi_client.py" "$work/cwd/ring.mp3" >"$work/atspi.log" 2>&1 \
  || { cat "$work/atspi.log"; fail "the assistive tool could not add the record"; }
grep -q '^checked radio buttons: .*每天都响' "$work/atspi.log" || fail "$(cat "$work/atspi.log")"
grep -q '只响一次' <(grep '^checked' "$work/atspi.log") && fail "two ring modes checked: $(cat "$work/atspi.log")"
grep -q '^cells: .* | 每天都响 | .*ring.mp3' "$work/atspi.log" || fail "the record reads $(cat "$work/atspi.log")"

# The keyboard alone: back from "设置" to the list, Space ticks the record, Enter on "启动".
xdotool key --delay 50 shift+Tab shift+Tab space shift+Tab shift+Tab shift+Tab Return
wait_for 50 test -s "$work/prog/tamiro.ini" || { cat "$work/program.log"; fail "the alarm did not start"; }
iconv -f GBK -t UTF-8 "$work/prog/tamiro.ini" | grep -q 'ring.mp3' || fail "the schedule holds $(cat "$work/prog/tamiro.ini")"

kill -TERM "$main"
wait "$main" || fail "the program ended with $?"
echo "1 passed, 0 failed"
