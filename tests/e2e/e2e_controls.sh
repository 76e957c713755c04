#!/usr/bin/env bash
# The real program under Xvfb with real key presses, on a hand-written CRLF configuration whose
# path holds blanks (one argument, then split into words it joins again): changing emulator and
# starting a game; the controls set-up's five prompts one after another, its keys written and
# acting at once; the exit save keeps the CRLF line ends.
# Usage: e2e_controls.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
helpers=$(cd "$2" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb controls
export ARGRECORDER_OUT="$work/record"
mkdir -p "$work/my cabinet"
config="$work/my cabinet/torvanell config.ini"
source "$(dirname "$0")/drive.sh"

# First and Second sort together in All, where Oscar Quest follows Omega Strike.
{
    printf '%s\n' "; written by hand" "[settings]" "Emulators=First,Second" "MenuType=imagebrowser" \
        "[First]" "ExecPath=$helpers" "Executable=argrecorder"
    i=1
    for word in Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliet Kilo Lima Mike \
        November Oscar Papa Quebec Romeo Sierra Tango Uniform Victor Whiskey Xray Yankee Zulu; do
        printf 'Game%d=%s Quest,%s\n' $((i++)) "$word" "${word,,}"
    done
    printf '%s\n' "[Second]" "ExecPath=$helpers" "Executable=argrecorder" \
        "Game1=Omega Strike,omega" "Game2=Sigma Drive,sigma" "[System]" "SelectedGame=alpha"
} | sed 's/$/\r/' >"$config"

# --- Changing the emulator (First, then Second: Omega Strike first) and starting a game.
start "$config"
press 5 5 Down 1
recorded() { [[ -s $ARGRECORDER_OUT ]] && grep -qx sigma "$ARGRECORDER_OUT"; }
eventually recorded || fail "the game sigma was not started"
expected=$(printf 'cwd %d\n%s\narg 5\nsigma\n' ${#helpers} "$helpers")
[[ $(cat "$ARGRECORDER_OUT" 2>/dev/null) == "$expected" ]] ||
    fail "the game was started as: $(cat "$ARGRECORDER_OUT" 2>/dev/null)"
rm -f "$ARGRECORDER_OUT" # so that a second start would leave a new record
synced                   # keys pressed in the half second after a game are forgotten
press Up
finish omega
[[ -e $ARGRECORDER_OUT ]] && fail "the game was started more than once"
[[ $(setting MenuType) == ListView ]] || fail "the exit save did not write MenuType"

# --- The controls set-up, keys no default binding uses; the path split into words. Each prompt
# shows at once; keys pressed a second apart and a tenth of a second apart (before the next
# prompt is drawn) each go to their own action.
# shellcheck disable=SC2086
start $config
shot "$work/before.png"
type_key 3
keys=(h j u n y)
codes=(72 74 85 78 89)
names=(SelectUp SelectDown SelectPageUp SelectPageDown StartGame)
prompt_shown() {
    shot "$work/prompt$1.png"
    differ "$work/before.png" "$work/prompt$1.png" && differ "$previous" "$work/prompt$1.png"
}
written() { [[ $(setting "${names[$step]}") == "${codes[$step]}" ]]; }
previous="$work/before.png"
eventually prompt_shown 0 || fail "the first prompt was not shown"
for step in 0 1 2 3 4; do
    xdotool key "${keys[$step]}"
    [[ $step -lt 4 ]] && { eventually prompt_shown "$((step + 1))" || fail "prompt $((step + 2)) not shown after the key"; }
    sleep 1 # the keys a second apart
    previous="$work/prompt$((step + 1)).png"
done
for step in 0 1 2 3 4; do
    eventually written || fail "${names[$step]}=$(setting "${names[$step]}"), expected ${codes[$step]}"
done
box_closed() { shot "$work/after.png"; same "$work/before.png" "$work/after.png"; }
eventually box_closed || fail "the screen after the set-up differs from the one before"
press Down
shot "$work/unbound.png"
same "$work/before.png" "$work/unbound.png" || fail "Down still acts after SelectDown was set to J"
press j # Omega Strike -> Oscar Quest
finish oscar
for step in 0 1 2 3 4; do written || fail "${names[$step]} lost at exit"; done

# shellcheck disable=SC2086
start $config
shot "$work/before-quick.png"
type_key 3
eventually now_differs "$work/before-quick.png" "$work/prompt-quick.png" || fail "no prompt"
keys=(b m l o p)
codes=(66 77 76 79 80)
xdotool key --delay 100 "${keys[@]}"
for step in 0 1 2 3 4; do
    eventually written || fail "keys 0.1 s apart: ${names[$step]}=$(setting "${names[$step]}"), expected ${codes[$step]}"
done
finish
[[ $(grep -c $'\r$' "$config") -eq $(wc -l <"$config") ]] || fail "line ends were changed"

[[ $status -eq 0 ]] && echo "e2e_controls: passed"
exit $status
