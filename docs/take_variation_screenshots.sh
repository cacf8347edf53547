#!/usr/bin/env bash
# Takes the README's pictures of the match variations under an Xvfb of its own (display :88):
# each arena from straight above with the clock of a time limit, a random maze (a fixed
# seed), the shipped arena file, and a bouncing shot.
# The variations are set in a settings file of a home folder of its own, as the set-up
# screen's OPTIONS column would write them.
#   bash docs/take_variation_screenshots.sh [GAME_BINARY]      (default build/vexmoor)
set -euo pipefail
cd "$(dirname "$0")/.."
game=$(readlink -f "${1:-build/vexmoor}")
export DISPLAY=:88
home=$(mktemp -d)
Xvfb "$DISPLAY" -noreset -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
game_pid=""
trap 'kill $game_pid $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
sleep 1

# Starts a match with the given [match] lines; leaves the game running in the top view.
match_with()
{
    mkdir -p "$home/vexmoor"
    printf '[match]\n%s\n' "$1" >"$home/vexmoor/settings.ini"
    XDG_CONFIG_HOME=$home "$game" >/dev/null 2>&1 &
    game_pid=$!
    window=$(xdotool search --sync --name Vexmoor | head -n1)
    sleep 1.5
    # "START GAME" sits in the middle of the title, 200 pixels down.
    xdotool mousemove 400 215 click 1
    sleep 1
    xdotool windowfocus "$window"
    xdotool key F2
}
stop_game() { kill "$game_pid"; wait "$game_pid" 2>/dev/null || true; game_pid=""; }

for arena in open_field maze forts; do
    match_with "arena = $arena
time_limit_seconds = 136"
    sleep 3.5  # the match keys have gone
    import -window root "docs/arena_$arena.png"
    stop_game
done

match_with "arena = random_maze
maze_seed = 20080324"
sleep 3.5
import -window root docs/arena_random_maze.png
stop_game
match_with "arena = custom
custom_arena = Courtyard"
sleep 3.5
import -window root docs/arena_courtyard.png
stop_game

# A bouncing shot: player 2's tank turns toward the north wall and fires; the shell comes
# back down off the wall.
match_with "arena = open_field
shells = bouncing
bounces = 2"
sleep 3.2
xdotool keydown Right
sleep 0.35
xdotool keyup Right
xdotool keydown Return
sleep 0.1
xdotool keyup Return
for i in 1 2 3 4 5 6 7 8; do
    sleep 0.1
    import -window root "docs/bounce_$i.png"
done
stop_game
