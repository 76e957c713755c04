#!/usr/bin/env bash
# The X server goes away under the real program: on the main screen, with the options menu
# open and while a game runs. Each time the program ends within two seconds with exit code 2
# (so that a service restarts it), says why on standard error and has saved the selection; a
# running game is ended with it.
# Usage: e2e_lostdisplay.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
helpers=$(cd "$2" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb lostdisplay 640x480
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"

ids="$work/ids"
printf '%s\n' "[Settings]" "Emulators=Long" "[Long]" "ExecPath=$helpers" "Executable=hanger" \
    "CmdLine=$ids polite 60000 window" "Game1=Alpha,alpha" "Game2=Beta,beta" \
    "Game3=Gamma,gamma" "[System]" "SelectedGame=alpha" >"$config"

# Kills the X server, then expects the program gone with code 2.
lose_display() {
    kill -9 "$xvfb"
    wait "$xvfb" 2>/dev/null
    eventually program_gone
    if ! program_gone; then
        fail "$1: still running after the X server went away"
        kill -9 "$pid"
    fi
    wait "$pid"
    local code=$?
    pid=""
    [[ $code -eq 2 ]] || fail "$1: exit code $code, expected 2"
    grep -q "The display was lost (the X server went away)" "$work/out.log" ||
        { fail "$1: standard error did not say the display was lost"; cat "$work/out.log" >&2; }
    [[ $(setting SelectedGame) == "$2" ]] || fail "$1: saved SelectedGame=$(setting SelectedGame), expected $2"
    launch_xvfb 640x480
}

start
press Down
lose_display "the main screen" beta

start
press Down
eventually selected gamma || fail "Down did not select gamma"
press 2
lose_display "the options menu" gamma

start
press Up
eventually selected beta || fail "Up did not select beta"
press 1
eventually test -s "$ids" || fail "the game did not start"
lose_display "a game" beta
read -r leader child <"$ids"
gone() { ! kill -0 "$leader" 2>/dev/null && ! kill -0 "$child" 2>/dev/null; }
eventually gone || fail "the game outlived the front end"

[[ $status -eq 0 ]] && echo "e2e_lostdisplay: passed"
exit $status
