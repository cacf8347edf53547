#!/usr/bin/env bash
# Two games on two X servers of one machine play over loopback: one hosts (--host), one
# joins (--join). The joiner's key drives its tank on both screens; closing the joiner's
# window ends its game with status 0 and the host's match with "THE OTHER PLAYER LEFT",
# the host going on to the set-up screen; closing the host's window then ends it with 0.
. "$(dirname "$0")/lib.sh"
e2e_begin network
port=$((47400 + 1 + $$ % 500))

# Each game's X server, process and window, switched to by use_host and use_joiner.
save_as() { eval "$1=(\"\$DISPLAY\" \"\$GAME_PID\" \"\$GAME_WINDOW\" \"\$GAME_X\" \"\$GAME_Y\")"; }
use() { local -n g=$1; export DISPLAY=${g[0]}; E2E_DISPLAY=${g[0]}; GAME_PID=${g[1]} GAME_WINDOW=${g[2]} GAME_X=${g[3]} GAME_Y=${g[4]}; GAME_STATUS=""; }

start_xvfb 800x600
GAME_ARGS=(--host "127.0.0.1:$port")
start_game "$VEXMOOR_SRC" "$E2E_WORK/host"
wait_window 20 || fail "no host window; stderr: $(tr '\n' '|' <"$E2E_WORK/host.err")"
save_as HOST

start_xvfb 800x600
GAME_ARGS=(--join "127.0.0.1:$port")
start_game "$VEXMOOR_SRC" "$E2E_WORK/joiner"
wait_window 20 || fail "no joiner window; stderr: $(tr '\n' '|' <"$E2E_WORK/joiner.err")"
save_as JOINER

joined() { [ "$(count_lines "$E2E_WORK/joiner.err" "network: joined 127.0.0.1:$port")" = 1 ]; }
poll 20 joined joined || fail "the joiner did not join; stderr: $(tr '\n' '|' <"$E2E_WORK/joiner.err")"
[ "$(count_lines "$E2E_WORK/host.err" "network: PLAYER 2 joined from 127.0.0.1:")" = 1 ] || fail "the host did not see the joiner as player 2"
use HOST
poll 10 is_arena host_arena || fail "the host shows no arena"
use JOINER
poll 10 is_arena joiner_arena || fail "the joiner shows no arena"

# The joiner drives its tank (player 2's, in "Tank1") forward: it moves on both screens.
tank_x() { read -r _ _ x _ <<<"$(bbox_color "${SCHEME_TANK1[$s]}" 800x550+0+50)"; echo "${x:-}"; }
use HOST
s=$(scheme_of_background "$(pixel 5 5)")
host_x0=$(tank_x)
use JOINER
[ "$(scheme_of_background "$(pixel 5 5)")" = "$s" ] || fail "the joiner does not wear the host's color scheme"
joiner_x0=$(tank_x)
[ -n "$host_x0" ] && [ -n "$joiner_x0" ] || fail "the joiner's tank is not on both screens"
xdotool keydown Up
moved() { local x; x=$(tank_x); [ -n "$x" ] && [ "$x" -lt $((x0 - 3)) ]; }
x0=$joiner_x0
poll 15 moved joiner_moves || fail "the joiner's tank does not drive on the joiner's screen"
use HOST
x0=$host_x0
poll 15 moved host_moves || fail "the joiner's key does not drive its tank on the host"
use JOINER
xdotool keyup Up

close_window
wait_game_exit 5 || fail "the joiner still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the joiner ended with status $GAME_STATUS"
use HOST
left() { [ "$(count_lines "$E2E_WORK/host.err" "network: THE OTHER PLAYER LEFT")" = 1 ]; }
poll 10 left host_told || fail "the host was not told; stderr: $(tr '\n' '|' <"$E2E_WORK/host.err")"
poll 40 is_setup host_setup || fail "the host did not go on to the set-up screen (or ended with the joiner)"
close_window
wait_game_exit 5 || fail "the host still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the host ended with status $GAME_STATUS"
pass "two games host and join over loopback; the joiner drives on both screens; either may leave"
e2e_finish
