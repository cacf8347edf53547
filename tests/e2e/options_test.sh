#!/usr/bin/env bash
# The options screen as a player uses it: FULLSCREEN shows the window the game fell back
# to (Xvfb has no full screen) and ticking it leaves a window, choose a bigger window,
# tick FULLSCREEN again where full screen cannot be had and be told so, rebind
# player 1's forward key to W and drive with it; a second start keeps all of it.
. "$(dirname "$0")/lib.sh"
e2e_begin options

start_xvfb 1280x1024
SETTINGS="$E2E_WORK/config/vexmoor/settings.ini"

LOGS="$E2E_WORK/game1"
. "$(dirname "$0")/options_lib.sh"

# Line-buffered, so that the engine's line for each device is read as it comes.
start_game "$VEXMOOR_SRC" "$E2E_WORK/game1" stdbuf -oL
wait_window 10 || fail "no game window within 10 s"
mouse_to 790 590
poll 10 is_title title || fail "no title screen within 10 s"
click_at 400 $ENTRY_OPTIONS_Y
poll 5 is_options options || fail "OPTIONS on the title did not open the options screen"
pass "OPTIONS opens the options screen"

# FULLSCREEN shows the mode in effect, a window: a click ticks it, full screen is refused
# and the device is made again in the 800x600 window.
click_scaled 15 230
window_of 800 600 || fail "no 800x600 window after clicking FULLSCREEN (${GAME_W}x${GAME_H})"
pass "clicking FULLSCREEN in the fallback window leaves an 800x600 window"
mouse_to 5 5
click_scaled 400 229
window_of 1024 768 || fail "WINDOW SIZE did not give a 1024x768 window (${GAME_W}x${GAME_H})"
shot options_1024
pass "WINDOW SIZE gives a 1024x768 window"

# This X server cannot go full screen: the game stays in its window and says so.
mouse_to 5 5
click_scaled 15 230
window_of 1024 768 || fail "ticking FULLSCREEN where it cannot be had left no 1024x768 window"
poll 5 notice_shown fullscreen_refused || fail "no notice that full screen is not available"
pass "full screen not to be had: back in the 1024x768 window, with a notice"

# Player 1's forward key: click it, press W.
click_scaled 525 329
sleep 0.3
xdotool key w
sleep 0.3
[ -e "$SETTINGS" ] && fail "settings were written while the options screen showed"
click_scaled 400 490
poll 5 is_title title_again || fail "BACK did not return to the title"
grep -qx "forward = W" "$SETTINGS" || fail "the settings file does not bind W: $(cat "$SETTINGS" 2>&1)"
grep -qx "fullscreen = false" "$SETTINGS" || fail "the settings file keeps full screen on"
pass "leaving the options screen writes the settings: W to drive, a 1024x768 window"

# START GAME: W drives player 1's tank, X (the old key) no longer does.
drive_with_w()
{
    click_scaled 400 210
    poll 10 is_arena arena_$1 || fail "START GAME did not start the match"
    local s
    s=$(scheme_of_background "$(pixel 5 5)")
    TANK2=${SCHEME_TANK2[$s]}
    PLAY_BOX="$GAME_W"x"$((GAME_H - $(sy 50)))+0+$(sy 50)"
    sleep 0.5
    read -r _ _ x2 _ <<<"$(bbox_color "$TANK2" "$PLAY_BOX")"
    [ -n "${x2:-}" ] || fail "no tank in \"Tank2\" $TANK2"
    moved() { read -r _ _ nx2 _ <<<"$(bbox_color "$TANK2" "$PLAY_BOX")"; [ -n "${nx2:-}" ] && [ "$nx2" -gt $((x2 + 5)) ]; }
    hold_until x 2 x_$1 moved && fail "X still drives player 1's tank"
    hold_until w 5 w_$1 moved || fail "holding W did not move player 1's tank (x $x2 -> ${nx2:-gone})"
    pass "W drives player 1's tank, X does not ($1 start)"
    hold_until Escape 5 title_$1 is_title || fail "Escape did not return to the title"
}
drive_with_w first
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"

# A second start: the same window, the same keys.
start_game "$VEXMOOR_SRC" "$E2E_WORK/game2"
wait_window 10 || fail "no game window on the second start"
[ "$GAME_W" = 1024 ] && [ "$GAME_H" = 768 ] || fail "the second start opened ${GAME_W}x${GAME_H}, not 1024x768"
mouse_to 5 5
poll 10 is_title title2 || fail "no title screen on the second start"
pass "the second start opens the 1024x768 window"
drive_with_w second
close_window
wait_game_exit 10 || fail "the game did not end on the second start"
e2e_finish
