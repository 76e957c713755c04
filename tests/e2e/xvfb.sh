# Sourced by the end-to-end tests: a private Xvfb screen of 800x600 and a work folder.
# start_xvfb <name> sets work, xvfb and DISPLAY; stop_xvfb ends the server and removes work.

start_xvfb() {
    local n display=""
    for n in $(seq 91 199); do
        if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
    done
    [[ -n $display ]] || { echo "no free display number" >&2; exit 1; }
    work=$(mktemp -d "/tmp/torvanell-e2e-$1.XXXXXX")
    Xvfb ":$display" -noreset -screen 0 800x600x24 >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    export DISPLAY=":$display"
    for _ in $(seq 100); do
        [[ -e /tmp/.X11-unix/X$display ]] && xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        echo "Xvfb did not start" >&2
        cat "$work/xvfb.log" >&2
        stop_xvfb
        exit 1
    fi
    # In a sanitizer build: the session bus library keeps one buffer for the life of the process.
    printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
    export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}

stop_xvfb() {
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
