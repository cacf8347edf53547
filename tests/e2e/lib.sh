# Shared harness of the end-to-end tests: an X server of our own, the real game binary,
# real X input through xdotool and pictures of the X server taken with ImageMagick's import.
#
# A test script sources this file with these set:
#   VEXMOOR_BIN   the game binary
#   VEXMOOR_SRC   the checkout (media/ and fonts/ are read from there)
#   E2E_ARTIFACTS folder where the pictures and logs of a failed run are kept
#   XPROBE        the xprobe helper (reads the X server's screen, closes windows)
# and calls e2e_begin NAME first.

set -u

E2E_DISPLAY_FIRST=${E2E_DISPLAY_FIRST:-90}
E2E_DISPLAY_LAST=${E2E_DISPLAY_LAST:-99}
E2E_NAME=""
E2E_WORK=""
E2E_FAILED=0
E2E_PIDS=()          # every process we started and must end
E2E_XVFB_PID=""
E2E_DISPLAY=""
GAME_PID=""
GAME_STATUS=""
GAME_WINDOW=""
GAME_X=0 GAME_Y=0 GAME_W=800 GAME_H=600
GAME_ARGS=()         # the program's arguments for the next start_game

# The thirteen color schemes: "Arena", "Tank1", "Tank2", "Background".
SCHEME_ARENA=("234,143,142" "255,171,173" "234,170,42" "235,178,0" "97,208,112" "146,219,255"
  "112,197,225" "245,175,172" "255,164,168" "107,24,156" "140,146,57" "173,48,140" "181,109,231")
SCHEME_TANK1=("140,42,68" "165,50,166" "137,212,110" "170,51,31" "254,109,255" "255,133,133"
  "202,107,188" "202,106,143" "150,0,152" "214,211,66" "132,203,255" "222,182,82" "107,105,8")
SCHEME_TANK2=("15,25,112" "56,45,181" "110,121,212" "29,16,254" "178,210,65" "170,205,55"
  "196,194,195" "64,106,186" "0,0,185" "181,231,115" "198,89,181" "181,195,90" "82,125,41")
SCHEME_BACKGROUND=("187,212,110" "225,203,56" "112,16,15" "102,200,1" "121,69,208" "8,2,129"
  "24,98,78" "237,214,156" "255,235,0" "41,130,107" "148,28,0" "24,24,165" "115,231,198")

log() { printf '%s\n' "$*"; }
pass() { printf 'ok   - %s\n' "$*"; }

# Ends the test as failed; the pictures and logs of the run are kept.
fail()
{
    printf 'FAIL - %s\n' "$*" >&2
    E2E_FAILED=1
    exit 1
}

# Records a failed check and goes on, so that the later checks of the run still report.
E2E_SOFT_FAILURES=0
expect_fail()
{
    printf 'FAIL - %s\n' "$*" >&2
    E2E_SOFT_FAILURES=$((E2E_SOFT_FAILURES + 1))
}

# Ends a test: failed if any check failed on the way.
e2e_finish()
{
    [ "$E2E_SOFT_FAILURES" = 0 ] || fail "$E2E_SOFT_FAILURES check(s) failed"
    exit 0
}

e2e_begin()
{
    E2E_NAME=$1
    : "${VEXMOOR_BIN:?}" "${VEXMOOR_SRC:?}" "${E2E_ARTIFACTS:?}" "${XPROBE:?}"
    VEXMOOR_BIN=$(readlink -f "$VEXMOOR_BIN")
    [ -x "$VEXMOOR_BIN" ] || { echo "no game binary at $VEXMOOR_BIN" >&2; exit 1; }
    XPROBE=$(readlink -f "$XPROBE")
    [ -x "$XPROBE" ] || { echo "no xprobe at $XPROBE" >&2; exit 1; }
    for tool in Xvfb xdotool xdpyinfo import convert; do
        command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
    done
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vexmoor-e2e.$E2E_NAME.XXXXXX")
    # Every game this test starts keeps its settings here, never in the real home.
    export XDG_CONFIG_HOME="$E2E_WORK/config" HOME="$E2E_WORK/home"
    rm -rf "${E2E_ARTIFACTS:?}/$E2E_NAME"
    trap e2e_end EXIT
    trap 'fail "interrupted"' INT TERM
}

# Ends what we started. Politely first: the X servers remove their locks, a harness of
# parallel runs ends its own runs; whatever is left after two seconds is killed.
stop_started()
{
    local pid i alive
    for pid in "${E2E_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for i in $(seq 40); do
        alive=0
        for pid in "${E2E_PIDS[@]}"; do
            kill -0 "$pid" 2>/dev/null && [ "$(ps -o stat= -p "$pid" | cut -c1)" != Z ] && alive=1
        done
        [ "$alive" = 0 ] && break
        sleep 0.05
    done
    for pid in "${E2E_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    wait 2>/dev/null
    E2E_PIDS=()
}

