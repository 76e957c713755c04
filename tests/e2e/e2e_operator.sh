#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the lock sequence locks the cabinet, and
# the menu key and Escape then do nothing; the sequence unlocks it and the menu opens. Left
# idle, the screensaver starts a demo game in the demo's stand-in emulator; a key ends it and
# the list is back on the game selected before, with no play counted.
# Usage: e2e_operator.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
tests=$2

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
[[ $(setting Locked) == 1 ]] || fail "the lock was not saved at once"
# The message shows for a moment, then the list is drawn without it.
eventually now_differs "$work/locked-message.png" "$work/locked.png" ||
    fail "the Locked message did not go"
shot "$work/locked.png"
differ "$work/before.png" "$work/locked.png" || fail "the locked list still shows the mature games"
press 2 Escape
shot "$work/locked-keys.png"
same "$work/locked.png" "$work/locked-keys.png" || fail "a locked menu key or Escape acted"
kill -0 "$pid" 2>/dev/null || fail "Escape left a locked front end"
press Up Down Up Down
eventually said "unlocked the cabinet" || fail "the sequence did not unlock"
shot "$work/unlocked-message.png"
eventually now_differs "$work/unlocked-message.png" "$work/unlocked.png" ||
    fail "the Unlocked message did not go"
press 2
shot "$work/menu.png"
differ "$work/before.png" "$work/menu.png" || fail "the menu did not open once unlocked"
press Escape
finish galdef
[[ $(setting Locked) == 0 ]] || fail "the lock was not saved off"

# Left alone for two seconds, the screensaver plays a MAME game of the demo; a tap of any
# length ends it, while the stand-in emulator has the keyboard.
sed -i 's/^ScreenSaverStartInterval=.*/ScreenSaverStartInterval=2/' "$config"
cp "$work/torvanell-history.txt" "$work/history-before.txt"
start
runs() { grep -c "^run$" "$DEMOMAME_RECORD" 2>/dev/null; }
playing() { [[ $(runs) -gt $before ]] && game_pid >/dev/null; }
for tap in 5 15 100; do
    before=$(runs)
    eventually playing || fail "no demo game started: $(cat "$work/out.log")"
    game=$(window_of "$(game_pid)")
    [[ -n $game ]] && xdotool windowfocus "$game" 2>/dev/null
    touched=$(grep -c "A control was touched" "$work/out.log")
    synced # the game runs, watched
    "$tests/tapper" Down "$tap"
    eventually eval '! game_pid >/dev/null' || fail "a tap of $tap ms did not end the demo game"
    [[ $(grep -c "A control was touched" "$work/out.log") -gt $touched ]] ||
        fail "the end of the demo game after a tap of $tap ms was not told"
    [[ $tap == 100 ]] && break
    synced
done
synced
shot "$work/after-demo.png"
same "$work/before.png" "$work/after-demo.png" || fail "the list did not come back as it was"
finish galdef
cmp -s "$work/history-before.txt" "$work/torvanell-history.txt" ||
    fail "a demo game was counted as a play"
[[ $status -eq 0 ]] && echo "e2e_operator: passed"
exit $status
