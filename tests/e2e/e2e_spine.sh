#!/usr/bin/env bash
# The real program under Xvfb, started with a configuration path that holds blanks (once as one
# argument, once split into words that it joins again): it reads the file, leaves on a real
# Escape with exit code 0 and writes its settings back with the file's own CRLF line ends.
# Usage: e2e_spine.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb spine
mkdir -p "$work/my cabinet"
config="$work/my cabinet/torvanell config.ini"
source "$(dirname "$0")/drive.sh"

for how in whole split; do
    printf '%s\r\n' "; written by hand" "[settings]" "Emulators=Demo" "MenuType=imagebrowser" \
        "[Demo]" "Game1=Zeta Blaster,zeta" "Game2=Alpha Quest,alpha" "[System]" \
        "SelectedGame=zeta" >"$config"
    # shellcheck disable=SC2086
    if [[ $how == whole ]]; then start "$config"; else start $config; fi
    finish zeta
    [[ $(setting MenuType) == ListView ]] || fail "$how: the exit save did not write MenuType"
    [[ $(grep -c $'\r$' "$config") -eq $(wc -l <"$config") ]] || fail "$how: line ends were changed"
done

[[ $status -eq 0 ]] && echo "e2e_spine: passed"
exit $status
