# Sourced after drive.sh: a Wayland compositor (weston) in a window of this X server, which
# gives it a seat; screenshots of its outputs side by side; keys through its window.
weston=""
# compositor <backend> [weston's options]
compositor() {
    weston --backend="$1" --use-pixman --socket=wl-e2e --debug "${@:2}" >"$work/weston.log" 2>&1 &
    weston=$!
    eventually test -S "$XDG_RUNTIME_DIR/wl-e2e" || { fail "weston did not start"; cat "$work/weston.log" >&2; }
}
stop_compositor() { kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; }
wayland_shot() {
    rm -f "$work"/wayland-screenshot-*.png
    (cd "$work" && WAYLAND_DISPLAY=wl-e2e weston-screenshooter) || fail "no screenshot of weston"
    mv "$work"/wayland-screenshot-*.png "$1" 2>/dev/null
}
# Screenshots until the screen compares with reference as asked (differ or same); the last stays.
wayland_compares() { wayland_shot "$3" && "$1" "$2" "$3"; }
wayland_until() { eventually wayland_compares "$@"; }
drawn() { (($(convert "$2" -format %k info:) > 2)); } # the first argument is unused
weston_found() { weston_window=$(xdotool search --class weston | head -n 1) && [[ -n $weston_window ]]; }
# Keys go to weston's X window, which hands them to the client that has its keyboard. The
# window is focused only when it is not: each new focus makes weston take the keyboard from the
# client and give it back, and a key typed meanwhile is another window's.
wayland_press() {
    for key; do
        [[ $(xdotool getwindowfocus 2>/dev/null) == "$weston_window" ]] ||
            xdotool windowfocus "$weston_window" 2>/dev/null
        xdotool key "$key"
        synced || fail "the front end did not answer after $key"
    done
}
# Types key until the check passes, three times at most: under a full run's load a key typed
# into weston's X window is now and then not passed on (seen once in three runs: the front end
# answered all the while and never saw it). Only keys that may come twice are typed so (a page
# at the list's end stays there); a key typed again is said on standard error.
wayland_press_until() {
    local key=$1 try
    shift
    for try in 1 2 3; do
        wayland_press "$key"
        TORVANELL_E2E_WAIT=10 eventually "$@" && return 0
        echo "e2e: $key was not taken; typed again" >&2
    done
    return 1
}
