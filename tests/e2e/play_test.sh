#!/usr/bin/env bash
# A whole session as a player has it: the title in the scheme's colors, hover, START GAME,
# both tanks, driving, firing, the split screen, the overhead view, Escape and QUIT GAME.
. "$(dirname "$0")/lib.sh"
e2e_begin play

start_xvfb 1024x768
start_game "$VEXMOOR_SRC" "$E2E_WORK/game"
wait_window 10 || fail "no game window within 10 s"
caption=$(xdotool getwindowname "$GAME_WINDOW")
[ "$caption" = "Vexmoor - 2008/03/24 Build" ] || fail "window caption is \"$caption\""
[ "$GAME_W" = 800 ] && [ "$GAME_H" = 600 ] || fail "window is ${GAME_W}x${GAME_H}, not 800x600"
pass "the window opens 800x600 with the caption \"$caption\""

# Keep the pointer off the entries until the hover check.
mouse_to 790 590
poll 10 is_title title || fail "no title screen within 10 s"
title_seen=$(date +%s%N)

# --- Title: F12 stops the automatic color cycling and steps to another scheme ---------------
first=$(scheme_of_arena "$(pixel 5 5)")
xdotool key F12
other_scheme() { [ "$(scheme_of_arena "$(pixel 5 5)")" != "$first" ] && is_title; }
poll 5 other_scheme title_f12 || fail "F12 on the title did not change the scheme $first"
s=$(scheme_of_arena "$(pixel 5 5)")
ARENA=${SCHEME_ARENA[$s]} TANK1=${SCHEME_TANK1[$s]} TANK2=${SCHEME_TANK2[$s]} BACK=${SCHEME_BACKGROUND[$s]}
log "title shows scheme $first, after F12 scheme $s"

# Entry regions at 800x600: START GAME y 200, MATCH SETUP y 265, REPLAYS y 330, OPTIONS y 395,
# CREDITS y 460, QUIT GAME y 525.
START_BOX=300x40+250+195 SETUP_BOX=300x40+250+260 REPLAYS_BOX=300x40+250+325 OPTIONS_BOX=300x40+250+390
CREDITS_BOX=300x40+250+455 QUIT_BOX=300x40+250+520
TITLE_BOX=400x60+200+40
title_at_rest()
{
    local box
    [ "$(pixel 5 5)" = "$ARENA" ] && [ "$(pixel 795 595)" = "$ARENA" ] || return 1
    for box in $TITLE_BOX $START_BOX $SETUP_BOX $REPLAYS_BOX $OPTIONS_BOX $CREDITS_BOX $QUIT_BOX; do
        [ "$(count_color "$BACK" "$box")" -gt 100 ] && [ "$(count_color "$TANK2" "$box")" = 0 ] || return 1
    done
}
poll 3 title_at_rest title_colors ||
    fail "title is not drawn in scheme $s: clear color \"Arena\" $ARENA, title and entries \"Background\" $BACK"
pass "title in the colors of scheme $s: clear $ARENA, \"Vexmoor\" and the six entries $BACK"

# --- Hover: the entry under the pointer takes "Tank2", the others stay "Background" ---------
hover_start()
{
    [ "$(count_color "$TANK2" "$START_BOX")" -gt 100 ] && [ "$(count_color "$BACK" "$START_BOX")" = 0 ] &&
        [ "$(count_color "$BACK" "$QUIT_BOX")" -gt 100 ] && [ "$(count_color "$BACK" "$CREDITS_BOX")" -gt 100 ]
}
mouse_to 400 $ENTRY_START_Y
poll 5 hover_start hover_start || fail "START GAME under the pointer is not drawn in \"Tank2\" $TANK2"
pass "START GAME under the pointer turns \"Tank2\" $TANK2, CREDITS and QUIT GAME stay $BACK"
mouse_to 790 590
poll 5 title_at_rest hover_left || fail "START GAME keeps the hover color after the pointer left it"
pass "START GAME takes \"Background\" again when the pointer leaves"

# --- START GAME: the arena with both tanks in their colors ----------------------------------
click_at 400 $ENTRY_START_Y
PLAY_BOX=800x550+0+50 # below the score line
SCORE2_BOX=150x50+175+0 SCORE1_BOX=150x50+575+0
arena_ready()
{
    [ "$(pixel 5 5)" = "$BACK" ] && [ "$(count_color "$ARENA")" -gt 5000 ] &&
        [ "$(count_color "$TANK2" $PLAY_BOX)" -gt 20 ] && [ "$(count_color "$TANK1" $PLAY_BOX)" -gt 20 ]
}
poll 10 arena_ready arena ||
    fail "no arena within 10 s of START GAME with clear \"Background\" $BACK, model \"Arena\" $ARENA and both tanks"
