#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the game information of Galactic Defender
# opens on its information text, Right turns to its story from the history file and on to its
# controls from the command file, drawn with button and arrow pictures; Right once more turns
# round to the first page. Both files are indexed beside themselves without a word on standard
# error, and the next start reads the indexes instead of the files.
# Usage: e2e_infopages.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb infopages
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

copy_demo
# The pixels of exactly one colour (given as #RRGGBB).
pixels() { convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean*w*h]' info:; }

start
shot "$work/list.png"
press ctrl
shot "$work/info.png"
press Right
shot "$work/history.png"
press Right
shot "$work/moves.png"
press Right
shot "$work/round.png"
differ "$work/list.png" "$work/info.png" || fail "the information window did not open"
differ "$work/info.png" "$work/history.png" || fail "Right did not turn to the history"
differ "$work/history.png" "$work/moves.png" || fail "Right did not turn to the moves"
same "$work/info.png" "$work/round.png" || fail "the pages did not turn round to the first"
# The A button is drawn in its red; neither the story nor the list has that colour.
red='#E03030'
[[ $(pixels "$work/history.png" "$red") == 0 && $(pixels "$work/moves.png" "$red") -gt 100 ]] ||
    fail "no A button on the moves page ($(pixels "$work/moves.png" "$red") red pixels)"
press ctrl
shot "$work/closed.png"
same "$work/list.png" "$work/closed.png" || fail "the information key did not close the window"
finish galdef
[[ -s $work/history.xml.index && -s $work/command.dat.index ]] || fail "no index beside the files"
grep -Ei "history|command|index" "$work/out.log" && fail "the demo's files were told about"

# The indexes are read at the next start: the story shows as before.
touch -r "$work/history.xml.index" "$work/index.before"
start
press ctrl Right
shot "$work/history-again.png"
same "$work/history.png" "$work/history-again.png" || fail "the story differs at the next start"
finish galdef
[[ ! $work/history.xml.index -nt $work/index.before ]] || fail "the index was built again"
[[ $status -eq 0 ]] && echo "e2e_infopages: passed"
exit $status
