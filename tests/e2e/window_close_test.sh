#!/usr/bin/env bash
# The window closed in the middle of a match ends the game with status 0.
#   delete:  a window manager's close button (WM_DELETE_WINDOW)
#   destroy: the window destroyed by another client (xdotool windowclose)
. "$(dirname "$0")/lib.sh"
how=${1:?delete or destroy}
e2e_begin "window_$how"
start_xvfb 800x600
start_game "$VEXMOOR_SRC" "$E2E_WORK/game"
wait_window 10 || fail "no game window"
mouse_to 790 590
poll 10 is_title title || fail "no title"
click_at 400 $ENTRY_START_Y
poll 10 is_arena arena || fail "START GAME did not open the arena"

# Mid-match: both tanks driving, a shell in flight.
s=$(scheme_of_background "$(pixel 5 5)")
read -r _ _ x0 _ <<<"$(bbox_color "${SCHEME_TANK2[$s]}" 800x550+0+50)"
moving() { read -r _ _ x _ <<<"$(bbox_color "${SCHEME_TANK2[$s]}" 800x550+0+50)"; [ -n "${x:-}" ] && [ "$x" -gt $((x0 + 3)) ]; }
xdotool keydown x keydown Up keydown Tab
poll 6 moving mid_match || fail "the tanks do not drive"
case $how in
    delete) close_window ;;
    destroy) xdotool windowclose "$GAME_WINDOW" || fail "xdotool windowclose failed" ;;
esac
xdotool keyup x keyup Up keyup Tab
wait_game_exit 5 || fail "the game still runs 5 s after its window was closed ($how)"
[ "$GAME_STATUS" = 0 ] ||
    fail "closing the window ($how) ended the game with status $GAME_STATUS; stderr: $(tr '\n' '|' <"$E2E_WORK/game.err")"
unexpected=$(grep -vxF "sound: no output device; sound runs silently" "$E2E_WORK/game.err" || true)
[ -z "$unexpected" ] || fail "unexpected lines on stderr: $unexpected"
pass "the window closed mid-match ($how) ends the game with status 0"
e2e_finish
