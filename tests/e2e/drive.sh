# Sourced by the end-to-end tests after start_xvfb (xvfb.sh): starting the program on $config
# in $work, pressing keys, screenshots that have settled, and the settings it saved. At exit the
# program is ended, the screenshots are copied to $TORVANELL_E2E_SHOTS when that is set, and
# Xvfb is stopped. Needs torvanell, work and config set; fail() reports a failed check.

status=0
pid=""
fail() { echo "FAIL: $*" >&2; status=1; }

cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null
    [[ -n ${TORVANELL_E2E_SHOTS:-} ]] && cp "$work"/*.png "$TORVANELL_E2E_SHOTS"/ 2>/dev/null
    stop_xvfb
}
trap cleanup EXIT

setting() { tr -d '\r' <"$config" | grep -m1 "^$1=" | cut -d= -f2-; }

# Polls a command for up to about five seconds.
eventually() {
    for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
    return 1
}

pixels_apart() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print $1}'; }
differ() { [[ $(pixels_apart "$1" "$2") != 0 ]]; }
same() { [[ $(pixels_apart "$1" "$2") == 0 ]]; }

# A screenshot once the screen has stopped changing, so a half-drawn frame is never kept.
shot() {
    import -window root "$1"
    for _ in $(seq 20); do
        sleep 0.2
        import -window root "$work/again.png"
        same "$1" "$work/again.png" && return 0
        mv "$work/again.png" "$1"
    done
    fail "the screen did not settle for $1"
}

# The first window of a process, waiting up to ten seconds for it; empty when none came.
window_of() {
    local found=""
    for _ in $(seq 100); do
        found=$(xdotool search --pid "$1" 2>/dev/null | head -n 1)
        [[ -n $found ]] && break
        sleep 0.1
    done
    echo "$found"
}

# The program's arguments are the configuration's path unless others are given.
start() {
    (cd "$work" && exec "$torvanell" "${@:-$config}") >"$work/out.log" 2>&1 &
    pid=$!
    window=$(window_of "$pid")
    [[ -n $window ]] || { echo "no window of the program was found" >&2; exit 1; }
    sleep 0.5 # the loading messages close before the list is drawn
}

# The program polls keys ten times a second: a tap needs time to be seen once.
press() {
    xdotool windowfocus "$window" 2>/dev/null
    xdotool key "$1"
    sleep 0.3
}

# Escape, then the exit code and the saved selection. A loaded machine (a sanitizer build
# beside other tests) can still be loading at the first press, so it is pressed up to thrice.
finish() {
    for _ in 1 2 3; do
        press Escape
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
    done
    if kill -0 "$pid" 2>/dev/null; then fail "torvanell did not leave on Escape"; kill "$pid"; fi
    wait "$pid"
    local code=$?
    pid=""
    [[ $code -eq 0 ]] || { fail "exit code $code, expected 0"; cat "$work/out.log" >&2; }
    [[ $(setting SelectedGame) == "$1" ]] || fail "saved SelectedGame=$(setting SelectedGame), expected $1"
}
