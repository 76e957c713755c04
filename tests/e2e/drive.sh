# Sourced after start_xvfb (xvfb.sh), with torvanell, work and config set. At exit the program
# is ended, the shots copied to $TORVANELL_E2E_SHOTS when set, and Xvfb stopped.

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

eventually() {
    for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
    return 1
}

# The pixels that differ, or compare's complaint when a picture cannot be read: an unreadable
# one is neither the same nor different. A large count is printed as 2.0736e+06.
pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print $1}'; }
differ() { [[ $(pixels_differing "$1" "$2") =~ ^[1-9][0-9.e+]*$ ]]; }
same() { [[ $(pixels_differing "$1" "$2") == 0 ]]; }

# A screenshot once the screen has stopped changing: never a half-drawn frame.
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
    for _ in $(seq 100); do
        xdotool search --pid "$1" 2>/dev/null | head -n 1 | grep . && return
        sleep 0.1
    done
}

# The program's arguments are the configuration's path unless others are given.
start() {
    (cd "$work" && exec "$torvanell" "${@:-$config}") >"$work/out.log" 2>&1 &
    pid=$!
    window=$(window_of "$pid")
    [[ -n $window ]] || { echo "no window of the program was found" >&2; cat "$work/out.log" >&2; exit 1; }
    sleep 0.5 # the loading messages close before the list is drawn
}

# Keys are polled ten times a second: a tap needs time to be seen once.
press() {
    for key; do
        xdotool windowfocus "$window" 2>/dev/null
        xdotool key "$key"
        sleep 0.3
    done
}

# The program's exit code after up to five seconds, else a failure and the program ended.
ended() {
    eventually eval '! kill -0 "$pid" 2>/dev/null'
    if kill -0 "$pid" 2>/dev/null; then fail "torvanell did not leave"; kill "$pid"; fi
    wait "$pid"
    local code=$?
    pid=""
    return $code
}

# Escape (up to thrice: a loaded sanitizer build can still be loading at the first press),
# then exit code 0 and the saved selection (when one is given).
finish() {
    for _ in 1 2 3; do
        press Escape
        eventually eval '! kill -0 "$pid" 2>/dev/null' && break
    done
    ended || { fail "exit code $?, expected 0"; cat "$work/out.log" >&2; }
    [[ -z ${1:-} || $(setting SelectedGame) == "$1" ]] || fail "saved SelectedGame=$(setting SelectedGame), expected $1"
}

# The bundled demo (its tools left out) and its stand-in for MAME in the work folder;
# DEMOMAME_RECORD names the file where the emulator notes each run.
copy_demo() {
    local demo entry
    demo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../demo" && pwd -P)
    for entry in "$demo"/*; do [[ $(basename "$entry") == tools ]] || cp -R "$entry" "$work"/; done
    mkdir -p "$work/emulator" && cp "$(dirname "$torvanell")/demo/emulator/demomame" "$work/emulator/"
    export DEMOMAME_RECORD="$work/emulator.log"
    [[ ${1:-} == with-videos ]] || without_videos "$work/torvanell.ini"
}

# The demo's videos would keep the screen from ever settling for a screenshot.
without_videos() { sed -i 's/^\[Settings\]/[Settings]\nVideoDelay=0/' "$1"; }
