#!/usr/bin/env bash
# The real program under Xvfb with real key presses: the options menu switches to the image
# browser, hides the missing MAME games in a nested sub-menu, switches back and turns the
# status bar off; the configuration and skin.ini then hold those changes and nothing else.
# Usage: e2e_popups.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
helpers=$(cd "$2" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb popups
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

# fakemame lists fakepac, its clone fakepacb and fakevert; only fakepac has its zip.
mkdir -p "$work/roms" "$work/skins/DefaultSkin"
touch "$work/roms/fakepac.zip"
printf '%s\n' "[Settings]" "Emulators=MAME" "[MAME]" "ExecPath=$helpers" \
    "Executable=fakemame" "RomPath=$work/roms" "DisplayMissingRoms=1" "[System]" \
    "SelectedGame=fakepac" >"$config"
printf '%s\n' "[Settings]" "Emulator=MAME" "Fontface=Liberation Sans" "MenuFontSize=14" \
    "[List]" "StatusBarFontFace=Liberation Sans" "[Image]" "StatusBarFontFace=Liberation Sans" \
    "ListStartX=20" "ListStartY=20" "ListWidth=240" "ListHeight=160" "ListRows=2" \
    "ListColumns=3" "[Menu]" "TitleBackcolor=0x00FF00" >"$work/skins/DefaultSkin/skin.ini"

# A first run captures mame.lst and writes every setting once, the base for the second run.
start
finish fakepac
cp "$config" "$work/config.before"
cp "$work/skins/DefaultSkin/skin.ini" "$work/skin.before"

start
shot "$work/list.png"
# Menu Type: Image Preview; row 9, Choose MAME Filters: Display Missing Games: No.
press 2 Right Down Down Down Down Down Down Down Down Right
shot "$work/menu.png"
differ "$work/list.png" "$work/menu.png" || fail "the menu did not show"
# The menu's frame, title band and current row's bar are in the skin's [Menu] TitleBackcolor;
# the menu behind the open sub-menu is dimmed halfway to the black background.
pixels() { convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean*w*h]' info:; }
[[ $(pixels "$work/list.png" '#00FF00') == 0 && $(pixels "$work/menu.png" '#00FF00') -gt 2000 ]] ||
    fail "the menu's current row is not in the skin's colour ($(pixels "$work/menu.png" '#00FF00') pixels)"
[[ $(pixels "$work/menu.png" '#007F00') -gt 2000 ]] ||
    fail "the menu behind the sub-menu is not dimmed ($(pixels "$work/menu.png" '#007F00') pixels)"
press Right Escape # each press waits for a tick after it: the window it closed is gone
press Escape
shot "$work/browser.png"
differ "$work/list.png" "$work/browser.png" || fail "the image browser was not shown"
# Back to the list view: fewer games than before.
press 2 Right Escape
shot "$work/filtered.png"
differ "$work/list.png" "$work/filtered.png" || fail "the missing games are still listed"
differ "$work/browser.png" "$work/filtered.png" || fail "the list view did not come back"
# Show Status Bar: No.
press 2 Down Down Down Down Down Down Right Escape
shot "$work/nobar.png"
differ "$work/filtered.png" "$work/nobar.png" || fail "the status bar did not go"

finish fakepac

changed() { diff <(tr -d '\r' <"$1") <(tr -d '\r' <"$2") | grep '^[<>]' | tr '\n' ' '; }
[[ $(changed "$work/config.before" "$config") == "< DisplayMissingRoms=1 > DisplayMissingRoms=0 " ]] ||
    fail "the configuration changed so: $(changed "$work/config.before" "$config")"
[[ $(changed "$work/skin.before" "$work/skins/DefaultSkin/skin.ini") == "< ShowStatusBar=1 > ShowStatusBar=0 " ]] ||
    fail "skin.ini changed so: $(changed "$work/skin.before" "$work/skins/DefaultSkin/skin.ini")"

[[ $status -eq 0 ]] && echo "e2e_popups: passed"
exit $status