e2e_end()
{
    local status=$?
    [ "$status" -ne 0 ] && E2E_FAILED=1
    stop_started
    # E2E_KEEP=1 keeps them after a passing run too.
    if { [ "$E2E_FAILED" -ne 0 ] || [ "${E2E_KEEP:-0}" = 1 ]; } && [ -n "$E2E_WORK" ]; then
        mkdir -p "$E2E_ARTIFACTS/$E2E_NAME"
        cp -r "$E2E_WORK"/. "$E2E_ARTIFACTS/$E2E_NAME/" 2>/dev/null
        find "$E2E_ARTIFACTS/$E2E_NAME" -type d \( -name media -o -name fonts \) -prune -exec rm -rf {} + 2>/dev/null
        echo "pictures and logs of this run: $E2E_ARTIFACTS/$E2E_NAME" >&2
    fi
    [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
    exit "$status"
}

# Drops a process we have reaped from E2E_PIDS: its number may soon be another's.
forget_pid()
{
    local kept=() pid
    for pid in "${E2E_PIDS[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
    E2E_PIDS=("${kept[@]}")
}

# True if a live process holds the lock of display number $1.
display_taken()
{
    local owner
    [ -e "/tmp/.X$1-lock" ] || return 1
    owner=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$1-lock")
    [ -z "$owner" ] || kill -0 "$owner" 2>/dev/null
}

# Starts an X server on the first free display of our range; sets DISPLAY.
start_xvfb()
{
    local size=${1:-1024x768} n pid i
    for n in $(seq "$E2E_DISPLAY_FIRST" "$E2E_DISPLAY_LAST"); do
        # A lock whose server is gone is stale: Xvfb takes such a number over by itself.
        display_taken "$n" && continue
        Xvfb ":$n" -noreset -nolisten tcp -screen 0 "${size}x24" >"$E2E_WORK/xvfb.$n.log" 2>&1 &
        pid=$!
        for i in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                # Another test may have won the race for this number: the lock file names the owner.
                if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ] && kill -0 "$pid" 2>/dev/null; then
                    E2E_PIDS+=("$pid")
                    E2E_XVFB_PID=$pid
                    E2E_DISPLAY=":$n"
                    export DISPLAY=":$n"
                    return 0
                fi
                break
            fi
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    fail "no free X display from :$E2E_DISPLAY_FIRST to :$E2E_DISPLAY_LAST"
}

stop_xvfb()
{
    [ -n "$E2E_XVFB_PID" ] || return 0
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    forget_pid "$E2E_XVFB_PID"
    E2E_XVFB_PID=""
}

# Starts the game in folder $1 (which holds media/ and fonts/), output to $2.out and $2.err.
# Further arguments are VAR=value settings for its environment (or "env -u VAR" to drop one).
start_game()
{
    local dir=$1 logs=$2
    shift 2
    GAME_STATUS=""
    GAME_WINDOW=""
    # A sanitizer build: the X11 and OpenGL libraries under the engine leave a few hundred bytes
    # at exit that the leak checker cannot trace (they have no frame pointers); leaks are judged
    # by the memory rounds instead. Memory errors still end the run. No effect on other builds.
    # The game's loop never sleeps: a slightly lower priority leaves the harness its share of the
    # CPU. Not much lower: at nice 10 a busy machine's ordinary load starves the game (a tenth of
    # their share), and a host too slow to answer a join within its own 4.5 s fails the test.
    (cd "$dir" && exec nice -n "${E2E_GAME_NICE:-3}" env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        "$@" "$VEXMOOR_BIN" ${GAME_ARGS[@]+"${GAME_ARGS[@]}"} >"$logs.out" 2>"$logs.err" </dev/null) &
    GAME_PID=$!
    E2E_PIDS+=("$GAME_PID")
}

game_running() { [ -z "$GAME_STATUS" ] && kill -0 "$GAME_PID" 2>/dev/null; }

# Waits up to $1 seconds for the game to end; sets GAME_STATUS. Fails if it does not end.
wait_game_exit()
{
    local limit=$1 deadline
    deadline=$(($(date +%s%N) + limit * 1000000000))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        # A zombie counts as ended: wait collects it below.
        [ "$(ps -o stat= -p "$GAME_PID" 2>/dev/null | cut -c1)" = Z ] && break
        if [ "$(date +%s%N)" -gt "$deadline" ]; then
            kill -KILL "$GAME_PID" 2>/dev/null
            wait "$GAME_PID" 2>/dev/null
            GAME_STATUS=hang
            forget_pid "$GAME_PID"
            return 1
        fi
        sleep 0.05
    done
    wait "$GAME_PID"
    GAME_STATUS=$?
    forget_pid "$GAME_PID"
    return 0
}

