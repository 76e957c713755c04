#!/usr/bin/env bash
# The bundled demo on the screens cabinets have: 1920x1080, 1280x720, 1024x768 and a
# 1920x1080 monitor turned 90 degrees, in both views. From each screenshot (turned back
# upright for the turned screen): the highlight sits where the skin's places, scaled from its
# 1920x1080 design (or the tall layout's 1080x1920), put it, and moves by one line or one
# cell on a real key press; the screenshot is drawn where the box and the never-enlarge rule
# say, its picture grown by the smaller of the two ratios; the status bar lies along the
# bottom.
# Usage: e2e_screens.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
demomame=$(dirname "$torvanell")/demo/emulator/demomame
demo=$(cd "$(dirname "$0")/../../demo" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb screens 1920x1080
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

for entry in "$demo"/*; do [[ $(basename "$entry") == tools ]] || cp -R "$entry" "$work"/; done
mkdir -p "$work/emulator" && cp "$demomame" "$work/emulator/"
without_videos "$config"
printf '%s\n' "[Keymappings]" "ConfigControls=0" >>"$config"
set_setting() { sed -i "s/^$1=.*/$1=$2/" "$config"; }
sed -i 's/^\[Settings\]/[Settings]\nRotation=0/' "$config"

round() { echo $(( (2 * $1 * $2 + $3) / (2 * $3) )); } # value x screen / design, to the nearest
# The bounding box "W H X Y" of the pixels of one colour.
box_of() {
    convert "$1" -fill black +opaque "#$2" -format '%@' info: | tr 'x+' '  ' |
        awk '{print $1, $2, $3, $4}'
}
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info:; }
near() { (( $1 - $2 <= 2 && $2 - $1 <= 2 )); }

snap_top=$(pixel "$demo/art/mame/snaps/galdef.png" 0 0) # the selection's screenshot, 640x480

# check_screenshot SHOT SW SH DW DH X Y W H: the galdef screenshot drawn where its box and the
# rules put it, judged by its top row's colour and the background around it.
check_screenshot() {
    local shot=$1 sw=$2 sh=$3 dw=$4 dh=$5
    local x y w h own
    x=$(round "$6" "$sw" "$dw"); y=$(round "$7" "$sh" "$dh")
    w=$(round "$8" "$sw" "$dw"); h=$(round "$9" "$sh" "$dh")
    if (( sw * dh < sh * dw )); then own=$(round 640 "$sw" "$dw"); else own=$(round 640 "$sh" "$dh"); fi
    (( own < w )) && { x=$(( x + (w - own) / 2 )); w=$own; }
    [[ $(pixel "$shot" "$x" "$y") == "$snap_top" && $(pixel "$shot" $((x + w - 1)) "$y") == "$snap_top" &&
        $(pixel "$shot" $((x - 1)) "$y") != "$snap_top" && $(pixel "$shot" $((x + w)) "$y") != "$snap_top" &&
        $(pixel "$shot" "$x" $((y - 1))) != "$snap_top" ]] ||
        fail "$shot: the screenshot is not drawn from ($x, $y), $w wide"
}

check_status_bar() {
    local shot=$1 sw=$2 sh=$3 colour=$4
    local along
    along=$(convert "$shot" -crop "${sw}x1+0+$((sh - 2))" +repage txt:- | grep -ci "#$colour")
    (( along > sw / 2 )) || fail "$shot: no status bar along the bottom ($along pixels)"
}

# One screen: SIZE ROTATION SKIN VIEW DESIGN_W DESIGN_H HIGHLIGHT X Y RIGHT_OR_CELL_W CELL_H
# SHOT_X SHOT_Y SHOT_W SHOT_H STATUS. For the list X, Y and RIGHT are the list's left, top and
# right edges; for the browser X, Y the first cell's corner and then one cell's size.
screen() {
    local size=$1 rotation=$2 skin=$3 view=$4 dw=$5 dh=$6 colour=$7
    local name="screen-${skin,,}-$size${rotation/#0/}"
    [[ $rotation != 0 ]] && name="screen-${skin,,}-$size-turned$rotation"
    local pw=${size%x*} ph=${size#*x} sw sh
    if [[ $rotation == 90 ]]; then sw=$ph; sh=$pw; else sw=$pw; sh=$ph; fi
    resize_xvfb "$size"
    set_setting Rotation "$rotation"; set_setting Skin "$skin"; set_setting MenuType "$view"
    start
    shot "$work/$name.png"
    [[ $rotation == 90 ]] && convert "$work/$name.png" -rotate -90 "$work/upright.png" ||
        cp "$work/$name.png" "$work/upright.png"
    local before after
    read -r -a before <<<"$(box_of "$work/upright.png" "$colour")"
    if [[ $view == ListView ]]; then
        near "${before[2]}" "$(round "$8" "$sw" "$dw")" && near $((before[2] + before[0])) "$(round "${10}" "$sw" "$dw")" &&
            (( before[3] >= $(round "$9" "$sh" "$dh") )) ||
            fail "$name: the highlight bar is at ${before[*]}"
        press Up
    else
        near "${before[0]}" "$(round "${10}" "$sw" "$dw")" && near "${before[1]}" "$(round "${11}" "$sh" "$dh")" ||
            fail "$name: the highlighted cell is ${before[*]}"
        press Right
    fi
    shot "$work/moved.png"
    [[ $rotation == 90 ]] && convert "$work/moved.png" -rotate -90 "$work/moved.png"
    read -r -a after <<<"$(box_of "$work/moved.png" "$colour")"
    if [[ $view == ListView ]]; then
        [[ ${after[3]} == $((before[3] - before[1])) ]] || fail "$name: Up moved the bar from ${before[*]} to ${after[*]}"
    else
        near "${after[2]}" $((before[2] + $(round "${10}" "$sw" "$dw"))) ||
            fail "$name: Right moved the highlight from ${before[*]} to ${after[*]}"
    fi
    [[ $view == ListView ]] && press Down || press Left
    check_screenshot "$work/upright.png" "$sw" "$sh" "$dw" "$dh" "${12}" "${13}" "${14}" "${15}"
    check_status_bar "$work/upright.png" "$sw" "$sh" "${16}"
    finish galdef
}

# The places of demo/skins/*/skin.ini: [List], [Image], and their Portrait sections.
arcade_list=(1920 1080 FFC000 70 140 930 0 980 140 640 480 102850)
arcade_tall=(1080 1920 FFC000 60 1060 1020 0 40 200 700 525 102850)
gallery_grid=(1920 1080 60FF60 50 140 300 110 1000 140 640 480 A0D0A0)
gallery_tall=(1080 1920 60FF60 40 780 333 110 40 200 700 525 A0D0A0)
screen 1920x1080 0 Arcade ListView "${arcade_list[@]}"
screen 1280x720 0 Arcade ListView "${arcade_list[@]}"
screen 1024x768 0 Arcade ListView "${arcade_list[@]}"
screen 1920x1080 90 Arcade ListView "${arcade_tall[@]}"
screen 1920x1080 0 Gallery ImageBrowser "${gallery_grid[@]}"
screen 1280x720 0 Gallery ImageBrowser "${gallery_grid[@]}"
screen 1024x768 0 Gallery ImageBrowser "${gallery_grid[@]}"
screen 1920x1080 90 Gallery ImageBrowser "${gallery_tall[@]}"

[[ $status -eq 0 ]] && echo "e2e_screens: passed"
exit $status
