#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the lock sequence locks the cabinet, and
# the menu key and Escape then do nothing; the sequence unlocks it and the menu opens. Left
# idle, the screensaver starts a demo game in the demo's stand-in emulator; a key ends it and
# the list is back on the game selected before, with no play counted.
# Usage: e2e_operator.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb operator
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"
copy_demo
sed -i 's/^\[Settings\]/[Settings]\nLockSequence=Up,Down,Up,Down\nScreenSaverType=Play/' "$config"
said() { grep -q "$1" "$work/out.log"; }

# A first run captures mame.lst, so that no key below is pressed while the list loads.
start
finish galdef

start
shot "$work/before.png"
press Up Down Up Down
eventually said "locked the cabinet" || fail "the sequence did not lock"
shot "$work/locked-message.png"
sleep 1.6 # the message shows for a moment
shot "$work/locked.png"
differ "$work/before.png" "$work/locked.png" || fail "the locked list still shows the mature games"
press 2 Escape
sleep 1
shot "$work/locked-keys.png"
same "$work/locked.png" "$work/locked-keys.png" || fail "a locked menu key or Escape acted"
kill -0 "$pid" 2>/dev/null || fail "Escape left a locked front end"
press Up Down Up Down
eventually said "unlocked the cabinet" || fail "the sequence did not unlock"
sleep 1.6
press 2
shot "$work/menu.png"
differ "$work/before.png" "$work/menu.png" || fail "the menu did not open once unlocked"
press Escape
sleep 0.8
finish galdef
[[ $(setting Locked) != 1 ]] || fail "the lock was saved on"

# Left alone for two seconds, the screensaver plays a MAME game of the demo.
sed -i 's/^ScreenSaverStartInterval=.*/ScreenSaverStartInterval=2/' "$config"
cp "$work/torvanell-history.txt" "$work/history-before.txt"
start
runs() { grep -c "^run$" "$DEMOMAME_RECORD" 2>/dev/null; }
before=$(runs)
eventually eval '[[ $(runs) -gt $before ]] && pgrep -x demomame >/dev/null' ||
    fail "no demo game started: $(cat "$work/out.log")"
sleep 1
shot "$work/demo-game.png"
# Held a moment, as a player's press is: the stand-in emulator has the keyboard.
xdotool keydown Down
sleep 0.2
xdotool keyup Down
eventually eval '! pgrep -x demomame >/dev/null' || fail "a key did not end the demo game"
said "A control was touched" || fail "the end of the demo game was not told"
sleep 1
shot "$work/after-demo.png"
same "$work/before.png" "$work/after-demo.png" || fail "the list did not come back as it was"
finish galdef
cmp -s "$work/history-before.txt" "$work/torvanell-history.txt" ||
    fail "a demo game was counted as a play"
exit $status