# Waits up to $1 seconds for the game's window; sets GAME_WINDOW and its geometry.
# Returns 1 if the game ended first or no window came.
wait_window()
{
    local limit=$1 i id X Y WIDTH HEIGHT
    for i in $(seq $((limit * 20))); do
        game_running || return 1
        id=$(xdotool search --name '^Vexmoor' 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
            GAME_WINDOW=$id GAME_X=$X GAME_Y=$Y GAME_W=$WIDTH GAME_H=$HEIGHT
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# A picture of the X server, cropped to the game window, kept as $E2E_WORK/$1.png for the
# record (and as an artifact of a failed run).
shot()
{
    import -display "$E2E_DISPLAY" -window root -crop "${GAME_W}x${GAME_H}+${GAME_X}+${GAME_Y}" +repage \
        "$E2E_WORK/$1.png" 2>/dev/null || log "could not take the picture $1"
}

# The checks below read the X server's screen as it is now (xprobe, XGetImage on the root
# window); coordinates and regions (WxH+X+Y) are relative to the game window.

# "r,g,b" of the pixel ($1, $2).
pixel() { "$XPROBE" pixel "$((GAME_X + $1))" "$((GAME_Y + $2))"; }

_region() { echo "$1" | sed 's/^\([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\)$/\3 \4 \1 \2/'; }

# Number of pixels of color $1 in region $2 (default: the whole window).
count_color()
{
    local x y w h
    read -r x y w h <<<"$(_region "${2:-${GAME_W}x${GAME_H}+0+0}")"
    "$XPROBE" count "$((GAME_X + x))" "$((GAME_Y + y))" "$w" "$h" "$1" || echo 0
}

# Bounding box "W H X Y" of the pixels of color $1 in region $2; empty if there are none.
bbox_color()
{
    local x y w h bw bh bx by
    read -r x y w h <<<"$(_region "${2:-${GAME_W}x${GAME_H}+0+0}")"
    read -r bw bh bx by <<<"$("$XPROBE" bbox "$((GAME_X + x))" "$((GAME_Y + y))" "$w" "$h" "$1")"
    [ -n "${by:-}" ] && echo "$bw $bh $((bx - GAME_X)) $((by - GAME_Y))"
    return 0
}

# Index of color $2 in the scheme color list named $1, or -1.
_scheme_index()
{
    local -n colors=$1
    local i
    for i in "${!colors[@]}"; do
        [ "${colors[$i]}" = "$2" ] && { echo "$i"; return; }
    done
    echo -1
}

# Index of the scheme whose "Arena" color is $1, or -1.
scheme_of_arena() { _scheme_index SCHEME_ARENA "$1"; }

# Index of the scheme whose "Background" color is $1, or -1.
scheme_of_background() { _scheme_index SCHEME_BACKGROUND "$1"; }

# Calls "$2 ..." (a check of the screen that returns 0 when satisfied) for up to $1 seconds,
# then keeps a picture named $3 of what it saw. Returns 1 when the time is up or the game ended.
poll()
{
    local limit=$1 check=$2 name=$3 deadline
    shift 3
    deadline=$(($(date +%s%N) + limit * 1000000000))
    while :; do
        if ! game_running; then
            return 1
        fi
        if "$check" "$@"; then
            shot "$name"
            return 0
        fi
        if [ "$(date +%s%N)" -gt "$deadline" ]; then
            shot "$name"
            return 1
        fi
        sleep 0.03
    done
}

# Holds key $1 down while poll waits up to $2 seconds for check $4 (picture $3), then lets it go.
# Judging by what the screen shows, not by how long the key was held, keeps a slow frame
# rate on a busy machine from passing for a lost key (Escape, for one, acts only while a
# frame sees it held).
hold_until()
{
    local key=$1 limit=$2 name=$3 check=$4 status
    shift 4
    xdotool keydown "$key"
    poll "$limit" "$check" "$name" "$@"
    status=$?
    xdotool keyup "$key"
    return $status
}

# The settings of a match two HARD computer players play to 5 points on the open field.
two_computers_settings()
{
    mkdir -p "$E2E_WORK/config/vexmoor"
    cat >"$E2E_WORK/config/vexmoor/settings.ini" <<'INI'
[player1]
status = computer_hard
[player2]
status = computer_hard
[match]
arena = open_field
score_to = 5
INI
}

# Checks for poll. The results after a match: the title's "Arena" clear color round a plate
# of black or white under the winner's line.
is_results()
{
    local s plate
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] || return 1
    # Between the winner's bar and the table's headers, clear for two rows or six.
    plate=$(pixel 400 119)
    [ "$plate" = "0,0,0" ] || [ "$plate" = "255,255,255" ] || return 1
    [ "$(count_color "$plate" 500x4+150+117)" -gt 1900 ]
}
# The title: its clear color is a scheme's "Arena" color and the text "Vexmoor" stands in the
# scheme's "Background" color near the top.
is_title()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] || return 1
    [ "$(count_color "${SCHEME_BACKGROUND[$s]}" "400x60+200+40")" -gt 20 ]
}

