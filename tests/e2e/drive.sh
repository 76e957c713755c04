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

# Runs the command until it succeeds, for up to 30 seconds (TORVANELL_E2E_WAIT): a state is
# waited for, never a time, so that a loaded machine is slower and still passes.
eventually() {
    local deadline=$((SECONDS + ${TORVANELL_E2E_WAIT:-30}))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# The pixels that differ, or compare's complaint when a picture cannot be read: an unreadable
# one is neither the same nor different. A large count is printed as 2.0736e+06.
pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print $1}'; }
differ() { [[ $(pixels_differing "$1" "$2") =~ ^[1-9][0-9.e+]*$ ]]; }
same() { [[ $(pixels_differing "$1" "$2") == 0 ]]; }

# A screenshot once the screen has stopped changing: never a half-drawn frame.
settled() {
    import -window root "$work/again.png"
    same "$1" "$work/again.png" && return 0
    mv "$work/again.png" "$1"
    return 1
}
shot() {
    import -window root "$1"
    sleep 0.2
    eventually settled "$1" || fail "the screen did not settle for $1"
}
# Screenshots into $2 until the screen differs from (or is the same as) the picture $1.
now_differs() { import -window root "$2" && differ "$1" "$2"; }
now_same() { import -window root "$2" && same "$1" "$2"; }

# The first window of a process; empty when none came.
first_window() { xdotool search --pid "$1" 2>/dev/null | head -n 1 | grep .; }
window_of() { eventually first_window "$1" >/dev/null && first_window "$1"; }

# The front end's control socket, which every start switches on: its answers tell that the list
# is up and that a tick has run.
socket_path() { echo "$XDG_RUNTIME_DIR/torvanell.sock"; }
ask() { printf '%s\n' "$1" | socat -t 5 - "UNIX-CONNECT:$(socket_path)" 2>/dev/null; }
answers() { [[ $(ask '{"get":"state"}') == *'"view"'* ]]; }
# The game of that name is selected: a move has been taken before the next key is typed (a key
# reaches a Wayland client through the compositor, and two could land in one tick).
selected() { [[ $(ask '{"get":"state"}') == *"\"game\":\"$1\""* ]]; }
# Three answers, one after the other: the second comes after a tick that began once the first
# was asked, so a key pressed before has been read and acted on; the third after the tick after,
# so that a pop-up the key closed has also had its pause and forgotten the keys pressed in it.
synced() { eventually answers && eventually answers && eventually answers; }
# Into [Settings] however its name is written, with the line end the file has there.
with_socket() {
    [[ -f $config ]] || return 0
    grep -qi '^ControlSocket=' "$config" && return 0
    if grep -qi '^\[Settings\]' "$config"; then
        sed -i -E 's/^\[settings\](\r?)$/&\nControlSocket=1\1/I' "$config"
    else
        printf '\n[Settings]\nControlSocket=1\n' >>"$config"
    fi
}

# The program's arguments are the configuration's path unless others are given. Ready once the
# list is up.
start() {
    with_socket
    (cd "$work" && exec "$torvanell" "${@:-$config}") >"$work/out.log" 2>&1 &
    pid=$!
    window=$(window_of "$pid")
    [[ -n $window ]] || { echo "no window of the program was found" >&2; cat "$work/out.log" >&2; exit 1; }
    eventually answers || { fail "the front end did not answer on its socket"; cat "$work/out.log" >&2; }
}

# A key typed where the front end serves nothing while it waits (the controls set-up).
type_key() {
    xdotool windowfocus "$window" 2>/dev/null
    xdotool key "$@"
}
# Each key typed into the program's window, and acted on before the next is typed.
press() {
    for key; do
        xdotool windowfocus "$window" 2>/dev/null
        xdotool key "$key"
        synced || fail "the front end did not answer after $key"
    done
}

# The game the program runs now (the demo's stand-in emulator, its child): never another test's.
game_pid() { pgrep -n -P "$pid" -x demomame; }
program_gone() { ! kill -0 "$pid" 2>/dev/null; }
# The program's exit code once it has gone, else a failure and the program ended.
ended() {
    eventually program_gone
    if ! program_gone; then fail "torvanell did not leave"; kill "$pid"; fi
    wait "$pid"
    local code=$?
    pid=""
    return $code
}

# Escape until the program leaves (thrice at most: the first may close a pop-up), each waited
# for as a key is; then exit code 0 and the saved selection (when one is given).
gone_or_answers() { program_gone || answers; }
finish() {
    for _ in 1 2 3; do
        type_key Escape
        for _ in 1 2 3; do eventually gone_or_answers && ! program_gone || break; done
        program_gone && break
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
