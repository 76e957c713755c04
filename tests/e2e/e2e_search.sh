#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses, on the controls a stick gives (the arrows
# are its directions, 1 its first button, V its eighth): a search typed on the on-screen
# keyboard narrows the list, Done keeps it and the game found starts; the random game moves to
# the other game found; Exit on the keyboard gives the list back as it was; ChangeEmu leaves the
# search. The demo's players file and control types are read without a word on standard error.
# Usage: e2e_search.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb search
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

copy_demo
emulator_runs() { grep -c '^run$' "$DEMOMAME_RECORD" 2>/dev/null; }

start
shot "$work/list.png"
# H, A, W, K from the keyboard's A: right to H, on to A (wrapping), down to W, up and left to K.
press v Right Right Right Right Right Right Right 1 Right Right Right 1
press Down Down Right Right 1 Up Left Left 1
shot "$work/keyboard.png"
differ "$work/list.png" "$work/keyboard.png" || fail "no keyboard over the list"
press Down Down Down Right 1 # Done
shot "$work/found.png"
press 1
started() { [[ $(emulator_runs) == 2 ]]; } # the first run captured the list
eventually started || fail "the game found was not started"
grep -qx 'arg skyhawk' "$DEMOMAME_RECORD" || fail "started: $(tail -n 3 "$DEMOMAME_RECORD")"
game_window=$(window_of "$(game_pid)")
xdotool windowfocus "$game_window" 2>/dev/null
xdotool key Escape
back() { shot "$work/after-game.png"; same "$work/found.png" "$work/after-game.png"; }
eventually back || fail "the narrowed list did not come back after the game"
synced # keys pressed in the half second after a game are forgotten
press n     # the only other game found
press v Down Down 1 Escape # "U" typed, then Exit: the narrowed list as it was
shot "$work/kept.png"
[[ $(pixels_differing "$work/found.png" "$work/kept.png") != 0 ]] ||
    fail "the random game did not move the selection"
finish skyhawk2

# "B" and Done; then the next emulator, MAME, whose last game holds no B.
start
press v Right 1 Down Down Down Down Right 1 5 Up
finish wizquestj
grep -Ei "players|CabinetControls|control type" "$work/out.log" && fail "the demo's files were told about"
exit $status
