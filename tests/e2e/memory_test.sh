#!/usr/bin/env bash
# Entering and leaving the arena again and again, and a long stay in it, leave the resident
# memory of the game where it was: fifty START GAME / Escape rounds, then a soak of driving,
# turning and firing. RSS is read from /proc/PID/status of the real binary.
. "$(dirname "$0")/lib.sh"
e2e_begin memory
ROUNDS=${E2E_ROUNDS:-50}
SOAK_SECONDS=${E2E_SOAK_SECONDS:-20}
# Growth allowed past the warm-up; an arena left behind each round would cost far more.
ROUNDS_LIMIT_KB=${E2E_ROUNDS_LIMIT_KB:-4096}
SOAK_LIMIT_KB=${E2E_SOAK_LIMIT_KB:-2048}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status"; }

start_xvfb 800x600
# In a sanitizer build freed memory waits in a quarantine of up to 256 MB, which would pass for
# growth; without it RSS means the same as in an ordinary build.
start_game "$VEXMOOR_SRC" "$E2E_WORK/game" ASAN_OPTIONS="detect_leaks=0:quarantine_size_mb=0"
wait_window 10 || fail "no game window"
mouse_to 790 590
poll 10 is_title title || fail "no title"

hovered_start()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] && [ "$(count_color "${SCHEME_TANK2[$s]}" 300x40+250+195)" -gt 100 ]
}

# One round: START GAME from the title, a moment of play, Escape back to the title.
round()
{
    mouse_to 400 $ENTRY_START_Y
    poll 5 hovered_start round_hover || fail "round $1: START GAME does not light up under the pointer"
    xdotool click 1
    poll 10 is_arena round_arena || fail "round $1: START GAME did not open the arena"
    mouse_to 790 590
    hold_until Escape 5 round_title is_title || fail "round $1: Escape did not return to the title"
}

declare -a rss
rss[0]=$(rss_kb)
for i in $(seq "$ROUNDS"); do
    round "$i"
    rss[$i]=$(rss_kb)
done
warm=5
growth=$((rss[ROUNDS] - rss[warm]))
log "RSS in kB: start ${rss[0]}, after round 1 ${rss[1]}, round $warm ${rss[warm]}, round 25 ${rss[25]:-?}, round $ROUNDS ${rss[ROUNDS]}"
[ "$growth" -le "$ROUNDS_LIMIT_KB" ] ||
    fail "RSS grew by $growth kB from round $warm to round $ROUNDS (limit $ROUNDS_LIMIT_KB kB)"
pass "$ROUNDS START GAME / Escape rounds: RSS ${rss[warm]} kB after round $warm, ${rss[ROUNDS]} kB after round $ROUNDS ($growth kB)"

# Soak: both tanks drive in circles and fire for a while.
mouse_to 400 $ENTRY_START_Y
poll 5 hovered_start soak_hover || fail "soak: START GAME does not light up"
xdotool click 1
poll 10 is_arena soak_arena || fail "soak: START GAME did not open the arena"
xdotool keydown x Up
sleep 3
soak_start=$(rss_kb)
end=$(($(date +%s) + SOAK_SECONDS))
while [ "$(date +%s)" -lt "$end" ]; do
    game_running || fail "the game ended during the soak (status $GAME_STATUS)"
    xdotool keydown z Right Tab Return
    sleep 0.4
    xdotool keyup z Right Tab Return
    sleep 0.6
done
xdotool keyup x Up
soak_end=$(rss_kb)
shot soak
soak_growth=$((soak_end - soak_start))
log "soak of $SOAK_SECONDS s: RSS $soak_start kB -> $soak_end kB"
[ "$soak_growth" -le "$SOAK_LIMIT_KB" ] || fail "RSS grew by $soak_growth kB during the soak (limit $SOAK_LIMIT_KB kB)"
pass "a soak of $SOAK_SECONDS s driving and firing: RSS $soak_start kB -> $soak_end kB ($soak_growth kB)"

close_window
wait_game_exit 5 || fail "the game did not end after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "status $GAME_STATUS after closing the window"
e2e_finish
