#!/usr/bin/env bash
# The demo's videos under Xvfb with real key presses: once the selection rests on a machine
# with a video, the screenshot's box plays it (its pixels change between two screenshots while
# the rest of the screen stays); Down stops it at once; and the video attract mode plays the
# machines' videos over the whole screen after the idle time.
# Usage: e2e_video.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb video
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"
copy_demo with-videos
set_setting() { sed -i "s/^$1=.*/$1=$2/" "$config"; }
# Beam Runner has a video; Blast Brigade, below it, has none.
sed -i 's/^SelectedGame=.*/SelectedGame=beamrunr/' "$config"
grep -q '^SelectedGame=beamrunr' "$config" || printf '[System]\nSelectedGame=beamrunr\n' >>"$config"

# The skin is laid out for 1920x1080: on 800x600 its 640x480 screenshot box is at (408, 78),
# 267 wide, and a 640x480 video is drawn 267x200 there.
box="267x200+408+78"
outside() { convert "$1" -fill black -draw "rectangle 406,76 677,280" "$2"; }
grab() { import -window root "$1"; }
crop() { convert "$1" -crop "$2" +repage "$3"; }
plays() {
    grab "$work/$1-a.png"
    sleep 0.4
    grab "$work/$1-b.png"
    crop "$work/$1-a.png" "$box" "$work/$1-a-box.png"
    crop "$work/$1-b.png" "$box" "$work/$1-b-box.png"
    differ "$work/$1-a-box.png" "$work/$1-b-box.png"
}

# A first run captures mame.lst, so that no key below is pressed while the list loads.
start
finish beamrunr

start
# A loaded machine may still be drawing the list as the video starts: the video must come to play
# with nothing else changing, not at its first frame.
plays_alone() {
    plays rested || return 1
    outside "$work/rested-a.png" "$work/rested-a-outside.png"
    outside "$work/rested-b.png" "$work/rested-b-outside.png"
    same "$work/rested-a-outside.png" "$work/rested-b-outside.png"
}
eventually plays_alone ||
    fail "no video plays in the screenshot's box alone (or the screen changed outside it)"
press Down
shot "$work/stopped.png" # settles: nothing plays for Blast Brigade
differ "$work/rested-b.png" "$work/stopped.png" || fail "Down did not move the selection"
sleep 1 # long enough for a video that went on to show a new frame
grab "$work/still.png"
same "$work/stopped.png" "$work/still.png" || fail "a video went on after the move"
finish neoblast

# The attract mode after two idle seconds: the whole screen plays, the status bar is gone.
set_setting ScreenSaverType Videos
set_setting ScreenSaverStartInterval 2
start
whole() {
    grab "$work/saver-a.png"
    sleep 0.4
    grab "$work/saver-b.png"
    crop "$work/saver-a.png" 800x120+0+480 "$work/saver-a-bottom.png"
    crop "$work/saver-b.png" 800x120+0+480 "$work/saver-b-bottom.png"
    differ "$work/saver-a-bottom.png" "$work/saver-b-bottom.png"
}
eventually whole || fail "the video attract mode did not play over the whole screen"
press Down # only wakes the screen
finish

[[ $status -eq 0 ]] && echo "e2e_video: passed"
exit $status
