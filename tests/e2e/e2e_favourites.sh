#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the MAME filters hide a category of the
# demo's category file; a game is marked a favourite and played; ChangeEmu finds it under
# "Favourites" beside the demo's own favourite; after a restart, which starts in the
# favourites, the menu sorts by plays and the game played is first of all.
# Usage: e2e_favourites.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb favourites
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"
copy_demo
history="$work/torvanell-history.txt"
skin_setting() { tr -d '\r' <"$work/skins/Arcade/skin.ini" | grep -m1 "^$1=" | cut -d= -f2-; }
entry_of() { grep -P "^MAME\t$1\t" "$history"; }
# MAME shown, whose filters the menu offers; the selection on Galactic Defender.
sed -i 's/^Emulator=.*/Emulator=MAME/' "$work/skins/Arcade/skin.ini"

# A first run captures mame.lst and writes its snapshot: the runs below start at once, also
# in a loaded sanitizer build, so no key is pressed while the list is still loading.
start
finish galdef

start
# Row 9 opens the MAME filters, the row above their first opens the categories (the last but
# one row), and Quiz, the eighth of them, is hidden.
press 2 Down Down Down Down Down Down Down Down Right Up Up Right
shot "$work/categories.png"
# Each press waits for a tick after it: a sub-menu's close waits half a second first, and keys
# meanwhile are forgotten.
press Down Down Down Down Down Down Down Right Escape
press Escape
press Escape
# The selection stays on Galactic Defender; its second set below is marked and played (the
# emulator's first run was the list's capture).
press Down c
shot "$work/marked.png"
press 1
eventually eval '[[ $(grep -c "^run$" "$DEMOMAME_RECORD" 2>/dev/null) == 2 ]]' ||
    fail "the game was not started"
eventually eval 'entry_of galdefa | grep -qP "\tyes\t1\t20"' ||
    fail "the play was not written when the game started: $(cat "$history")"
# Escape again while the game's window may not take keys yet (a loaded machine); the demo
# emulator also ends by itself after eight seconds.
for _ in 1 2 3; do
    xdotool windowfocus "$(window_of "$(game_pid)")" 2>/dev/null
    xdotool key Escape
    eventually eval '! game_pid >/dev/null' && break
done
game_pid >/dev/null && fail "the game did not end"
back() { shot "$work/after-game.png"; same "$work/marked.png" "$work/after-game.png"; }
eventually back || fail "the list did not come back after the game"
synced # keys pressed in the half second after a game are forgotten
# MAME, Demo Console, Demo Classics, then the favourites: Galactic Defender and its second set.
press 5 5 5
shot "$work/favourites.png"
press Down
finish galdefa
[[ $(skin_setting Emulator) == Favourites ]] || fail "the skin saved Emulator=$(skin_setting Emulator)"
[[ $(setting HiddenCategories) == Quiz ]] || fail "saved HiddenCategories=$(setting HiddenCategories)"
entry_of galdef | grep -qP "\tyes\t0\tnever$" || fail "the demo's favourite changed: $(cat "$history")"

# --- Restart: the favourites again, then all games by plays; the game played is the first,
# so paging up from it stays on it.
start
shot "$work/restart.png"
press 2 Down Down Down Down Down Down Down Down Right Down Down Right Escape
shot "$work/most-played.png"
press Left
finish galdefa
[[ $(setting SortGamesBy) == MostPlayed ]] || fail "saved SortGamesBy=$(setting SortGamesBy)"
[[ $(skin_setting Emulator) == All ]] || fail "the skin saved Emulator=$(skin_setting Emulator)"
grep -q "^ShowMature=1" "$config" || fail "ShowMature was not kept"

[[ $status -eq 0 ]] && echo "e2e_favourites: passed"
exit $status
