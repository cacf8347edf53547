#!/usr/bin/env bash
# A whole match over loopback between two games on two X servers of one machine. The host's
# set-up (its settings file) is the match's: the open field, five points to win, and player 1
# played by the host's computer. The joiner plays player 2 from its keys, aiming by what its
# own tank's camera shows. Both games end the match with the same points, one side's at five,
# and both go on to the title, each with the same replay of the match; then both windows
# close with status 0.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/network_lib.sh"
e2e_begin network_match
port=$((47400 + 501 + $$ % 500))
LIMIT_S=${NETWORK_MATCH_LIMIT_S:-100}

write_host_settings 5

start_host_and_joiner

joined() { [ "$(count_lines "$E2E_WORK/joiner.err" "network: joined 127.0.0.1:$port")" = 1 ]; }
poll 20 joined joined || fail "the joiner did not join; stderr: $(tr '\n' '|' <"$E2E_WORK/joiner.err")"
poll 10 is_arena joiner_arena || fail "the joiner shows no arena"
s=$(scheme_of_background "$(pixel 5 5)")
ENEMY=${SCHEME_TANK2[$s]}
pass "the joiner joined the host's match"

# The joiner looks through its own tank's camera (F5: player 2 drives "tank1") and turns
# toward the host's tank, firing once it stands in the middle of the view. A step's key is
# held while the frame after it is drawn, so that even a slow frame sees it.
xdotool key F5
sleep 0.5
shot joiner_view
step() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
over() { [ "$(count_lines "$E2E_WORK/joiner.err" "network: the match is over")" = 1 ]; }
AIM_BOX=800x400+0+100
shots=0
deadline=$(($(date +%s) + LIMIT_S))
while ! over; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "no end of the match within $LIMIT_S s; host: $(grep -c 'network' "$E2E_WORK/host.err") lines"
    game_running || fail "the joiner ended during the match; stderr: $(tr '\n' '|' <"$E2E_WORK/joiner.err")"
    read -r w _ x _ <<<"$(bbox_color "$ENEMY" $AIM_BOX)"
    if [ -z "${x:-}" ]; then
        step Left 0.25
    elif [ $((x + w / 2)) -lt 388 ]; then
        step Left 0.05
    elif [ $((x + w / 2)) -gt 412 ]; then
        step Right 0.05
    else
        step Return 0.05
        shots=$((shots + 1))
    fi
done
log "the joiner fired $shots times"

result() { grep -F "network: the match is over" "$1" | head -1 | sed 's/.*network: //'; }
host_told() { [ -n "$(result "$E2E_WORK/host.err")" ]; }
use HOST
poll 10 host_told host_over || fail "the host did not end the match; stderr: $(tr '\n' '|' <"$E2E_WORK/host.err")"
host_result=$(result "$E2E_WORK/host.err")
joiner_result=$(result "$E2E_WORK/joiner.err")
[ "$host_result" = "$joiner_result" ] || fail "the two games ended differently: host \"$host_result\", joiner \"$joiner_result\""
echo "$host_result" | grep -Eq 'player 1 has 5 points|player 2 has 5$' || fail "no side reached 5 points: $host_result"
pass "both games ended the match alike: $host_result"

# Both finales play out to the title.
poll 20 is_title host_title || fail "the host did not go on to the title"
use JOINER
poll 20 is_title joiner_title || fail "the joiner did not go on to the title"
pass "both games are back on the title after the finale"

# Each side keeps a replay of the match: the host's recording, which the joiner received.
host_replays=("$E2E_WORK"/host_data/vexmoor/replays/*.vxr)
joiner_replays=("$E2E_WORK"/joiner_data/vexmoor/replays/*.vxr)
[ "${#host_replays[@]}" = 1 ] && [ -f "${host_replays[0]}" ] || fail "the host kept no replay of the match"
[ "${#joiner_replays[@]}" = 1 ] && [ -f "${joiner_replays[0]}" ] || fail "the joiner kept no replay of the match"
cmp -s "${host_replays[0]}" "${joiner_replays[0]}" || fail "the joiner's replay is not the host's recording"
pass "both sides keep the same replay of the match ($(stat -c %s "${host_replays[0]}") bytes)"

close_window
wait_game_exit 5 || fail "the joiner still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the joiner ended with status $GAME_STATUS"
use HOST
close_window
wait_game_exit 5 || fail "the host still runs 5 s after its window was closed"
[ "$GAME_STATUS" = 0 ] || fail "the host ended with status $GAME_STATUS"
e2e_finish
