#!/usr/bin/env bash
# The game without a mouse: the keys light a title entry, Return starts the match, Escape
# comes back, Down walks to QUIT GAME and Return ends the program. The pointer is never used.
. "$(dirname "$0")/lib.sh"
e2e_begin keys_only

start_xvfb 1024x768
start_game "$VEXMOOR_SRC" "$E2E_WORK/game"
wait_window 10 || fail "no game window within 10 s"
# Out of the way before the title shows; it stays there for the rest of the run.
mouse_to 790 590
poll 10 is_title title || fail "no title screen within 10 s"

# F12 holds the scheme still, so the colors below stay the ones to look for.
first=$(scheme_of_arena "$(pixel 5 5)")
xdotool key F12
other_scheme() { [ "$(scheme_of_arena "$(pixel 5 5)")" != "$first" ] && is_title; }
poll 5 other_scheme title_f12 || fail "F12 on the title did not change the scheme $first"
s=$(scheme_of_arena "$(pixel 5 5)")
TANK2=${SCHEME_TANK2[$s]} BACK=${SCHEME_BACKGROUND[$s]}

START_BOX=300x40+250+195 ENTRIES_BOX=300x400+250+190
lit() { [ "$(count_color "$TANK2" "$1")" -gt 100 ] && [ "$(count_color "$BACK" "$1")" = 0 ]; }
at_rest() { [ "$(count_color "$BACK" "$1")" -gt 100 ] && [ "$(count_color "$TANK2" "$1")" = 0 ]; }
poll 3 at_rest title_at_rest "$START_BOX" || fail "START GAME is lit before any key"

xdotool key Down
poll 5 lit down_start "$START_BOX" || fail "Down did not light START GAME in \"Tank2\" $TANK2"
pass "Down lights the first entry, START GAME, in \"Tank2\" $TANK2"

xdotool key Return
poll 10 is_arena arena || fail "Return on START GAME did not start the match"
pass "Return on the lit START GAME starts the match"

hold_until Escape 5 title_again is_title || fail "Escape did not return to the title"
pass "Escape returns to the title"

# Leaving the match puts the pointer in the middle of the window, where it may light an
# entry; the keys go on from there. Down walks the entries until QUIT GAME, the last one.
# QUIT GAME is the last entry, however many stand above it: the one lit lies below all the others.
quit_lit()
{
    local lw lh lx ly bw bh bx by
    read -r lw lh lx ly <<<"$(bbox_color "$TANK2" "$ENTRIES_BOX")"
    read -r bw bh bx by <<<"$(bbox_color "$BACK" "$ENTRIES_BOX")"
    [ -n "${ly:-}" ] && [ -n "${by:-}" ] && [ "$lh" -lt 40 ] && [ "$ly" -gt $((by + bh)) ]
}
for step in 1 2 3 4 5 6; do
    xdotool key Down
    poll 2 quit_lit "down_$step" && break
done
quit_lit || fail "Down did not reach QUIT GAME within 6 presses"
pass "Down walks the entries to QUIT GAME ($step presses)"

xdotool key Return
wait_game_exit 10 || fail "Return on QUIT GAME did not end the program within 10 s"
[ "$GAME_STATUS" = 0 ] || fail "QUIT GAME ended the program with status $GAME_STATUS"
pass "Return on QUIT GAME ends the program with status 0"

expect_quiet_stderr "$E2E_WORK/game.err"
pass "nothing on stderr but the silent-sound notice"
e2e_finish
