#!/usr/bin/env bash
# Where the game finds media/ and fonts/ when it is started from a folder without them:
#   elsewhere  the built program from an empty folder: the checkout of its build folder
#   installed  the installed program itself (not its launcher) from an empty folder: the
#              installed data folder
#   nodata     a copy of the program where nothing holds the data: one line naming the
#              folders looked in, status 255, no window
# In the first two the title must show in the game's own fonts (nothing on stderr) and
# the window close end the game with status 0.
#   data_folder_test.sh elsewhere|installed|nodata [CMAKE BUILD_DIR]
. "$(dirname "$0")/lib.sh"
how=${1:?elsewhere, installed or nodata}
e2e_begin "data_folder_$how"
mkdir "$E2E_WORK/empty"
program=$VEXMOOR_BIN
data=$VEXMOOR_SRC
case $how in
    installed)
        "${2:?cmake}" --install "${3:?build folder}" --prefix "$E2E_WORK/prefix" >/dev/null || fail "install failed"
        program=$E2E_WORK/prefix/lib/games/vexmoor/vexmoor
        data=$E2E_WORK/prefix/share/games/vexmoor ;;
    nodata)
        mkdir -p "$E2E_WORK/bare/bin"
        cp "$VEXMOOR_BIN" "$E2E_WORK/bare/bin/vexmoor"
        program=$E2E_WORK/bare/bin/vexmoor ;;
esac
start_xvfb 800x600
VEXMOOR_BIN=$program
start_game "$E2E_WORK/empty" "$E2E_WORK/game"

if [ "$how" = nodata ]; then
    # It must end without ever opening a window.
    for _ in $(seq 100); do
        [ -n "$(xdotool search --name '^Vexmoor' 2>/dev/null)" ] && fail "a window opened"
        game_running || break
        sleep 0.05
    done
    wait_game_exit 5 || fail "the game did not end"
    [ "$GAME_STATUS" = 255 ] || fail "status $GAME_STATUS, not 255"
    err=$(cat "$E2E_WORK/game.err")
    [ "$(wc -l <"$E2E_WORK/game.err")" = 1 ] || fail "not one line on stderr: $err"
    for folder in "$E2E_WORK/empty" "$E2E_WORK/bare"; do
        [[ $err == *"$(readlink -f "$folder")"* ]] || fail "the line does not name $folder: $err"
    done
    [[ $err == *"vexmoor command"* ]] || fail "the line does not say how to start the game: $err"
    pass "without data anywhere: one line, status 255, no window ($err)"
    e2e_finish
fi

wait_window 10 || fail "no game window; stderr: $(tr '\n' '|' <"$E2E_WORK/game.err")"
mouse_to 790 590
poll 10 is_title title || fail "no title"
[ "$(readlink -f "/proc/$GAME_PID/cwd")" = "$(readlink -f "$data")" ] ||
    fail "the game runs in $(readlink -f "/proc/$GAME_PID/cwd"), not in $data"
close_window
wait_game_exit 5 || fail "the game still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "status $GAME_STATUS"
unexpected=$(grep -vxF "sound: no output device; sound runs silently" "$E2E_WORK/game.err" || true)
[ -z "$unexpected" ] || fail "unexpected lines on stderr (fonts or sounds not found?): $unexpected"
pass "started $how from an empty folder, the game ran in $data with all its data"
e2e_finish
