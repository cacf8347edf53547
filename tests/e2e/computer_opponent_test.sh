#!/usr/bin/env bash
# Playing alone: COMPUTER NORMAL chosen for player 2 on the set-up screen, FIGHT, and player
# 2's tank drives and fires with nobody at the keys.
. "$(dirname "$0")/lib.sh"
e2e_begin computer_opponent
start_at_title
click_at 400 $ENTRY_SETUP_Y
poll 40 is_setup setup || fail "MATCH SETUP did not open the set-up screen"
# Player 2's STATUS cell (row 2, right of the W/L column): HUMAN -> COMPUTER EASY -> NORMAL.
click_at 550 97
sleep 0.3
click_at 550 97
sleep 0.3
shot setup_normal
click_at 312 514
poll 10 is_arena arena || fail "FIGHT did not open the arena"
pass "MATCH SETUP, COMPUTER NORMAL for player 2, FIGHT: the arena opens"

s=$(scheme_of_background "$(pixel 5 5)")
TANK1=${SCHEME_TANK1[$s]}
PLAY_BOX=800x550+0+50
read -r _ _ x0 y0 <<<"$(bbox_color "$TANK1" $PLAY_BOX)"
[ -n "${y0:-}" ] || fail "player 2's tank is not to be seen"
moved() { read -r _ _ x y <<<"$(bbox_color "$TANK1" $PLAY_BOX)"; [ -n "${y:-}" ] && [ $(((x - x0) * (x - x0) + (y - y0) * (y - y0))) -gt 100 ]; }
poll 15 moved drives || fail "player 2's tank did not drive on its own (at $x0,$y0)"
pass "player 2's tank drives on its own ($x0,$y0 -> $x,$y)"
core_of() { echo "$1" | awk -F, '{ printf "%d,%d,%d", int(0.4*$1 + 153 + 0.5), int(0.4*$2 + 153 + 0.5), int(0.4*$3 + 153 + 0.5) }'; }
CORE1=$(core_of "$TANK1")
fired() { [ "$(count_color "$CORE1" $PLAY_BOX)" -gt 8 ]; }
poll 30 fired fires || fail "player 2's tank fired no shell within 30 s"
pass "player 2's tank fires on its own"

grep -q "computer_normal" "$E2E_WORK/config/vexmoor/settings.ini" ||
    fail "the set-up was not kept in the settings file"
pass "the set-up is kept in the settings file"
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"
e2e_finish
