#!/usr/bin/env bash
# The real program as a cabinet runs it, with real key presses: on X without a window manager,
# its window given up while a game runs and taken back after it, and SIGTERM during a game
# ending the game and then the front end with the settings saved; then the same under a
# Wayland compositor (weston's kiosk shell), which then goes away; and on a Wayland compositor
# without a seat, a clear "No display" instead of a crash.
# Usage: e2e_cabinet.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
helpers=$(cd "$2" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb cabinet 640x480
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

short="$work/short-ids" long="$work/long-ids"
printf '%s\n' "[Settings]" "Emulators=Short,Long" "ReleaseScreenDuringGame=1" \
    "[Short]" "ExecPath=$helpers" "Executable=hanger" "CmdLine=$short polite 1500 window" \
    "Game1=Alpha Short,alpha" "[Long]" "ExecPath=$helpers" "Executable=hanger" \
    "CmdLine=$long polite 60000 window" "Game1=Beta Long,beta" "[System]" "SelectedGame=alpha" \
    >"$config"
with_socket

gone() { ! kill -0 "$1" 2>/dev/null && ! kill -0 "$2" 2>/dev/null; }
no_window() { [[ -z $(xdotool search --pid "$pid" 2>/dev/null) ]]; }
has_window() { [[ -n $(xdotool search --pid "$pid" 2>/dev/null) ]]; }

# --- X: a short game; the window is gone while it runs and back, as before, after it.
start
shot "$work/before.png"
press 1
eventually test -s "$short" || fail "the short game did not start"
eventually no_window || fail "the front end kept its window during the game"
eventually has_window || fail "the window did not come back after the game"
window=$(window_of "$pid")
eventually now_same "$work/before.png" "$work/after.png" ||
    fail "the screen after the game is not the one of before"
synced # the keys of the game's last moments are forgotten by now

# --- SIGTERM during the long game: the game ends, then the front end, the settings saved.
press Down
eventually selected beta || fail "Down did not select the long game"
press 1
eventually test -s "$long" || fail "the long game did not start"
read -r leader child <"$long"
kill -TERM "$pid"
ended || fail "exit code $? after SIGTERM, expected 0"
gone "$leader" "$child" || fail "the game outlived the front end"
[[ $(setting SelectedGame) == beta ]] || fail "saved SelectedGame=$(setting SelectedGame) after SIGTERM"
grep -q "Told to stop (signal 15)" "$work/out.log" || fail "standard error did not say why the game ended"

# --- Wayland: weston's kiosk shell in a window of this X server.
source "$(dirname "$0")/wayland.sh"
kiosk() { compositor "$1" --width=640 --height=480 --shell=kiosk-shell.so --no-config; }
kiosk x11-backend.so
eventually weston_found || fail "weston showed no window"
rm -f "$short" "$long"
sed -i 's/SelectedGame=.*/SelectedGame=alpha/; s/ window$//' "$config" # no X window on Wayland
# In a sanitizer build the leak check is off for this run only: the GL libraries SDL loads for
# Wayland leave buffers behind and are unloaded before the check, so no suppression can name them.
(cd "$work" && exec env -u DISPLAY WAYLAND_DISPLAY=wl-e2e ASAN_OPTIONS=detect_leaks=0 "$torvanell" "$config") >"$work/out.log" 2>&1 &
pid=$!
eventually grep -q "Display: Wayland" "$work/out.log" || fail "the front end did not start on Wayland"
xdotool mousemove --window "$weston_window" 10 10
wayland_until drawn - "$work/wayland-alpha.png" || fail "nothing was drawn on Wayland"
eventually answers || fail "the front end did not answer on Wayland"
wayland_shot "$work/wayland-alpha.png"
wayland_press Down
wayland_until differ "$work/wayland-alpha.png" "$work/wayland-beta.png" ||
    fail "Down did not move the selection on Wayland"
# A page up at the top of the two games' list stays there, so it may be typed again.
wayland_press_until Left selected alpha || fail "Left did not select the short game on Wayland"
wayland_press 1
eventually test -s "$short" || fail "the short game did not start on Wayland"
wayland_until same "$work/wayland-alpha.png" "$work/wayland-after.png" ||
    fail "the screen after the game on Wayland is not the one of before"
wayland_press_until Right selected beta || fail "Right did not select the long game on Wayland"
kill -TERM "$pid"
ended || { fail "exit code $? after SIGTERM on Wayland, expected 0"; cat "$work/out.log" >&2; }
[[ $(setting SelectedGame) == beta ]] || fail "saved SelectedGame=$(setting SelectedGame) on Wayland"

# --- The compositor goes away: the front end ends with code 2, saved.
(cd "$work" && exec env -u DISPLAY WAYLAND_DISPLAY=wl-e2e ASAN_OPTIONS=detect_leaks=0 "$torvanell" "$config") >"$work/out.log" 2>&1 &
pid=$!
wayland_until drawn - "$work/wayland-lost.png" || fail "nothing was drawn on Wayland again"
eventually answers || fail "the front end did not answer on Wayland again"
wayland_press Up
kill -9 "$weston"
wait "$weston" 2>/dev/null
eventually program_gone
program_gone || { fail "still running after the compositor went away"; kill -9 "$pid"; }
wait "$pid"
code=$?
pid=""
[[ $code -eq 2 ]] || { fail "exit code $code after the compositor went away, expected 2"; cat "$work/out.log" >&2; }
grep -q "The display was lost (the Wayland compositor went away)" "$work/out.log" ||
    fail "standard error did not say the compositor went away"
[[ $(setting SelectedGame) == alpha ]] || fail "saved SelectedGame=$(setting SelectedGame) after the compositor went away"

# --- A compositor without a seat: a clear message and exit code 1, never a crash.
kiosk headless-backend.so
env -u DISPLAY WAYLAND_DISPLAY=wl-e2e "$torvanell" "$config" >"$work/out.log" 2>&1
code=$?
[[ $code -eq 1 ]] || fail "without a seat the exit code was $code, expected 1"
grep -q "No display (.*Wayland: the compositor offers no seat" "$work/out.log" ||
    { fail "without a seat the message was:"; cat "$work/out.log" >&2; }
stop_compositor

[[ $status -eq 0 ]] && echo "e2e_cabinet: passed"
exit $status
