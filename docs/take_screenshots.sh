#!/usr/bin/env bash
# Takes the README's pictures of the real game under an Xvfb of its own (display :89, or
# SHOT_DISPLAY): the title screen, a match with both tanks driving and a shell in flight,
# and the options screen with its defaults; then, staged
# by the rendering tests' picture run, a shot, a hit and two schemes whose tanks are close
# in color (cut out of the overhead view and enlarged twice).
#   bash docs/take_screenshots.sh [GAME_BINARY [TEST_RENDER]]
#   (default build/vexmoor and build/tests/game/effects/test_render)
set -euo pipefail
cd "$(dirname "$0")/.."
game=$(readlink -f "${1:-build/vexmoor}")
render=$(readlink -f "${2:-build/tests/game/effects/test_render}")
export DISPLAY=${SHOT_DISPLAY:-:89}
# The defaults, whatever this machine's own settings say.
export XDG_CONFIG_HOME=$(mktemp -d)
Xvfb "$DISPLAY" -noreset -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
game_pid=""
trap 'kill $game_pid $xvfb 2>/dev/null || true' EXIT
sleep 1
"$game" >/dev/null 2>&1 &
game_pid=$!
window=$(xdotool search --sync --name Vexmoor | head -n1)
sleep 1.5
import -window root docs/title.png
# "START GAME" sits in the middle of the title, 200 pixels down.
xdotool mousemove 400 215 click 1
sleep 1
xdotool windowfocus "$window"
xdotool keydown x keydown z keydown Up keydown Right
sleep 2.5
xdotool key Tab
sleep 0.2
import -window root docs/match.png
xdotool keyup x keyup z keyup Up keyup Right
# Back to the title, then "OPTIONS", 350 pixels down.
xdotool keydown Escape
sleep 0.5
xdotool keyup Escape
xdotool mousemove 400 365 click 1
sleep 1
xdotool mousemove 790 590
sleep 0.5
import -window root docs/options.png

frames=$(mktemp -d)
trap 'kill $game_pid $xvfb 2>/dev/null || true; rm -rf "$frames" "$XDG_CONFIG_HOME"' EXIT
VEXMOOR_RENDER_SHOTS="$frames" ALSOFT_DRIVERS=null "$render" --gtest_also_run_disabled_tests \
  --gtest_filter='*PicturesForTheReadme' >/dev/null 2>&1
cut_out() { convert "$1" -crop 400x150+200+150 +repage -scale 200% "$2"; }
cut_out "$frames/readme_shot.png" docs/shot.png
cut_out "$frames/readme_hit.png" docs/hit.png
cut_out "$frames/readme_close_11.png" "$frames/close_11.png"
cut_out "$frames/readme_close_9.png" "$frames/close_9.png"
convert "$frames/close_11.png" "$frames/close_9.png" -append docs/close_pair.png
