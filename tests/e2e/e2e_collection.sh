#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the console's games show under the titles
# of the game list beside their ROMs, with its media folder's covers in the flyer box, and the
# information key opens a game's description from the list. Turning the list's titles off, then
# the media folder, changes the screen each time; the list's cache is read at later starts.
# Usage: e2e_collection.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb collection
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

copy_demo
list=$work/roms/console/gamelist.xml
# Pixels within a few per cent of one colour (given as #RRGGBB).
near() { convert "$1" -fuzz 4% -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean*w*h]' info:; }

# All, MAME, then the console: Alpha Squadron (Europe) is its first game, its cover blue. The
# skin remembers the emulator shown, so each start begins at All again.
console() {
    sed -i 's/^Emulator=.*/Emulator=All/' "$work/skins/Arcade/skin.ini"
    start
    press 5 5
    shot "$work/$1.png"
}
console titles
press ctrl
shot "$work/description.png"
differ "$work/titles.png" "$work/description.png" || fail "no description page for a console game"
press ctrl
finish "Alpha Squadron (E) [!].dcx"
[[ $(near "$work/titles.png" '#3B6BFF') -gt 200 ]] || fail "the cover of the media folder is not shown"
[[ -s $list.cache ]] || fail "no cache beside the game list"
grep -i "game list\|gamelist" "$work/out.log" && fail "the demo's game list was told about"

touch -r "$list.cache" "$work/cache.before"
sed -i 's/^GameList=.*/&\nGameListNames=0/' "$config"
console file-names
finish "Alpha Squadron (E) [!].dcx"
differ "$work/titles.png" "$work/file-names.png" || fail "the list's titles made no difference"
[[ ! $list.cache -nt $work/cache.before ]] || fail "the cache was made again for an unchanged list"

sed -i '/^MediaFolder=/d' "$config"
console no-media
finish
differ "$work/file-names.png" "$work/no-media.png" || fail "the media folder made no difference"
[[ $(near "$work/no-media.png" '#3B6BFF') -lt 50 ]] || fail "the cover shows without the media folder"
[[ $status -eq 0 ]] && echo "e2e_collection: passed"
exit $status
