#!/usr/bin/env bash
# A match played to its end by two computer players (score to 5): after the finale the
# results screen shows; Return is a rematch of the same set-up, played to its end again;
# then Escape on the results leads to the title.
. "$(dirname "$0")/lib.sh"
e2e_begin results
two_computers_settings
start_at_title

# A match, played by the computers, decided and its finale over: up to six minutes on a
# machine four times slower than ours (a match here lasts about a minute).
play_to_results()
{
    poll 10 is_arena "arena_$1" || fail "$1: the arena did not open"
    poll 360 is_results "results_$1" || fail "$1: no results screen after the match"
    pass "$1: the match was played to its end and the results show"
}

click_at 400 $ENTRY_START_Y
play_to_results match1
xdotool key Return
play_to_results rematch
grep -q "wins = " "$E2E_WORK/config/vexmoor/settings.ini" || fail "no result kept in the settings"
total=$(awk -F' = ' '/^(wins|losses) = / { n += $2 } END { print n }' "$E2E_WORK/config/vexmoor/settings.ini")
[ "$total" = 4 ] || fail "two matches should leave 2 wins and 2 losses in the settings, not $total"
pass "REMATCH played the same set-up again: two results recorded"

hold_until Escape 10 title is_title || fail "Escape on the results did not lead to the title"
pass "Escape on the results leads to the title"
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"
expect_quiet_stderr "$E2E_WORK/game.err"
e2e_finish
