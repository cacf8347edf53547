#!/usr/bin/env bash
# A match recorded and watched. Two computer players play a match to its end (faster than
# normal, in the split screen and the flat view for a while); its replay file lies in
# $XDG_DATA_HOME/vexmoor/replays. REPLAYS on the title lists it; choosing it plays it, four
# times as fast, to its end with the points its file holds, and the list comes back. Then
# the command line: --replay of a damaged file is refused with one line and status 1,
# --replay of the recording plays it to the same end and goes on to the title.
. "$(dirname "$0")/lib.sh"
e2e_begin replay
two_computers_settings
export XDG_DATA_HOME="$E2E_WORK/data"
REPLAYS="$XDG_DATA_HOME/vexmoor/replays"

# The replay list: the title's clear color and a line of text in its "Background" where the
# title has none (the first recording's line, y 100).
is_replays()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] && [ "$(count_color "${SCHEME_BACKGROUND[$s]}" 700x14+50+100)" -gt 30 ]
}
end_line() { grep -F "replay: the end of" "$1" | head -1 | sed 's/.*: player/player/'; }
ended() { [ -n "$(end_line "$1")" ]; }

start_at_title

# --- The match, recorded ------------------------------------------------------------------
click_at 400 $ENTRY_START_Y
mouse_to 790 590
poll 10 is_arena arena || fail "START GAME did not open the arena"
for i in 1 2 3 4; do xdotool key plus; sleep 0.1; done
xdotool key F4
sleep 3
xdotool key F3
sleep 3
xdotool key F1
# Up to six minutes on a machine four times slower than ours (about 45 s here).
poll 360 is_results results || fail "no results after the match"
hold_until Escape 10 title_after_match is_title || fail "Escape on the results did not lead to the title"
files=("$REPLAYS"/*.vxr)
[ "${#files[@]}" = 1 ] && [ -f "${files[0]}" ] || fail "not one replay file in $REPLAYS: ${files[*]}"
file=${files[0]}
# The end block, the file's last 14 bytes: E, how it ended, the hits each tank took
# (player 1's first, two bytes each), the frame count and a checksum.
read -r tag ending a0 a1 b0 b1 _ <<<"$(od -An -tu1 -j $(($(stat -c %s "$file") - 14)) -N 14 "$file")"
[ "$tag" = 69 ] && [ "$ending" = 0 ] || fail "the recording did not end with the match's end (tag $tag, ending $ending)"
recorded="player 1 has $((b0 + 256 * b1)) points, player 2 has $((a0 + 256 * a1))"
pass "the match was recorded to $(basename "$file") ($(stat -c %s "$file") bytes): $recorded"

# --- REPLAYS, watched to its end ------------------------------------------------------------
click_at 400 $ENTRY_REPLAYS_Y
mouse_to 790 590
poll 10 is_replays replays || fail "REPLAYS did not show the list with the recording"
click_at 400 107
mouse_to 790 590
poll 10 is_arena replay || fail "choosing the recording did not play it"
xdotool key plus
sleep 0.2
xdotool key plus
poll 240 ended replay_end "$E2E_WORK/game.err" || fail "the replay did not reach its end"
[ "$(end_line "$E2E_WORK/game.err")" = "$recorded" ] ||
    fail "the replay ended \"$(end_line "$E2E_WORK/game.err")\", the match \"$recorded\""
pass "the replay ended as the match did: $recorded"
poll 60 is_replays replays_again || fail "the list did not come back after the replay"
pass "after the replay's finale the list is back"
hold_until Escape 10 title_again is_title || fail "Escape on the list did not lead to the title"
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the game ended with status $GAME_STATUS"
unexpected=$(grep -vxF "sound: no output device; sound runs silently" "$E2E_WORK/game.err" | grep -vF "replay: the end of" || true)
[ -z "$unexpected" ] || fail "unexpected lines on stderr: $unexpected"

# --- The command line ------------------------------------------------------------------------
head -c 4000 /dev/urandom >"$E2E_WORK/noise.vxr"
GAME_ARGS=(--replay "$E2E_WORK/noise.vxr")
start_game "$VEXMOOR_SRC" "$E2E_WORK/bad" env -u DISPLAY
wait_game_exit 10 || fail "--replay of a damaged file still runs after 10 s"
[ "$GAME_STATUS" = 1 ] || fail "--replay of a damaged file: status $GAME_STATUS, 1 expected"
grep -qF "the replay $E2E_WORK/noise.vxr is not a replay file; it cannot be played" "$E2E_WORK/bad.err" ||
    fail "--replay of a damaged file said: $(cat "$E2E_WORK/bad.err")"
[ "$(wc -l <"$E2E_WORK/bad.err")" = 1 ] || fail "more than one line for a damaged file: $(cat "$E2E_WORK/bad.err")"
pass "--replay of a damaged file: status 1, \"$(cat "$E2E_WORK/bad.err")\""

GAME_ARGS=(--replay "$file")
start_game "$VEXMOOR_SRC" "$E2E_WORK/cli"
wait_window 10 || fail "--replay: no game window"
poll 20 is_arena cli_replay || fail "--replay did not play the recording"
xdotool key plus
sleep 0.2
xdotool key plus
poll 240 ended cli_end "$E2E_WORK/cli.err" || fail "--replay did not reach the end"
[ "$(end_line "$E2E_WORK/cli.err")" = "$recorded" ] || fail "--replay ended \"$(end_line "$E2E_WORK/cli.err")\""
poll 60 is_title cli_title || fail "after --replay's finale no title"
pass "--replay plays the recording to the same end, then the title"
close_window
wait_game_exit 10 || fail "the game did not end when its window was closed"
ls "$REPLAYS"/*.vxr | grep -qvxF "$file" && fail "watching a replay recorded another"
e2e_finish
