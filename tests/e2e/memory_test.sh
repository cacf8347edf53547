#!/usr/bin/env bash
# Entering and leaving the arena again and again, and a long stay in it, leave what the game
# holds where it was: fifty START GAME / Escape rounds, then a soak of driving, turning and firing.
#
# What is judged is the C heap in use (mallinfo2's allocated bytes, small and mmapped, over all
# arenas), read inside the real binary by the preloaded heapprobe: an arena, a sound source or a
# texture left behind each round is held there. The resident size (VmRSS) is printed beside it
# but not judged: on a loaded machine glibc spreads the game's threads over more malloc arenas
# and leaves freed pages of them resident, so RSS grows by megabytes with nothing held.
. "$(dirname "$0")/lib.sh"
e2e_begin memory
: "${HEAPPROBE:?}"
ROUNDS=${E2E_ROUNDS:-50}
SOAK_CYCLES=${E2E_SOAK_CYCLES:-20}
# Growth of the heap in use allowed past the warm-up; an arena left behind each round holds far more.
ROUNDS_LIMIT_KB=${E2E_ROUNDS_LIMIT_KB:-1024}
SOAK_LIMIT_KB=${E2E_SOAK_LIMIT_KB:-1024}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status"; }

# Asks the heapprobe for a reading labelled $1; prints "in_use_kB free_kB mmapped_kB arenas".
heap()
{
    local i line
    # The write blocks until the game's probe thread opens the FIFO: bounded, as the game may be gone.
    timeout 30 sh -c 'echo "$1" >"$2"' _ "$1" "$E2E_WORK/heap.fifo" || fail "no heap reading $1 (the probe did not answer)"
    for i in $(seq 600); do
        line=$(grep "^$1 " "$E2E_WORK/heap.out" 2>/dev/null) && break
        sleep 0.05
    done
    [ -n "${line:-}" ] || fail "no heap reading $1"
    read -r _ a b c d <<<"$line"
    echo "$((a / 1024)) $((b / 1024)) $((c / 1024)) $d"
}

# One reading: heap and RSS, kept in $E2E_WORK/memory.log for the record.
declare -A used
reading()
{
    local h
    h=$(heap "$1")
    used[$1]=${h%% *}
    echo "$1 heap_in_use_kB,free_kB,mmapped_kB,arenas $h rss_kB $(rss_kb)" >>"$E2E_WORK/memory.log"
}

start_xvfb 800x600
mkfifo "$E2E_WORK/heap.fifo"
# In a sanitizer build freed memory waits in a quarantine of up to 256 MB, which would pass for
# growth; the sanitizer's allocator also takes over from glibc's, so the probe reads nothing then.
start_game "$VEXMOOR_SRC" "$E2E_WORK/game" ASAN_OPTIONS="detect_leaks=0:quarantine_size_mb=0" \
    LD_PRELOAD="$HEAPPROBE" HEAPPROBE_FIFO="$E2E_WORK/heap.fifo" HEAPPROBE_OUT="$E2E_WORK/heap.out"
wait_window 40 || fail "no game window"
mouse_to 790 590
poll 40 is_title title || fail "no title"

# One round: START GAME from the title, a frame of the arena, Escape back to the title.
round()
{
    hover_entry $ENTRY_START_Y 20 round_hover || fail "round $1: START GAME does not light up under the pointer"
    xdotool click 1
    poll 40 is_arena round_arena || fail "round $1: START GAME did not open the arena"
    mouse_to 790 590
    hold_until Escape 20 round_title is_title || fail "round $1: Escape did not return to the title"
}

reading start
for i in $(seq "$ROUNDS"); do
    round "$i"
    reading "round$i"
done
# The middle reading of five rounds at each end: one reading taken amid short-lived allocations
# (a few hundred kB), or just as a buffer of about 1 MB was let go and not yet taken again, is
# not what the game holds, while what a round leaves behind raises every later reading.
middle() { local r; for r in "$@"; do echo "${used[$r]}"; done | sort -n | sed -n "$((($# + 1) / 2))p"; }
early=$(middle round5 round6 round7 round8 round9)
late=$(middle round$((ROUNDS - 4)) round$((ROUNDS - 3)) round$((ROUNDS - 2)) round$((ROUNDS - 1)) round$ROUNDS)
growth=$((late - early))
cat "$E2E_WORK/memory.log"
[ "${used[start]}" -gt 1024 ] || fail "the probe reads ${used[start]} kB in use: not glibc's heap (a sanitizer build?)"
[ "$growth" -le "$ROUNDS_LIMIT_KB" ] ||
    fail "the heap in use grew by $growth kB from rounds 5-9 to rounds $((ROUNDS - 4))-$ROUNDS (limit $ROUNDS_LIMIT_KB kB)"
pass "$ROUNDS START GAME / Escape rounds: heap in use $early kB early, $late kB late ($growth kB)"

# Soak: both tanks drive in circles and fire, cycle after cycle; each cycle holds the keys for a
# few frames at any frame rate.
hover_entry $ENTRY_START_Y 20 soak_hover || fail "soak: START GAME does not light up"
xdotool click 1
poll 40 is_arena soak_arena || fail "soak: START GAME did not open the arena"
DRIVE_SCHEME=$(scheme_of_background "$(pixel 5 5)")
read -r _ _ DRIVE_X0 _ <<<"$(bbox_color "${SCHEME_TANK2[$DRIVE_SCHEME]}" 800x550+0+50)"
xdotool keydown x Up
poll 40 _tank2_moved soak_driving || fail "soak: the tanks do not drive"
reading soak_start
for i in $(seq "$SOAK_CYCLES"); do
    game_running || fail "the game ended during the soak (status $GAME_STATUS)"
    xdotool keydown z Right Tab Return
    sleep 0.4
    xdotool keyup z Right Tab Return
    sleep 0.6
done
xdotool keyup x Up
reading soak_end
shot soak
soak_growth=$((used[soak_end] - used[soak_start]))
tail -2 "$E2E_WORK/memory.log"
[ "$soak_growth" -le "$SOAK_LIMIT_KB" ] ||
    fail "the heap in use grew by $soak_growth kB during the soak (limit $SOAK_LIMIT_KB kB)"
pass "a soak of $SOAK_CYCLES cycles driving and firing: heap in use ${used[soak_start]} kB -> ${used[soak_end]} kB ($soak_growth kB)"

close_window
wait_game_exit 20 || fail "the game did not end after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "status $GAME_STATUS after closing the window"
e2e_finish