# The arena: its clear color is a scheme's "Background" color.
is_arena() { [ "$(scheme_of_background "$(pixel 5 5)")" -ge 0 ]; }

# The set-up screen: a scheme's "Arena" clear color, crossed at y 455 by a line in its "Tank2".
is_setup()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] && [ "$(count_color "${SCHEME_TANK2[$s]}" 600x2+10+455)" -gt 900 ]
}

# A title entry at height $1 lit by the pointer: its text turns the scheme's "Tank2".
entry_lit()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] && [ "$(count_color "${SCHEME_TANK2[$s]}" "300x40+250+$(($1 - 11))")" -gt 100 ]
}

# Moves the pointer onto the title entry at height $1 and waits up to $2 seconds (picture $3)
# until a frame has lit it.
hover_entry()
{
    mouse_to 400 "$1"
    poll "$2" entry_lit "$3" "$1"
}

# The game's window up with its title, the pointer out of the way.
wait_for_title()
{
    wait_window 10 || fail "no game window"
    mouse_to 790 590
    poll 10 is_title title || fail "no title"
}

# An 800x600 X server of our own, the game in it from the checkout, at its title.
start_at_title()
{
    start_xvfb 800x600
    start_game "$VEXMOOR_SRC" "$E2E_WORK/game"
    wait_for_title
}

# Window-relative pointer moves and clicks through XTest.
mouse_to() { xdotool mousemove "$((GAME_X + $1))" "$((GAME_Y + $2))"; }
click_at()
{
    mouse_to "$1" "$2"
    sleep 0.15
    xdotool click 1
}

# Title entries, as the player sees them at 800x600: y 200, 265, 330, 395, 460 and 525, centered.
ENTRY_START_Y=206
ENTRY_SETUP_Y=271
ENTRY_REPLAYS_Y=336
ENTRY_OPTIONS_Y=401
ENTRY_CREDITS_Y=466
ENTRY_QUIT_Y=531

# Asks the window to close as a window manager's close button does.
close_window()
{
    "$XPROBE" close "$GAME_WINDOW" || fail "could not send WM_DELETE_WINDOW to the window"
}

# Lines of file $1 matching $2 (fixed string).
count_lines() { grep -cF -- "$2" "$1" 2>/dev/null || true; }

# From the title to the middle of a match: waits for the window and the title, clicks START
# GAME, then holds X, Up and Tab (both tanks driving, a shell in flight) until tank 2 is
# seen to move. release_driving_keys lets the keys go.
start_driving_match()
{
    wait_for_title
    click_at 400 $ENTRY_START_Y
    poll 10 is_arena arena || fail "START GAME did not open the arena"
    DRIVE_SCHEME=$(scheme_of_background "$(pixel 5 5)")
    read -r _ _ DRIVE_X0 _ <<<"$(bbox_color "${SCHEME_TANK2[$DRIVE_SCHEME]}" 800x550+0+50)"
    xdotool keydown x keydown Up keydown Tab
    poll 6 _tank2_moved mid_match || fail "the tanks do not drive"
}
_tank2_moved()
{
    local x
    read -r _ _ x _ <<<"$(bbox_color "${SCHEME_TANK2[$DRIVE_SCHEME]}" 800x550+0+50)"
    [ -n "${x:-}" ] && [ "$x" -gt $((DRIVE_X0 + 3)) ]
}
release_driving_keys() { xdotool keyup x keyup Up keyup Tab; }

# Fails unless stderr file $1 holds nothing but the line of a machine without sound.
expect_quiet_stderr()
{
    local unexpected
    unexpected=$(grep -vxF "sound: no output device; sound runs silently" "$1" || true)
    [ -z "$unexpected" ] || fail "unexpected lines on stderr: $unexpected"
}
