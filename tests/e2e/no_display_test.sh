#!/usr/bin/env bash
# Without an X display the game says so in one line on stderr and ends with a non-zero status
# at once: with DISPLAY unset, and with DISPLAY naming a display where no server runs.
. "$(dirname "$0")/lib.sh"
e2e_begin no_display

# Runs the game with the environment settings "$@"; checks its end and its one line.
run_without_display()
{
    local what=$1 started ms line lines
    shift
    started=$(date +%s%N)
    start_game "$VEXMOOR_SRC" "$E2E_WORK/$what" "$@"
    wait_game_exit 5 || fail "$what: still running after 5 s"
    ms=$((($(date +%s%N) - started) / 1000000))
    [ "$GAME_STATUS" != 0 ] || fail "$what: status 0 although no window could open"
    lines=$(grep -c . "$E2E_WORK/$what.err" || true)
    line=$(head -1 "$E2E_WORK/$what.err")
    [ "$lines" = 1 ] || fail "$what: $lines lines on stderr, one expected: $(tr '\n' '|' <"$E2E_WORK/$what.err")"
    pass "$what: status $GAME_STATUS after $ms ms, stderr: \"$line\""
}

run_without_display "DISPLAY unset" env -u DISPLAY

# A display number of our range that no server holds; our own lock file keeps servers off it
# while the game tries it.
for n in $(seq "$E2E_DISPLAY_FIRST" "$E2E_DISPLAY_LAST"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    printf '%10d\n' $$ >"/tmp/.X$n-lock.$$" && mv -n "/tmp/.X$n-lock.$$" "/tmp/.X$n-lock" 2>/dev/null
    rm -f "/tmp/.X$n-lock.$$"
    [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = $$ ] || continue
    trap 'rm -f "/tmp/.X'"$n"'-lock"; e2e_end' EXIT
    run_without_display "DISPLAY=:$n with no server" DISPLAY=":$n"
    rm -f "/tmp/.X$n-lock"
    trap e2e_end EXIT
    e2e_finish
done
fail "no free display number from :$E2E_DISPLAY_FIRST to :$E2E_DISPLAY_LAST"
