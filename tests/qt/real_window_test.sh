#!/usr/bin/env bash
# The built program on an X server of its own: its window class, its folded size, its tray
# icon, and a second copy that shows its box and ends with 0 while the first runs on.
# Usage: real_window_test.sh PATH/TO/Tamiro. Exit 77 (skipped) where the X tools are missing.
set -u
program=$1

for tool in Xvfb xwininfo xprop trayer xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/x_session.sh"
start_x_session tamiro-x-test

# A notification area to hide into, before the program looks for one.
trayer --edge bottom --align right --widthtype request --height 32 >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for 100 bash -c 'xwininfo -root -tree | grep -qi "panel\|trayer"' || fail "trayer did not start"

mkdir -p "$work/config" "$work/run" "$work/cwd"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
cd "$work/cwd"

"$program" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)

# Top-level windows hang off the root at the first level of the tree.
main_window() { xwininfo -root -tree | grep -E '^     0x[0-9a-f]+ .*\("TFrm_Tamiro" "TFrm_Tamiro"\) +534x256' | awk '{print $1}' | head -1; }
wait_for 150 bash -c "xwininfo -root -tree | grep -qE '^     0x.*\\(\"TFrm_Tamiro\" \"TFrm_Tamiro\"\\) +534x256'" \
  || { xwininfo -root -tree; cat "$work/first.log"; fail "no folded window of class TFrm_Tamiro"; }
id=$(main_window)
xprop -id "$id" WM_CLASS | grep -q '"TFrm_Tamiro", "TFrm_Tamiro"' || fail "WM_CLASS is $(xprop -id "$id" WM_CLASS)"
xprop -id "$id" WM_NORMAL_HINTS | grep -q 'program specified maximum size: 534 by 256' || fail "the frame is not fixed"

# The icon is embedded into the tray: a window of ours below the first level.
wait_for 100 bash -c "xwininfo -root -tree | grep -E '^ {6,}0x.*\\(\"TFrm_Tamiro\" \"TFrm_Tamiro\"\\)'" \
  || { xwininfo -root -tree; fail "the tray icon did not appear in the tray"; }

# The second copy answers with its box and ends with 0 once it is dismissed.
timeout 10 "$program" >"$work/second.log" 2>&1 &
second=$!
pids+=($second)
wait_for 100 xdotool search --name '^已经运行$' || { cat "$work/second.log"; fail "the second copy showed no box"; }
box=$(xdotool search --name '^已经运行$' | head -1)
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return 2>/dev/null
wait "$second"
rc=$?
[[ $rc -eq 0 ]] || fail "the second copy ended with $rc"
kill -0 "$first" 2>/dev/null || fail "the first copy ended too"
[[ $(main_window) == "$id" ]] || fail "the first copy's window changed"

# A termination signal closes the window in order: the farewell line reaches the log.
kill -TERM "$first"
wait "$first"
rc=$?
[[ $rc -eq 0 ]] || fail "the first copy ended with $rc on SIGTERM"
iconv -f GBK -t UTF-8 "$work/cwd/Tamiro.Log" | grep -q '(程序退出)谢谢使用Velora！' \
  || { iconv -f GBK -t UTF-8 "$work/cwd/Tamiro.Log"; fail "no farewell line after SIGTERM"; }
echo "1 passed, 0 failed"