read -r w2 h2 x2 y2 <<<"$(bbox_color "$TANK2" $PLAY_BOX)"
read -r w1 h1 x1 y1 <<<"$(bbox_color "$TANK1" $PLAY_BOX)"
[ "$x2" -lt 400 ] || fail "the \"Tank2\" $TANK2 tank is not in the left half (x $x2)"
[ "$x1" -gt 400 ] || fail "the \"Tank1\" $TANK1 tank is not in the right half (x $x1)"
[ "$w2" -lt 100 ] && [ "$w1" -lt 100 ] || fail "a tank color spreads over more than a tank (${w2}, ${w1} px wide)"
log "tank2 at ${w2}x${h2}+${x2}+${y2}, tank1 at ${w1}x${h1}+${x1}+${y1}"
pass "arena after START GAME: clear $BACK, model $ARENA, boxy tank $TANK2 on the left, sleek tank $TANK1 on the right"
read -r _ score_h _ _ <<<"$(bbox_color "$TANK2" $SCORE2_BOX)"
[ -n "${score_h:-}" ] && [ "$(count_color "$TANK1" $SCORE1_BOX)" -gt 20 ] ||
    fail "the scores are not drawn at the top in $TANK2 (left) and $TANK1 (right)"
pass "the scores stand at the top: player 2's in $TANK2, player 1's in $TANK1 ($score_h px high)"

# --- F2: the whole arena seen straight from above --------------------------------------------
xdotool key F2
overhead()
{
    local w h x y
    read -r w h x y <<<"$(bbox_color "$ARENA")"
    # The outer wall stands inside the window on all four sides and spans nearly all of it.
    [ -n "${y:-}" ] && [ "$x" -gt 0 ] && [ "$y" -gt 0 ] && [ $((x + w)) -lt 800 ] && [ $((y + h)) -lt 600 ] &&
        [ "$w" -gt 700 ] && [ "$h" -gt 500 ] &&
        [ "$(count_color "$TANK1" $PLAY_BOX)" -gt 20 ] && [ "$(count_color "$TANK2" $PLAY_BOX)" -gt 20 ]
}
poll 5 overhead overhead || fail "F2 did not show the whole arena from above with both tanks"
read -r aw ah ax ay <<<"$(bbox_color "$ARENA")"
pass "F2 shows the whole arena from straight above (walls ${aw}x${ah}+${ax}+${ay}) with both tanks"

# --- Fire: a shell leaves the tank ----------------------------------------------------------
# Turn the sleek tank a quarter round first, towards the open lane above or below its start,
# so the shell flies free. Turning goes by time, so half a second of Left is about 90 degrees.
read -r tw0 th0 _ _ <<<"$(bbox_color "$TANK1" $PLAY_BOX)"
xdotool keydown Left
sleep 0.5
xdotool keyup Left
turned() { read -r tw th tx ty <<<"$(bbox_color "$TANK1" $PLAY_BOX)"; [ -n "${ty:-}" ] && [ "$tw$th" != "$tw0$th0" ]; }
poll 3 turned turned || fail "holding Left did not turn the sleek tank (${tw0}x${th0})"
sleep 0.2
read -r tw th tx ty <<<"$(bbox_color "$TANK1" $PLAY_BOX)"
shot before_fire
# A shell shows as a bright core: its tank's color taken six tenths of the way to white.
core_of() { echo "$1" | awk -F, '{ printf "%d,%d,%d", int(0.4*$1 + 153 + 0.5), int(0.4*$2 + 153 + 0.5), int(0.4*$3 + 153 + 0.5) }'; }
CORE1=$(core_of "$TANK1")
shell_out()
{
    read -r sw sh sx sy <<<"$(bbox_color "$CORE1" $PLAY_BOX)"
    [ -n "${sy:-}" ] && [ "$(count_color "$CORE1" $PLAY_BOX)" -gt 8 ]
}
# Held until the shell is seen: a press let go within one frame would leave no press behind.
hold_until Return 3 fire shell_out || fail "no shell in \"Tank1\" $TANK1 after Return (tank ${tw}x${th}+${tx}+${ty})"
pass "Return fires a shell with a core of $CORE1 for the tank's $TANK1 (tank ${tw}x${th}+${tx}+${ty}, core ${sw}x${sh}+${sx}+${sy})"

