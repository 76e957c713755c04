#!/usr/bin/env bash
# The demo on a cabinet with a marquee screen: two outputs of a Wayland compositor (weston's
# desktop shell, then its kiosk shell with and without weston.ini placing the marquee), the list
# on the first and the marquee on the second. A program selects a game through the control socket and a
# subscribed one hears every move; Down moves the selection and the marquee follows it once the
# selection rests; a [Events] command hears the selection too.
# Usage: e2e_marquee.sh <path-to-torvanell>
set -uo pipefail
torvanell=$1

source "$(dirname "$0")/xvfb.sh"
start_xvfb marquee 2000x800
config="$work/torvanell.ini"
source "$(dirname "$0")/drive.sh"
copy_demo
printf '\n[Events]\nSelectionChanged=/bin/sh -c "echo \\"$1\\" >>%s" selected "%%f"\n' \
    "$work/events.log" >>"$config"
printf '[output]\nname=X1\nmode=1280x720\n[output]\nname=X2\nmode=640x180\n' >"$work/weston.ini"

source "$(dirname "$0")/wayland.sh"
compositor x11-backend.so --shell=desktop-shell.so --output-count=2 -c "$work/weston.ini"
eventually weston_found || fail "weston showed no window"
(cd "$work" && exec env -u DISPLAY WAYLAND_DISPLAY=wl-e2e ASAN_OPTIONS=detect_leaks=0 \
    "$torvanell" "$config") >"$work/out.log" 2>&1 &
pid=$!
socket="$XDG_RUNTIME_DIR/torvanell.sock"
for _ in 1 2 3; do eventually test -S "$socket" && break; done
[[ -S $socket ]] || { fail "no control socket"; cat "$work/out.log" >&2; exit 1; }
ask() { printf '%s\n' "$1" | socat -t 2 - "UNIX-CONNECT:$socket"; }
# The subscriber's input stays open (a sleep whose id is kept) until the test ends.
sh -c 'echo $$ >"$0"; printf "{\"subscribe\":true}\n"; exec sleep 60' "$work/sleeper" 2>/dev/null |
    socat -t 60 - "UNIX-CONNECT:$socket" >"$work/heard.log" 2>&1 &

# The marquee screen's part of a screenshot of both outputs, side by side.
marquee_of() { convert "$1" -crop 640x180+1280+0 +repage "$2"; }
list_of() { convert "$1" -crop 1280x720+0+0 +repage "$2"; }
# The marquee follows once the selection has rested 600 ms: its part of the screen settles.
marquee_settled() {
    wayland_shot "$work/rest-a.png" && marquee_of "$work/rest-a.png" "$work/rest-a-marquee.png"
    sleep 0.7
    wayland_shot "$work/rest-b.png" && marquee_of "$work/rest-b.png" "$work/rest-b-marquee.png"
    same "$work/rest-a-marquee.png" "$work/rest-b-marquee.png"
}
rests() { eventually marquee_settled; }

eventually grep -q '"subscribed":true' "$work/heard.log" || fail "the subscriber was not subscribed"
[[ $(ask '{"select":{"emulator":"MAME","game":"beamrunr"}}') == *'"game":"beamrunr"'* ]] ||
    fail "the socket did not select beamrunr"
rests
wayland_until drawn - "$work/beamrunr.png" || fail "nothing was drawn"
wayland_shot "$work/beamrunr.png"
marquee_of "$work/beamrunr.png" "$work/marquee-beamrunr.png"
list_of "$work/beamrunr.png" "$work/list-beamrunr.png"
[[ $(convert "$work/marquee-beamrunr.png" -format %k info:) -gt 8 ]] ||
    fail "the marquee screen shows no picture"
eventually grep -q '"event":"selected".*"game":"beamrunr"' "$work/heard.log" ||
    fail "the subscriber did not hear the selection of beamrunr"

wayland_press Down
eventually grep -q '"event":"selected".*"game":"neoblast"' "$work/heard.log" ||
    fail "the subscriber did not hear Down select neoblast (Blast Brigade): $(cat "$work/heard.log")"
rests
wayland_shot "$work/neoblast.png"
marquee_of "$work/neoblast.png" "$work/marquee-neoblast.png"
list_of "$work/neoblast.png" "$work/list-neoblast.png"
differ "$work/marquee-beamrunr.png" "$work/marquee-neoblast.png" ||
    fail "the marquee screen did not follow the selection"
differ "$work/list-beamrunr.png" "$work/list-neoblast.png" || fail "the list did not move"
[[ $(ask '{"get":"state"}') == *'"game":"neoblast"'* ]] || fail "the state does not name neoblast"
eventually grep -qx neoblast "$work/events.log" ||
    fail "the SelectionChanged command did not hear neoblast: $(cat "$work/events.log" 2>/dev/null)"
[[ $(ask 'not json') == '{"error":"not JSON"}' ]] || fail "a bad line was not answered with an error"

kill -TERM "$pid"
ended || { fail "exit code $? after SIGTERM, expected 0"; cat "$work/out.log" >&2; }
[[ ! -e $socket ]] || fail "the socket file was left behind"
kill "$(cat "$work/sleeper")" 2>/dev/null
stop_compositor

# --- weston's kiosk shell, as a Wayland cabinet runs it, puts every window on the first output
# unless its weston.ini names the program's windows for another: without, the marquee screen
# gives way to the list and says why; with, both show where they belong.
said_placed() { grep -q "the compositor placed the marquee screen on the main display" "$work/out.log"; }
list_drawn() { wayland_shot "$work/kiosk.png" && list_of "$work/kiosk.png" "$work/kiosk-list.png" &&
    (($(convert "$work/kiosk-list.png" -format %k info:) > 50)); }
for ids in "" "app-ids=torvanell"; do
    printf '%s\n' "[output]" "name=X1" "mode=1280x720" "[output]" "name=X2" "mode=640x180" "$ids" \
        >"$work/weston.ini"
    compositor x11-backend.so --shell=kiosk-shell.so --output-count=2 -c "$work/weston.ini"
    (cd "$work" && exec env -u DISPLAY WAYLAND_DISPLAY=wl-e2e ASAN_OPTIONS=detect_leaks=0 \
        "$torvanell" "$config") >"$work/out.log" 2>&1 &
    pid=$!
    eventually answers || fail "the front end did not answer under the kiosk shell"
    eventually list_drawn || fail "the list is not on the first output (kiosk shell, '$ids')"
    if [[ -z $ids ]]; then
        eventually said_placed || fail "the marquee screen over the list was not told"
    else
        rests
        wayland_shot "$work/kiosk-both.png"
        marquee_of "$work/kiosk-both.png" "$work/kiosk-marquee.png"
        [[ $(convert "$work/kiosk-marquee.png" -format %k info:) -gt 8 ]] ||
            fail "the kiosk shell's second output shows no marquee"
        said_placed && fail "the marquee screen was told misplaced where weston.ini placed it"
    fi
    kill -TERM "$pid"
    ended || fail "exit code $? under the kiosk shell"
    stop_compositor
done
[[ $status -eq 0 ]] && echo "e2e_marquee: passed"
exit $status
