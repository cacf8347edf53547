#!/usr/bin/env bash
# Installs the game into a fresh prefix, starts the installed command from another
# folder under an X server of its own, waits for its window and closes it like a window
# manager would: the game must end with status 0.
#   install_test.sh CMAKE BUILD_DIR XPROBE
set -euo pipefail
cmake_command=$1 build_dir=$2 xprobe=$3

work=$(mktemp -d)
xvfb_pid="" game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" >&2; exit 1; }

prefix=$work/prefix
"$cmake_command" --install "$build_dir" --prefix "$prefix" >/dev/null

# Where a desktop looks for each piece.
for f in games/vexmoor lib/games/vexmoor/vexmoor; do
  [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
done
for f in share/games/vexmoor/media/tank.3ds share/games/vexmoor/media/arena2.3ds \
         share/games/vexmoor/fonts/pixfont_basic_28pt_bold.xml \
         share/applications/vexmoor.desktop share/metainfo/vexmoor.metainfo.xml \
         share/icons/hicolor/256x256/apps/vexmoor.png share/icons/hicolor/48x48/apps/vexmoor.png; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
desktop=$prefix/share/applications/vexmoor.desktop
grep -qx 'Exec=vexmoor' "$desktop" || fail "the desktop entry does not start the command vexmoor"
grep -qx 'Icon=vexmoor' "$desktop" || fail "the desktop entry does not name the icon vexmoor"
grep -qx 'Categories=Game;ActionGame;' "$desktop" || fail "the desktop entry is not in the games menu"
grep -q '<launchable type="desktop-id">vexmoor.desktop</launchable>' "$prefix/share/metainfo/vexmoor.metainfo.xml" ||
  fail "the metainfo does not point at the desktop entry"

# An X server of its own, on the first free display from :85 to :89.
display=""
for n in 85 86 87 88 89; do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -noreset -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then display=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[ -n "$display" ] || fail "no X server could be started on :85 to :89"
export DISPLAY=$display

# From a folder without the game's data: the launcher must find it.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
# Settings in the test's own folder, never in the real home.
XDG_CONFIG_HOME="$work/config" HOME="$work/home" "$prefix/games/vexmoor" >"$work/game.log" 2>&1 &
game_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name Vexmoor 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window appeared"
  sleep 0.1
done
[ -n "$window" ] || fail "no window named Vexmoor appeared within 10 s"
echo "window $window: $(xdotool getwindowname "$window")"
# Let the title screen come up before closing.
sleep 1
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"
# The launcher execs the game, so the game has its pid; it must run in the data folder
# and find its fonts and sounds there.
[ "$(readlink -f "/proc/$game_pid/cwd")" = "$(readlink -f "$prefix/share/games/vexmoor")" ] ||
  fail "the game runs in $(readlink -f "/proc/$game_pid/cwd"), not in its data folder"
if grep -i -E 'unable to load|cannot load' "$work/game.log"; then fail "the game misses some of its data"; fi

"$xprobe" close "$window" || fail "could not send the close message"
status=""
for _ in $(seq 100); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    set +e
    wait "$game_pid"
    status=$?
    set -e
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "the game did not end within 10 s of closing its window"
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "the installed game started from $PWD and ended with status 0"
