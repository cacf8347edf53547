#!/usr/bin/env bash
# Four tanks from the set-up screen by the keys alone: players 1 and 2 are computers (the
# settings file), Down walks the player table to player 3's and then player 4's STATUS,
# Left steps each from OFF to COMPUTER HARD, and FIGHT (Up from the first entry wraps to
# EXIT, once more to FIGHT) starts the match. The four computers play it to its end and the
# results show; each of the four players has a result in the settings.
. "$(dirname "$0")/lib.sh"
e2e_begin four_tanks
two_computers_settings
start_at_title
click_at 400 $ENTRY_SETUP_Y
poll 40 is_setup setup || fail "MATCH SETUP did not open the set-up screen"
mouse_to 790 590

tap() { xdotool key "$1"; sleep 0.2; }
# Player 1's TANK, STATUS, player 2's TANK, STATUS, player 3's TANK, STATUS.
for _ in 1 2 3 4 5 6; do tap Down; done
tap Left
tap Down
tap Down
tap Left
shot setup_four
# Back up to the first entry (player 1's TANK); twice more wraps to EXIT, then FIGHT.
for _ in 1 2 3 4 5 6 7; do tap Up; done
tap Up
tap Up
tap Return
poll 20 is_arena arena || fail "FIGHT by the keys did not open the arena"
pass "players 3 and 4 set to COMPUTER HARD by the keys; FIGHT opens the arena"
poll 600 is_results results || fail "no results screen after the four-tank match"
pass "the four computers played the match to its end and the results show"

settings="$E2E_WORK/config/vexmoor/settings.ini"
for player in player3 player4; do
    grep -A2 "^\[$player\]" "$settings" | grep -q "status = computer_hard" ||
        fail "$player's COMPUTER HARD was not kept in the settings"
done
total=$(awk -F' = ' '/^(wins|losses) = / { n += $2 } END { print n }' "$settings")
[ "$total" = 4 ] || fail "a match of four should leave one result for each player, not $total"
pass "each of the four players has the match's result in the settings"
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"
expect_quiet_stderr "$E2E_WORK/game.err"
e2e_finish
