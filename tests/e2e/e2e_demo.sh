#!/usr/bin/env bash
# The bundled demo under Xvfb with real key presses: the first start captures mame.lst and
# shows the list where the skin puts it; the selection is saved; a second start reuses the
# list, starts a game with its expanded command line and answers keys after it; the
# screensaver starts and stops; the power-off sequence is requested.
# Usage: e2e_demo.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
demo=$(cd "$(dirname "$0")/../../demo" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb demo
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

copy_demo
export TORVANELL_POWEROFF_RECORD="$work/poweroff.log"
# Key 3 also starts the controls set-up by default; unbound here, it only begins the power-off.
printf '%s\n' "[Keymappings]" "ConfigControls=0" >>"$config"

# Pixels of one colour (#RRGGBB) in a region (WxH+X+Y); the first and last row of a colour.
count_colour() { convert "$1" -crop "$2" +repage txt:- | grep -ci "$3"; }
rows_of_colour() {
    convert "$1" -crop "1x600+$2+0" +repage txt:- | grep -i "$3" | cut -d, -f2 | cut -d: -f1 |
        sed -n '1p;$p' | tr '\n' ' '
}
emulator_runs() { grep -c '^run$' "$DEMOMAME_RECORD" 2>/dev/null; }
set_setting() { sed -i "s/^$1=.*/$1=$2/" "$config"; }

bar=FFC000         # the Arcade skin's highlight bar, 0x00C0FF
third_below=gemmine # three games below Galactic Defender, the selection the demo starts on
status_back=102850 # its status bar, 0x502810

# Without a display the program and the demo script say so in one line and fail at once.
no_display=$(env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY "$torvanell" "$config" 2>&1 >/dev/null)
[[ $? -ne 0 && $no_display == *"No display"* ]] || fail "without a display: $no_display"
no_display=$(env -u DISPLAY "$demo/../scripts/run-demo" 2>&1)
[[ $? -ne 0 && $(wc -l <<<"$no_display") == 1 && $no_display == *"No X display"* ]] ||
    fail "run-demo without a display said: $no_display"

# --- First start: the list is captured, drawn where the skin says, and the selection saved.
start
# The loading message's window comes first: the capture may still be running under load.
listed() { [[ $(emulator_runs) == 1 && -s $work/mame.lst ]] && grep -qx 'arg -listxml' "$DEMOMAME_RECORD"; }
eventually listed || fail "the first start did not capture mame.lst by running the demo emulator once"
shot "$work/list.png"
read -r top bottom <<<"$(rows_of_colour "$work/list.png" 31 "#$bar")"
# The skin is laid out for 1920x1080: on 800x600 the list starts at (29, 78).
[[ -n ${top:-} && $top -ge 78 && $((bottom - top)) -lt 40 ]] ||
    fail "no highlight bar below the list's top (rows ${top:-none}..${bottom:-none})"
[[ $(count_colour "$work/list.png" "1x600+28+0" "#$bar") == 0 ]] ||
    fail "the highlight bar starts left of the list"
[[ $(count_colour "$work/list.png" "800x12+0+588" "#$status_back") -gt 1000 &&
    $(count_colour "$work/list.png" "800x12+0+588" "#FFFFFF") -gt 10 ]] ||
    fail "the status bar is missing or empty"

# A trackball rolled down 90 pixels moves two rows (40 each), read raw, wherever the hidden
# pointer is; Up twice comes back.
xdotool mousemove 795 595 # by the screen's corner: the pointer itself cannot go further
xdotool mousemove_relative -- 0 90
synced
shot "$work/rolled.png"
differ "$work/list.png" "$work/rolled.png" || fail "the trackball did not move the selection"
press Up Up
shot "$work/rolled-back.png"
same "$work/list.png" "$work/rolled-back.png" || fail "the trackball did not move two rows"
press Down Down Down
finish "$third_below"

# --- Second start: mame.lst is reused; a game is played and the list comes back.
start
[[ $(emulator_runs) == 1 ]] || fail "the second start ran the emulator again"
shot "$work/before-game.png"
press 1
started() { [[ $(emulator_runs) == 2 ]]; }
eventually started || fail "the demo emulator was not started"
game_window=$(window_of "$(game_pid)")
expected=$(printf 'run\ncwd %s\narg %s\narg -skip_gameinfo\n' "$work/emulator" "$third_below")
[[ $(sed -n '/^run$/h;/^run$/!H;${x;p}' "$DEMOMAME_RECORD") == "$expected" ]] ||
    fail "the game was started as: $(tail -n 4 "$DEMOMAME_RECORD")"
[[ -n $game_window ]] || fail "the demo emulator showed no window"
shot "$work/game.png"
differ "$work/before-game.png" "$work/game.png" || fail "the game's window was not shown"
xdotool windowfocus "$game_window" 2>/dev/null
xdotool key Escape
back() { shot "$work/after-game.png"; same "$work/before-game.png" "$work/after-game.png"; }
eventually back || fail "the list did not come back after the game"
synced # keys pressed in the half second after a game are forgotten
# No focus given here: without a window manager the front end must take it back itself.
xdotool key Down
synced
shot "$work/moved.png"
differ "$work/before-game.png" "$work/moved.png" || fail "the list does not answer after a game"
press Up

finish "$third_below"
(($(grep -c "No sound device" "$work/out.log") <= 1)) || fail "the missing sound device was told again after the game"

# --- Third start: the screensaver after a short idle time, then the power-off sequence.
set_setting ScreenSaverStartInterval 2
start
eventually now_differs "$work/before-game.png" "$work/saver.png" || fail "the screensaver did not start"
shot "$work/saver.png"
press Down # only wakes the screen
shot "$work/woken.png"
differ "$work/saver.png" "$work/woken.png" || fail "a key did not stop the screensaver"
[[ -n $(rows_of_colour "$work/woken.png" 31 "#$bar") ]] || fail "no list after the screensaver"
press 3 4
type_key 1
ended
[[ $(cat "$TORVANELL_POWEROFF_RECORD" 2>/dev/null) == "power-off requested" ]] ||
    fail "the power-off was not requested once"
[[ $(emulator_runs) == 2 ]] || fail "the emulator ran $(emulator_runs) times, expected 2"

[[ $status -eq 0 ]] && echo "e2e_demo: passed"
exit $status
