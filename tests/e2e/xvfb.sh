# Sourced by the end-to-end tests: start_xvfb <name> [WxH] makes a work folder and a private
# Xvfb of that size, 800x600 when none is given (it picks a free display itself, so tests
# started at once never share a screen) and sets DISPLAY; resize_xvfb <WxH> starts it again
# at another size; stop_xvfb ends it and removes the folder.

launch_xvfb() {
    local fd display=""
    exec {fd}>"$work/display"
    Xvfb -displayfd "$fd" -noreset -screen 0 "$1x24" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    exec {fd}>&-
    for _ in $(seq 300); do
        display=$(head -n 1 "$work/display") && [[ -n $display ]] && break
        sleep 0.1
    done
    export DISPLAY=":$display"
    [[ -n $display ]] && xdpyinfo >/dev/null 2>&1 ||
        { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; stop_xvfb; exit 1; }
}

start_xvfb() {
    work=$(mktemp -d "/tmp/torvanell-e2e-$1.XXXXXX")
    # The front end's socket and a compositor's live here, apart from every other test's.
    export XDG_RUNTIME_DIR="$work/xdg"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    launch_xvfb "${2:-800x600}"
    # In a sanitizer build: the session bus library keeps one buffer for the life of the process.
    printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
    export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}

resize_xvfb() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    launch_xvfb "$1"
}

stop_xvfb() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
