#!/usr/bin/env bash
# Without a sound device the game plays silently: hover, a match with engine and shots, and
# the way back to QUIT GAME run as with sound. OpenAL Soft with no backend at all has no device
# (the game says so once); its null backend is a device that hears nothing (the game says nothing).
. "$(dirname "$0")/lib.sh"
e2e_begin no_sound_device
start_xvfb 800x600

moving() { read -r _ _ x _ <<<"$(bbox_color "${SCHEME_TANK2[$s]}" 800x550+0+50)"; [ -n "${x:-}" ] && [ "$x" -gt $((x0 + 3)) ]; }

play_silently()
{
    local drivers=$1 expected_err=$2 name="ALSOFT_DRIVERS=$1" err s x0
    start_game "$VEXMOOR_SRC" "$E2E_WORK/$drivers" ALSOFT_DRIVERS="$drivers"
    wait_window 10 || fail "$name: no game window"
    mouse_to 790 590
    poll 10 is_title "$drivers.title" || fail "$name: no title"
    hover_entry $ENTRY_QUIT_Y 20 "$drivers.hover_quit" || fail "$name: QUIT GAME does not light up"
    hover_entry $ENTRY_START_Y 20 "$drivers.hover_start" || fail "$name: START GAME does not light up"
    xdotool click 1
    poll 10 is_arena "$drivers.arena" || fail "$name: START GAME did not open the arena"
    s=$(scheme_of_background "$(pixel 5 5)")
    read -r _ _ x0 _ <<<"$(bbox_color "${SCHEME_TANK2[$s]}" 800x550+0+50)"
    # Fire and drive; the keys stay down until a frame has seen them.
    xdotool keydown Tab keydown Return keydown Up
    hold_until x 6 "$drivers.played" moving || fail "$name: the tank does not drive"
    xdotool keyup Up keyup Tab keyup Return
    hold_until Escape 5 "$drivers.title_again" is_title || fail "$name: Escape did not return to the title"
    hover_entry $ENTRY_QUIT_Y 20 "$drivers.hover_quit2" || fail "$name: QUIT GAME does not light up"
    xdotool click 1
    wait_game_exit 10 || fail "$name: QUIT GAME did not end the program"
    [ "$GAME_STATUS" = 0 ] || fail "$name: status $GAME_STATUS"
    err=$(cat "$E2E_WORK/$drivers.err")
    [ "$err" = "$expected_err" ] || fail "$name: stderr is \"$(echo "$err" | tr '\n' '|')\", expected \"$expected_err\""
    pass "$name: title, hover, a match with shots and engines, QUIT GAME with status 0; stderr \"$err\""
}

play_silently none "sound: no output device; sound runs silently"
play_silently null ""
e2e_finish
