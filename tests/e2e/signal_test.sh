#!/usr/bin/env bash
# A stop signal in the middle of a match ends the game as its window's close button does:
# status 0 for SIGINT, 128 + the signal for SIGTERM and SIGHUP, the window gone, nothing
# on stderr.
#   signal_test.sh INT|TERM|HUP
. "$(dirname "$0")/lib.sh"
signal=${1:?INT, TERM or HUP}
case $signal in
    INT) expected=0 ;;
    TERM) expected=143 ;;
    HUP) expected=129 ;;
    *) fail "unknown signal $signal" ;;
esac
e2e_begin "signal_$signal"
start_xvfb 800x600
# The game runs under a small perl parent that tells an exit with a status from a death by
# the signal (a shell sees 128 + the signal for both).
cat >"$E2E_WORK/watch.pl" <<'PERL'
my $pid = fork();
if ($pid == 0) { exec @ARGV or exit 127; }
open(my $out, '>', "$ENV{WATCH_DIR}/game.pid"); print $out "$pid\n"; close $out;
waitpid($pid, 0);
open($out, '>', "$ENV{WATCH_DIR}/game.end");
print $out (($? & 127) ? "killed by signal " . ($? & 127) : "exit " . ($? >> 8)), "\n";
close $out;
PERL
(cd "$VEXMOOR_SRC" && exec nice -n 10 env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    WATCH_DIR="$E2E_WORK" perl "$E2E_WORK/watch.pl" "$VEXMOOR_BIN" >"$E2E_WORK/game.out" 2>"$E2E_WORK/game.err" </dev/null) &
GAME_PID=$!
E2E_PIDS+=("$GAME_PID")
for _ in $(seq 100); do [ -s "$E2E_WORK/game.pid" ] && break; sleep 0.05; done
game=$(cat "$E2E_WORK/game.pid" 2>/dev/null) || fail "the game did not start"
E2E_PIDS+=("$game")
start_driving_match
kill -s "$signal" "$game"
release_driving_keys
wait_game_exit 5 || fail "the game still runs 5 s after SIG$signal"
forget_pid "$game"
end=$(cat "$E2E_WORK/game.end")
[ "$end" = "exit $expected" ] ||
    fail "SIG$signal: the game ended by \"$end\", not \"exit $expected\"; stderr: $(tr '\n' '|' <"$E2E_WORK/game.err")"
[ -z "$(xdotool search --name '^Vexmoor' 2>/dev/null)" ] || fail "the window is still there"
expect_quiet_stderr "$E2E_WORK/game.err"
pass "SIG$signal mid-match ends the game with status $expected and its window gone"
e2e_finish
