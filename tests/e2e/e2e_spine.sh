#!/usr/bin/env bash
# The real program under Xvfb: started with a configuration path that holds blanks (once as
# one argument, once split into several), it reads the file, runs its loop, leaves on a real
# Escape key press with exit code 0 and writes its settings back.
# Usage: e2e_spine.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb spine
trap stop_xvfb EXIT

cabinet="$work/my cabinet"
mkdir -p "$cabinet"
config="$cabinet/torvanell config.ini"

write_config() {
    printf '%s\r\n' "; written by hand" "[settings]" "Emulators=Demo" "MenuType=imagebrowser" \
        "SendKeyWait=3s" "[Demo]" "Game1=Zeta Blaster,zeta" "Game2=Alpha Quest,alpha" \
        "[System]" "SelectedGame=zeta" >"$config"
}

# Runs the program with the given arguments, presses Escape until it ends; answers its code.
run_and_escape() {
    (cd "$cabinet" && exec "$torvanell" "$@") >"$work/out.log" 2>&1 &
    local pid=$! window=""
    for _ in $(seq 100); do
        window=$(xdotool search --pid "$pid" 2>/dev/null | head -n 1)
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || echo "no window of the program was found; pressing Escape anyway" >&2
    for _ in $(seq 40); do
        kill -0 "$pid" 2>/dev/null || break
        [[ -n $window ]] && xdotool windowfocus "$window" 2>/dev/null
        xdotool key Escape 2>/dev/null
        sleep 0.25
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "torvanell did not leave on Escape" >&2
        kill "$pid"
    fi
    wait "$pid"
}

check_saved() {
    local failed=0
    for line in "; written by hand" "MenuType=ListView" "PreviewPictures=ScreenShots" \
        "SendKeyWait=3" "Skin=DefaultSkin" "SelectedGame=zeta" "Game2=Alpha Quest,alpha"; do
        if ! tr -d '\r' <"$config" | grep -qxF "$line"; then
            echo "missing after the exit save: $line" >&2
            failed=1
        fi
    done
    # Every line keeps the CRLF ends of the hand-written file.
    if [[ $(grep -c $'\r$' "$config") -ne $(wc -l <"$config") ]]; then
        echo "line ends were changed" >&2
        failed=1
    fi
    return $failed
}

# Runs one start from a freshly written configuration; how names the way the path is given.
check_start() {
    local how=$1 code
    shift
    write_config
    run_and_escape "$@"
    code=$?
    if [[ $code -ne 0 ]]; then
        echo "exit code $code, expected 0 (path $how)" >&2
        cat "$work/out.log" >&2
        return 1
    fi
    check_saved
}

status=0
check_start "given as one argument" "$config" || status=1
# The same path given as separate words: they are joined by single blanks.
# shellcheck disable=SC2086
check_start "split into words" $config || status=1

[[ $status -eq 0 ]] && echo "e2e_spine: passed"
exit $status
