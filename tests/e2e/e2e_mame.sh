#!/usr/bin/env bash
# The installed example with Debian's own MAME, as an owner gets it from torvanell-start: the
# first start captures MAME's list and shows the game whose zip is in roms/; starting it makes
# MAME look in that folder, so a zip holding a wrong file gets MAME's complaint about that
# very file (not "NOT FOUND"), and the player reads it in a box. Skipped without the package.
# Usage: e2e_mame.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
[[ -x /usr/games/mame ]] || { echo "e2e_mame: skipped, Debian's mame is not installed"; exit 77; }

source "$(dirname "$0")/xvfb.sh"
start_xvfb mame
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

source_dir=$(cd "$(dirname "$0")/../.." && pwd -P)
cp "$source_dir/dist/torvanell.ini" "$config"
cp -R "$source_dir/demo/skins" "$work/"
sed -i 's/^\[Settings\]/[Settings]\nVideoDelay=0/' "$config"
mkdir -p "$work/roms"
# Puck Man's first program ROM, five bytes long instead of 2048.
(cd "$work/roms" && printf 'short' >pm1_prg1.6e && zip -q puckman.zip pm1_prg1.6e && rm pm1_prg1.6e)

start
# MAME's list is captured, read and kept as a snapshot before the game can be started.
TORVANELL_E2E_WAIT=120 eventually test -s "$work/mame.lst.cache"
eventually answers
type_key 1 # the box that follows waits for a key, serving nothing
eventually grep -q "The game ended at once" "$work/out.log"
shot "$work/mame-box.png"
grep -q "pm1_prg1.6e WRONG LENGTH" "$work/out.log" ||
    fail "MAME did not find the zip in roms/: $(grep -m3 -i 'not found\|wrong' "$work/out.log")"
grep -q "The game ended at once (exit code" "$work/out.log" || fail "no box told of the failure"
type_key Return
finish puckman

[[ $status -eq 0 ]] && echo "e2e_mame: passed"
exit $status
