#!/usr/bin/env bash
# Takes the README's pictures of the real game under an Xvfb of its own (display :89):
# the title screen, and a match with both tanks driving and a shell in flight.
#   bash docs/take_screenshots.sh [GAME_BINARY]      (default build/vexmoor)
set -euo pipefail
cd "$(dirname "$0")/.."
game=$(readlink -f "${1:-build/vexmoor}")
export DISPLAY=:89
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
