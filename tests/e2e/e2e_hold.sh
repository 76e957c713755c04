#!/usr/bin/env bash
# The real program under Xvfb with real key presses: jumping by letter, its initial shown for a
# moment; then a game that hangs with its window in front and a child of its own, both deaf to
# SIGTERM: Exit held for a second changes nothing, held for three seconds ends both, and the
# front end answers the next key.
# Usage: e2e_hold.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
helpers=$(cd "$2" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb hold
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

ids="$work/ids"
printf '%s\n' "[Settings]" "Emulators=Hangs" "[Hangs]" "ExecPath=$helpers" "Executable=hanger" \
    "CmdLine=$ids stubborn 60000 window" "Game1=Zulu Quest,zulu" "Game2=Alpine Run,alpine" \
    "Game3=1942 Strike,strike" "Game4=Bravo Quest,bravo" "Game5=alpha quest,alpha" \
    "Game6=Charlie Quest,charlie" "[System]" "SelectedGame=alpine" >"$config"

# --- Letters: Alpine Run, then X to Bravo Quest (its B shown a moment), X to Charlie Quest,
# Z back to Bravo Quest, Z to Alpine Run (the first A, before "alpha quest"), Z round to the
# digits' 1942 Strike, Z round to Zulu Quest, X round to 1942 Strike, X to Alpine Run.
start
shot "$work/alpine.png"
type_key x
# The next tick draws the initial; it stays for 0.8 s, then the list is drawn without it.
eventually now_differs "$work/alpine.png" "$work/initial.png" || fail "X changed nothing"
eventually now_differs "$work/initial.png" "$work/bravo.png" || fail "the initial stayed"
shot "$work/bravo.png"
differ "$work/initial.png" "$work/bravo.png" || fail "no initial was shown after the jump"
differ "$work/alpine.png" "$work/bravo.png" || fail "X did not move the selection"
press x z z z z x x
finish alpine

# --- A hung game: the window in front, Exit held on the real keyboard.
start
press 1
started() { [[ -s $ids ]]; }
eventually started || fail "the game did not start"
read -r leader child <"$ids"
game_window=$(window_of "$leader")
[[ -n $game_window ]] || fail "the game showed no window"
xdotool windowfocus "$game_window" 2>/dev/null
synced # the game is watched
xdotool keydown Escape
sleep 1 # held a second
xdotool keyup Escape
synced
kill -0 "$leader" 2>/dev/null && kill -0 "$child" 2>/dev/null || fail "a one-second hold ended the game"
xdotool keydown Escape
eventually grep -q "the player ended the game" "$work/out.log"
xdotool keyup Escape
gone() { ! kill -0 "$leader" 2>/dev/null && ! kill -0 "$child" 2>/dev/null; }
eventually gone || fail "the game or its child was still running after the hold"
kill -0 "$pid" 2>/dev/null || fail "holding Exit over the game ended the front end too"
grep -q "the player ended the game" "$work/out.log" || fail "standard error did not say so"
grep -q "killed" "$work/out.log" || fail "the game deaf to SIGTERM was not killed"
synced
press x # Alpine Run to Bravo Quest: the list answers again
finish bravo

[[ $status -eq 0 ]] && echo "e2e_hold: passed"
exit $status
