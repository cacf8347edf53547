#!/usr/bin/env bash
# Takes the README's pictures of the real game under an Xvfb of its own (display :89, or
# SHOT_DISPLAY): the title screen, a match with both tanks driving and a shell in flight,
# and the options screen with its defaults; at 1280x720 each fixed view (F1, F2, F3) and,
# after a match two computers play to its end, the results screen; four computers' match
# in the split screen's quarters; then, staged
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
# Back to the title, then "OPTIONS", 395 pixels down.
xdotool keydown Escape
sleep 0.5
xdotool keyup Escape
xdotool mousemove 400 410 click 1
sleep 1
xdotool mousemove 790 590
sleep 0.5
import -window root docs/options.png

# The three fixed views at 1280x720 and the results, from a game of their own: two computer
# players, score to 5, in a 1280x720 window.
kill $game_pid 2>/dev/null || true
wait $game_pid 2>/dev/null || true
mkdir -p "$XDG_CONFIG_HOME/vexmoor"
cat >"$XDG_CONFIG_HOME/vexmoor/settings.ini" <<'INI'
[video]
window_size = 1280x720
[player1]
status = computer_hard
[player2]
status = computer_hard
[match]
score_to = 5
INI
kill $xvfb 2>/dev/null || true
wait $xvfb 2>/dev/null || true
Xvfb "$DISPLAY" -noreset -screen 0 1280x720x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
# The game at 1280x720, START GAME (200 of 600 pixels down the title, scaled to 720), the
# match's window focused.
start_wide_match()
{
    "$game" >/dev/null 2>&1 &
    game_pid=$!
    window=$(xdotool search --sync --name Vexmoor | head -n1)
    sleep 1.5
    xdotool mousemove 640 255 click 1
    sleep 3
    xdotool windowfocus "$window"
}
start_wide_match
for view in F1:view_55 F2:view_top F3:view_ortho; do
    xdotool key "${view%%:*}"
    sleep 1
    import -window root "docs/${view#*:}.png"
done
xdotool key F1
# The results screen: a black or white plate, one color across the middle under the
# winner's line; up to ten minutes for the match to end.
for i in $(seq 600); do
    import -window root "$XDG_CONFIG_HOME/probe.png"
    plate=$(convert "$XDG_CONFIG_HOME/probe.png" -crop 1x1+640+155 +repage -format '%[hex:p{0,0}]' info: || true)
    middle=$(convert "$XDG_CONFIG_HOME/probe.png" -crop 600x1+340+155 +repage -format '%k' info: || true)
    if { [ "$plate" = 000000 ] || [ "$plate" = FFFFFF ]; } && [ "$middle" = 1 ]; then break; fi
    sleep 1
done
sleep 0.5
import -window root docs/results.png
kill $game_pid 2>/dev/null || true
wait $game_pid 2>/dev/null || true

# Four computer players on FORTS at 1280x720: the split screen (F4) in quarters.
cat >>"$XDG_CONFIG_HOME/vexmoor/settings.ini" <<'INI'
[player3]
status = computer_hard
[player4]
status = computer_hard
INI
sed -i 's/^score_to = 5$/score_to = 10\narena = forts/' "$XDG_CONFIG_HOME/vexmoor/settings.ini"
start_wide_match
xdotool key F4
sleep 3
import -window root docs/split_four.png
kill $game_pid 2>/dev/null || true

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