shell_gone() { ! shell_out; }
poll 3 shell_gone shell_gone || fail "the shell is still in flight after 3 s"

# --- Driving: a tank moves while its drive key is held --------------------------------------
read -r _ _ x2 _ <<<"$(bbox_color "$TANK2" $PLAY_BOX)"
moved_right() { read -r _ _ nx2 _ <<<"$(bbox_color "$TANK2" $PLAY_BOX)"; [ -n "${nx2:-}" ] && [ "$nx2" -gt $((x2 + 5)) ]; }
hold_until x 5 drive_x moved_right || fail "holding X did not move the boxy tank (x $x2 -> ${nx2:-gone})"
pass "holding X drives player 1's tank forward (x $x2 -> $nx2)"
# The sleek tank now faces along its lane, up or down.
read -r _ _ x1 y1 <<<"$(bbox_color "$TANK1" $PLAY_BOX)"
moved_along() { read -r _ _ nx1 ny1 <<<"$(bbox_color "$TANK1" $PLAY_BOX)"; [ -n "${ny1:-}" ] && [ $(((ny1 - y1) * (ny1 - y1))) -gt 25 ]; }
hold_until Up 5 drive_up moved_along || fail "holding Up did not move the sleek tank (y $y1 -> ${ny1:-gone})"
pass "holding Up drives player 2's tank forward along its lane (y $y1 -> $ny1)"

# --- F4: the split screen, the score drawn in both halves -----------------------------------
xdotool key F4
split()
{
    [ "$(count_color "$TANK2" $SCORE2_BOX)" -gt 10 ] && [ "$(count_color "$TANK1" $SCORE1_BOX)" -gt 10 ] &&
        [ "$(count_color "$TANK2" 150x50+175+300)" -gt 10 ] && [ "$(count_color "$TANK1" 150x50+575+300)" -gt 10 ] &&
        [ "$(count_color "$ARENA" 800x250+0+50)" -gt 500 ] && [ "$(count_color "$ARENA" 800x250+0+350)" -gt 500 ]
}
poll 5 split split || fail "F4 did not show two halves, each with the arena and both scores"
pass "F4 splits the screen: each half shows the arena and both scores"
# The engine draws 2D into the current viewport scaled to it; say so if the halves squash the score.
read -r _ upper_h _ _ <<<"$(bbox_color "$TANK2" $SCORE2_BOX)"
read -r _ lower_h _ _ <<<"$(bbox_color "$TANK2" 150x50+175+300)"
[ "$upper_h" = "$score_h" ] && [ "$lower_h" = "$score_h" ] ||
    log "note: the split screen draws the scores ${upper_h} and ${lower_h} px high, the full screen $score_h px"

# --- Escape: back to the title, still in the scheme F12 chose --------------------------------
# Past five seconds on the title clock, an automatic color change would be due on return.
while [ $(($(date +%s%N) - title_seen)) -lt 5600000000 ]; do sleep 0.1; done
mouse_to 790 590
hold_until Escape 5 title_again is_title || fail "Escape did not return to the title"
# Leaving the match puts the pointer in the middle, near MATCH SETUP: move it off again.
mouse_to 790 590
poll 3 title_at_rest title_again ||
    fail "title after Escape is not in scheme $s (clear $(pixel 5 5)): F12 should have stopped the cycling"
pass "Escape returns to the title, still in scheme $s: the automatic cycling stays off after F12"

# --- QUIT GAME ends the program with status 0 -----------------------------------------------
hover_quit() { [ "$(count_color "$TANK2" "$QUIT_BOX")" -gt 100 ]; }
mouse_to 400 $ENTRY_QUIT_Y
poll 5 hover_quit hover_quit || fail "QUIT GAME under the pointer is not drawn in \"Tank2\" $TANK2"
xdotool click 1
wait_game_exit 10 || fail "QUIT GAME did not end the program within 10 s"
[ "$GAME_STATUS" = 0 ] || fail "QUIT GAME ended the program with status $GAME_STATUS"
pass "QUIT GAME ends the program with status 0"

expect_quiet_stderr "$E2E_WORK/game.err"
pass "nothing on stderr but the silent-sound notice"
e2e_finish
