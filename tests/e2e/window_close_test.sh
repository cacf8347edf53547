#!/usr/bin/env bash
# The window closed in the middle of a match ends the game with status 0.
#   delete:  a window manager's close button (WM_DELETE_WINDOW)
#   destroy: the window destroyed by another client (xdotool windowclose)
. "$(dirname "$0")/lib.sh"
how=${1:?delete or destroy}
e2e_begin "window_$how"
start_xvfb 800x600
start_game "$VEXMOOR_SRC" "$E2E_WORK/game"
start_driving_match
case $how in
    delete) close_window ;;
    destroy) xdotool windowclose "$GAME_WINDOW" || fail "xdotool windowclose failed" ;;
esac
release_driving_keys
wait_game_exit 5 || fail "the game still runs 5 s after its window was closed ($how)"
[ "$GAME_STATUS" = 0 ] ||
    fail "closing the window ($how) ended the game with status $GAME_STATUS; stderr: $(tr '\n' '|' <"$E2E_WORK/game.err")"
expect_quiet_stderr "$E2E_WORK/game.err"
pass "the window closed mid-match ($how) ends the game with status 0"
e2e_finish
