#!/usr/bin/env bash
# The installed program: cmake --install into a staging prefix with a blank in it, the files
# where Debian puts them, torvanell-start making the owner's folder once and never touching it
# again, and the installed program run on the demo with the installed skins under Xvfb, a key
# pressed and SIGTERM, the settings saved.
# Usage: e2e_install.sh <path-to-torvanell> <build/tests dir>
set -uo pipefail
torvanell=$1
build=$(cd "$(dirname "$torvanell")" && pwd -P)
demomame=$build/demo/emulator/demomame
demo=$(cd "$(dirname "$0")/../../demo" && pwd -P)

source "$(dirname "$0")/xvfb.sh"
start_xvfb install
config="$work/demo/torvanell.ini"
source "$(dirname "$0")/drive.sh"

prefix="$work/staging area/usr"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { fail "cmake --install failed"; cat "$work/install.log" >&2; }
for file in games/torvanell games/torvanell-start share/man/man6/torvanell.6.gz \
    share/man/man6/torvanell-start.6.gz share/man/man5/torvanell.ini.5.gz share/doc/torvanell/copyright share/doc/torvanell/changelog.gz \
    share/applications/torvanell.desktop share/games/torvanell/torvanell.ini \
    share/games/torvanell/skins/Arcade/skin.ini share/doc/torvanell/README.md \
    share/doc/torvanell/examples/torvanell-x11.service \
    share/doc/torvanell/examples/torvanell-wayland.service \
    share/doc/torvanell/examples/weston-kiosk.ini share/doc/torvanell/docs/cabinet.md \
    lib/torvanell/libtorvanell-video.so; do
    [[ -s "$prefix/$file" ]] || fail "not installed: $file"
done
[[ -x "$prefix/games/torvanell" && -x "$prefix/games/torvanell-start" ]] || fail "not executable"
# The video module, where the program looks for it, finds every library it needs.
module="$prefix/games/../lib/torvanell/libtorvanell-video.so"
[[ $(nm -D --defined-only "$module") == *" torvanellVideoCodec"* ]] || fail "the video module lacks its entry"
[[ $(ldd "$module") != *"not found"* ]] || fail "the video module misses a library: $(ldd "$module")"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/torvanell.desktop" || fail "bad desktop entry"
fi

# torvanell-start: the owner's folder made from the example the first time, then left alone.
owner="$work/owner home"
first=$(env -u DISPLAY -u SDL_VIDEODRIVER HOME="$owner" "$prefix/games/torvanell-start" 2>&1)
[[ -s "$owner/torvanell/torvanell.ini" && -s "$owner/torvanell/skins/Arcade/skin.ini" ]] ||
    fail "torvanell-start did not make the owner's folder: $first"
[[ $first == *"No display"* ]] || fail "torvanell-start did not run the program: $first"
echo "; the owner's own line" >>"$owner/torvanell/torvanell.ini"
cp "$owner/torvanell/torvanell.ini" "$work/owners.ini"
env -u DISPLAY -u SDL_VIDEODRIVER HOME="$owner" "$prefix/games/torvanell-start" >/dev/null 2>&1
cmp -s "$owner/torvanell/torvanell.ini" "$work/owners.ini" || fail "the owner's configuration was changed"

# The installed program on the demo, with the installed skins.
mkdir -p "$work/demo/emulator"
for entry in "$demo"/*; do
    [[ $(basename "$entry") == tools || $(basename "$entry") == skins ]] || cp -R "$entry" "$work/demo"/
done
cp "$demomame" "$work/demo/emulator/"
without_videos "$config"
sed -i "s|^Skin.dir=.*|Skin.dir=$prefix/share/games/torvanell/skins|" "$config"
torvanell="$prefix/games/torvanell"
work_run() { (cd "$work/demo" && exec "$torvanell" torvanell.ini) >"$work/out.log" 2>&1 & pid=$!; }
work_run
window=$(window_of "$pid")
[[ -n $window ]] || { fail "the installed program showed no window"; cat "$work/out.log" >&2; }
eventually answers || fail "the installed program did not answer on its socket"
shot "$work/installed.png"
colours=$(convert "$work/installed.png" -format %k info:)
((colours > 50)) || fail "the installed program's screen has $colours colours: no skin?"
press Down # from Galactic Defender, where the demo starts
kill -TERM "$pid"
ended || fail "exit code $? after SIGTERM, expected 0"
saved=$(setting SelectedGame)
[[ -n $saved && $saved != galdef ]] || fail "the selection was not saved at SIGTERM: '$saved'"

[[ $status -eq 0 ]] && echo "e2e_install: passed"
exit $status
