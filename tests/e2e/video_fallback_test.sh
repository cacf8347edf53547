#!/usr/bin/env bash
# No video setting stops the game: on an X server whose OpenGL refuses vsync and which has
# no full screen, MATCH DISPLAY chosen on the options screen and a settings file that holds
# `frame_rate = match_display` each leave a running game, say so in one line on stderr and
# never save the refused mode. The fallback window takes WINDOW SIZE, and a stop signal
# during the window's re-creation still saves the visit's change.
. "$(dirname "$0")/lib.sh"
e2e_begin video_fallback

start_xvfb 1280x1024
SETTINGS="$E2E_WORK/config/vexmoor/settings.ini"

. "$(dirname "$0")/options_lib.sh"

# A game from the checkout, on the title screen, then on the options screen.
open_options()
{
    LOGS="$E2E_WORK/$1"
    DEVICES=1
    start_game "$VEXMOOR_SRC" "$LOGS" stdbuf -oL
    wait_window 10 || fail "$1: no game window within 10 s: $(cat "$LOGS.err")"
    mouse_to 790 590
    poll 10 is_title "$1_title" || fail "$1: no title screen within 10 s"
    DEVICES=$(count_lines "$LOGS.out" "Irrlicht Engine version")
    click_at 400 $ENTRY_OPTIONS_Y
    poll 5 is_options "$1_options" || fail "$1: OPTIONS did not open the options screen"
}
leave_and_end()
{
    click_scaled 400 490
    poll 5 is_title "$1_back" || fail "$1: BACK did not return to the title"
    close_window
    wait_game_exit 10 || fail "$1: the game did not end when its window was closed"
}

# 1. A fresh start asks for full screen and gets a window: the window takes WINDOW SIZE.
open_options fresh
poll 5 notice_shown fullscreen_notice || expect_fail "no notice under BACK that full screen was not to be had"
mouse_to 5 5
click_scaled 400 229
window_of 1024 768 || fail "WINDOW SIZE in the fallback window gave no 1024x768 window (${GAME_W}x${GAME_H})"
pass "WINDOW SIZE works in the window the game fell back to"

# 2. FRAME RATE's first step, MATCH DISPLAY: refused, back in the 1024x768 window, told so.
mouse_to 5 5
click_scaled 650 229
window_of 1024 768 || fail "after MATCH DISPLAY no running game in its 1024x768 window (status ${GAME_STATUS:-running}): $(cat "$LOGS.err")"
grep -q "MATCH DISPLAY (vsync) is not available here" "$LOGS.err" ||
    expect_fail "no line on stderr names the refused MATCH DISPLAY: $(cat "$LOGS.err")"
poll 5 notice_shown match_display_notice || expect_fail "no notice under BACK that MATCH DISPLAY was refused"
leave_and_end fresh
grep -q "frame_rate = match_display" "$SETTINGS" && fail "the refused MATCH DISPLAY was saved: $(cat "$SETTINGS")"
grep -qx "window_size = 1024x768" "$SETTINGS" || fail "the settings lost the window size: $(cat "$SETTINGS")"
pass "MATCH DISPLAY from the options screen leaves a running game and is not saved"

# 3. A settings file that holds match_display: the game starts in the safe mode.
sed -i 's/^frame_rate = .*/frame_rate = match_display/' "$SETTINGS"
grep -qx "frame_rate = match_display" "$SETTINGS" || fail "could not write match_display into $(cat "$SETTINGS")"
open_options saved_match_display
[ "$GAME_W" = 800 ] && [ "$GAME_H" = 600 ] || expect_fail "the safe mode is not an 800x600 window (${GAME_W}x${GAME_H})"
grep -q "MATCH DISPLAY (vsync) is not available here" "$LOGS.err" || expect_fail "no line on stderr says the saved mode was refused"
poll 5 notice_shown saved_notice || expect_fail "no notice under BACK that the saved mode was refused"
leave_and_end saved_match_display
grep -q "frame_rate = match_display" "$SETTINGS" && fail "the refused MATCH DISPLAY is still saved: $(cat "$SETTINGS")"
pass "a saved MATCH DISPLAY starts the game in the safe mode"

# 4. A stop signal right after WINDOW SIZE is clicked, while the window is made anew: the
# game ends with SIGTERM's status and the new size is saved. A few tries, the signal at
# slightly different moments of the switch.
for try in 1 2 3 4; do
    sed -i 's/^window_size = .*/window_size = 800x600/' "$SETTINGS"
    open_options "signal_$try"
    before=$(count_lines "$LOGS.out" "Irrlicht Engine version")
    mouse_to 5 5
    click_scaled 400 229
    for _ in $(seq $((try * 2))); do
        [ "$(count_lines "$LOGS.out" "Irrlicht Engine version")" -gt "$before" ] && break
        sleep 0.01
    done
    kill -TERM "$GAME_PID"
    wait_game_exit 20 || fail "try $try: the game still runs 20 s after SIGTERM"
    [ "$GAME_STATUS" = 143 ] || fail "try $try: exit status $GAME_STATUS after SIGTERM: $(cat "$LOGS.err")"
    grep -qx "window_size = 1024x768" "$SETTINGS" ||
        fail "try $try: the visit's WINDOW SIZE was not saved ($(grep window_size "$SETTINGS")): $(cat "$LOGS.err")"
done
pass "a stop signal during the window's re-creation ends the game and keeps the visit's change"
e2e_finish
