#!/usr/bin/env bash
# A second game told to host on a port the first one holds: it says so on stderr and opens on
# the set-up screen with HOST on that port and the reason in the network row, where a player
# started from the desktop's menu reads it; closing its window ends it with status 0.
. "$(dirname "$0")/lib.sh"
e2e_begin port_in_use
port=$((47400 + 1001 + $$ % 500))

save_as() { eval "$1=(\"\$DISPLAY\" \"\$GAME_PID\" \"\$GAME_WINDOW\" \"\$GAME_X\" \"\$GAME_Y\")"; }
use() { local -n g=$1; export DISPLAY=${g[0]}; E2E_DISPLAY=${g[0]}; GAME_PID=${g[1]} GAME_WINDOW=${g[2]} GAME_X=${g[3]} GAME_Y=${g[4]}; GAME_STATUS=""; }

start_xvfb 800x600
GAME_ARGS=(--host "127.0.0.1:$port")
start_game "$VEXMOOR_SRC" "$E2E_WORK/first"
wait_window 20 || fail "no window of the first game; stderr: $(tr '\n' '|' <"$E2E_WORK/first.err")"
poll 10 is_arena first_waits || fail "the first game does not wait in the arena"
save_as FIRST

start_xvfb 800x600
start_game "$VEXMOOR_SRC" "$E2E_WORK/second"
wait_window 20 || fail "the second game opened no window; status ${GAME_STATUS:-running}; stderr: $(tr '\n' '|' <"$E2E_WORK/second.err")"
said="network: cannot listen on 127.0.0.1:$port (in use, or not this machine's)"
[ "$(count_lines "$E2E_WORK/second.err" "$said")" = 1 ] || fail "stderr does not say \"$said\": $(tr '\n' '|' <"$E2E_WORK/second.err")"
poll 20 is_setup second_setup || fail "the second game does not show the set-up screen"
# The network row: the role in "Background" under the table, the reason in "Tank2" below FIGHT.
s=$(scheme_of_arena "$(pixel 5 5)")
told() { [ "$(count_color "${SCHEME_TANK2[$s]}" 610x22+5+529)" -gt 100 ]; }
poll 5 told second_told || fail "the set-up screen does not show why the port could not be had"
pass "the port in use is said on stderr and on the set-up screen"

close_window
wait_game_exit 10 || fail "the second game still runs 10 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the second game ended with status $GAME_STATUS"
use FIRST
close_window
wait_game_exit 10 || fail "the first game still runs 10 s after its window was closed"
pass "both games end with status 0 when their windows close"
e2e_finish
