#!/usr/bin/env bash
# A network match to one point between two games on two X servers of one machine (the host's
# computer plays player 1 and hunts the joiner's idle tank), then the results on both sides
# and REMATCH chosen on both: a second match begins on both screens. The joiner's window
# closes during it, the host is told and goes on to its set-up screen; both end with status 0.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/network_lib.sh"
e2e_begin network_rematch
port=$((47400 + 1001 + $$ % 500))
LIMIT_S=${NETWORK_REMATCH_LIMIT_S:-120}

write_host_settings 1

start_host_and_joiner

overs() { count_lines "$E2E_WORK/$1.err" "network: the match is over"; }
decided() { [ "$(overs joiner)" = 1 ] && [ "$(overs host)" = 1 ]; }
poll "$LIMIT_S" decided decided || fail "no end of the match within $LIMIT_S s; host: $(tr '\n' '|' <"$E2E_WORK/host.err")"
pass "the host's computer decided the match"

use HOST
poll 30 is_results host_results || fail "the host shows no results"
use JOINER
poll 30 is_results joiner_results || fail "the joiner shows no results"
pass "both games show the results"

# REMATCH is the lit first entry on both: the joiner chooses it first and waits, then the host.
xdotool key Return
asked() { grep -q "network: player 2 chose a rematch" "$E2E_WORK/host.err"; }
use HOST
poll 10 asked host_asked || fail "the host was not told of the joiner's choice"
is_results || fail "the host left its results before it chose"
use JOINER
is_results || fail "the joiner left its results before the host chose"
use HOST
xdotool key Return
poll 20 is_arena host_rematch || fail "the host did not start the rematch"
use JOINER
poll 20 is_arena joiner_rematch || fail "the joiner did not follow into the rematch"
rejoined() { [ "$(count_lines "$E2E_WORK/joiner.err" "network: joined")" = 1 ]; }
rejoined || fail "the rematch is not over the same connection"
pass "both chose REMATCH and the second match plays on both"

close_window
wait_game_exit 5 || fail "the joiner still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the joiner ended with status $GAME_STATUS"
use HOST
told() { grep -q "network: THE OTHER PLAYER LEFT" "$E2E_WORK/host.err"; }
poll 10 told host_told || fail "the host was not told the joiner left"
poll 10 is_setup host_setup || fail "the host did not go on to its set-up screen"
close_window
wait_game_exit 5 || fail "the host still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the host ended with status $GAME_STATUS"
e2e_finish
