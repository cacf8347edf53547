#!/usr/bin/env bash
# Each media or font file in turn missing, empty, cut to half or replaced by random bytes, in a
# copy of the game's data: the real binary must end in a defined way, never crash or hang.
#   meshes: "Unable to load <key>" on stderr and status 255 when the arena needs the mesh,
#           else a clean run with one line naming the file
#   sounds: silence, one line on stderr naming the file
#   fonts:  the engine's built-in font, one line on stderr naming the file
# A folder, a FIFO or a symbolic link loop in place of a file ends the same ways.
# Usage: damaged_media_test.sh meshes|sounds|fonts [DAMAGES [FILES]]
#   (default: missing, empty, half and random for every file of the kind)
. "$(dirname "$0")/lib.sh"
kind=${1:?meshes, sounds or fonts}
DAMAGES=${2:-missing empty half random}
e2e_begin "damaged_$kind${2:+_${DAMAGES// /_}}"
JOBS=${E2E_JOBS:-3}

case $kind in
    meshes) files="media/tank.3ds media/sleek_tank.3ds media/tank_shell.3ds media/arena2.3ds media/arena_base.3ds
                   media/arena1.3ds" ;;
    sounds) files="media/menu_hover.ogg media/slow_engine1.ogg media/fire1.ogg media/die_2.ogg" ;;
    fonts)  files=$(cd "$VEXMOOR_SRC" && ls fonts/pixfont_basic_*.xml fonts/pixfont_basic_*_0.png) ;;
    *) fail "unknown kind $kind" ;;
esac
files=${3:-$files}

# Key under which the arena loads a mesh; the arena places only these four.
mesh_key()
{
    case $(basename "$1") in
        tank.3ds) echo boxy_tank_model ;;
        sleek_tank.3ds) echo sleek_tank_model ;;
        tank_shell.3ds) echo tank_shell_model ;;
        arena2.3ds) echo arena2_model ;;
    esac
}

damage()
{
    local file=$1 how=$2 size
    size=$(stat -c %s "$file")
    case $how in
        missing) rm -f "$file" ;;
        empty) : >"$file" ;;
        half) truncate -s $((size / 2)) "$file" ;;
        random)
            # The same bytes every run, seeded from the file's name.
            LC_ALL=C awk -v n="$size" -v s="$(printf '%s' "$file" | cksum | cut -d' ' -f1)" \
                'BEGIN { srand(s); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' >"$file.new"
            mv "$file.new" "$file" ;;
        folder) rm -f "$file"; mkdir "$file" ;;
        fifo) rm -f "$file"; mkfifo "$file" ;;
        loop) rm -f "$file"; ln -s "$(basename "$file")" "$file" ;;
    esac
}

SILENT_LINE="sound: no output device; sound runs silently"

is_credits()
{
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] || return 1
    # The first name line, in "Tank2", stands below the "CREDITS" heading at y 185.
    [ "$(count_color "${SCHEME_TANK2[$s]}" 600x30+100+180)" -gt 10 ]
}

a_tank_moved()
{
    local x
    read -r _ _ x _ <<<"$(bbox_color "$TANK2_COLOR" 800x550+0+50)"
    [ -n "${x:-}" ] && [ -n "${X2:-}" ] && [ "$x" -gt $((X2 + 3)) ] && return 0
    read -r _ _ x _ <<<"$(bbox_color "$TANK1_COLOR" 800x550+0+50)"
    [ -n "${x:-}" ] && [ -n "${X1:-}" ] && [ "$x" -lt $((X1 - 3)) ]
}

# Screens a run must pass through to use the damaged file: the title always, the credits for
# the fonts drawn there, the arena (firing and driving) for everything the arena loads.
route_for()
{
    case $1 in
        fonts/pixfont_basic_36pt_bold*) echo "credits arena" ;;
        fonts/pixfont_basic_28pt_bold* | fonts/pixfont_basic_18pt_bold* | fonts/pixfont_basic_12pt_bold*) echo credits ;;
        fonts/*) echo "" ;;
        media/menu_hover.ogg) echo "" ;;
        *) echo arena ;;
    esac
}

# Plays the route; sets ROUTE to how far it got. The window is closed at the end, also when the
# route could not be finished, unless the game has ended by itself.
play_route()
{
    local name=$1 screens=$2
    ROUTE=start
    if wait_window 40; then
        play_screens "$name" "$screens"
        if game_running; then
            ROUTE="$ROUTE, closed"
            # A game ending by itself (a mesh it cannot load) may take its window along
            # between the check and the close; wait_game_exit below judges how it ended.
            "$XPROBE" close "$GAME_WINDOW" 2>/dev/null || ROUTE="${ROUTE%, closed}"
        fi
    else
        ROUTE=no-window
    fi
}

# Clicks the title entry at height $1 and waits for the screen check $2 to hold; notes the
# screen $4 (or its absence) on the route. Pictures are named after run $3.
choose_entry()
{
    local y=$1 check=$2 name=$3 screen=$4
    mouse_to 400 "$y"
    sleep 0.2
    xdotool click 1
    poll 24 "$check" "$name.$screen" || { ROUTE="$ROUTE, no-$screen"; return 1; }
    ROUTE="$ROUTE, $screen"
}

play_screens()
{
    local name=$1 screens=$2
    mouse_to 790 590
    poll 24 is_title "$name.title" || { ROUTE=no-title; return; }
    ROUTE=title
    # Hovering an entry plays the hover sound.
    mouse_to 400 $ENTRY_QUIT_Y
    sleep 0.2
    if [[ " $screens " == *" credits "* ]]; then
        choose_entry $ENTRY_CREDITS_Y is_credits "$name" credits || return
        click_at 400 481
        poll 24 is_title "$name.title2" || { ROUTE="$ROUTE, no-title-after-credits"; return; }
    fi
    if [[ " $screens " == *" arena "* ]]; then
        choose_entry $ENTRY_START_Y is_arena "$name" arena || return
        # Fire (shell mesh, shot sound) and drive (engine sound) with both tanks until one is
        # seen to move: by then a frame has read the fire keys. The keys stay down meanwhile,
        # since a key pressed and let go within one frame leaves no press behind.
        local s X1 X2
        s=$(scheme_of_background "$(pixel 5 5)")
        TANK1_COLOR=${SCHEME_TANK1[$s]} TANK2_COLOR=${SCHEME_TANK2[$s]}
        read -r _ _ X1 _ <<<"$(bbox_color "$TANK1_COLOR" 800x550+0+50)"
        read -r _ _ X2 _ <<<"$(bbox_color "$TANK2_COLOR" 800x550+0+50)"
        xdotool keydown Tab keydown Return keydown x keydown Up
        poll 24 a_tank_moved "$name.arena_played"
        local moved=$?
        xdotool keyup x keyup Up keyup Tab keyup Return
        [ "$moved" = 0 ] || { ROUTE="$ROUTE, no-drive"; return; }
        ROUTE="$ROUTE, fired and drove"
    fi
}

# One damaged run; writes its verdict ("ok ..." or "FAIL ...") to $E2E_WORK/$name.verdict.
run_case()
{
    local file=$1 how=$2 name dir err key status named others verdict full
    name=$(basename "$file").$how
    dir=$E2E_WORK/$name
    mkdir -p "$dir"
    cp -r "$VEXMOOR_SRC/media" "$VEXMOOR_SRC/fonts" "$dir/"
    damage "$dir/$file" "$how"
    E2E_PIDS=()
    trap stop_started EXIT
    trap 'exit 1' TERM
    start_xvfb 800x600
    start_game "$dir" "$E2E_WORK/$name"
    local screens
    screens=$(route_for "$file")
    play_route "$name" "$screens"
    if ! wait_game_exit 30; then
        echo "FAIL $file $how: still running 30 s after the window was closed (route: $ROUTE)" >"$E2E_WORK/$name.verdict"
        stop_xvfb
        return
    fi
    stop_xvfb
    status=$GAME_STATUS
    err=$E2E_WORK/$name.err
    # Lines that name the damaged file (a font's texture also counts for its font).
    local base=${file##*/}
    base=${base%_0.png}
    base=${base%.*}
    named=$(grep -cF -- "$base" "$err" || true)
    key=$(mesh_key "$file")
    others=$(grep -vF -e "$SILENT_LINE" -e "$base" ${key:+-e "Unable to load $key"} "$err" || true)
    verdict=""
    [ -n "$others" ] && verdict="unexpected stderr: $(head -3 "$err" | tr '\n' '|')"
    full="title${screens:+, ${screens// /, }}"
    full="${full/arena/arena, fired and drove}, closed"
    case $kind in
        meshes)
            if [ "$status" = 255 ]; then
                [ -n "$key" ] && [ "$(count_lines "$err" "Unable to load $key")" = 1 ] ||
                    verdict="status 255 without one line \"Unable to load ${key:-<key>}\" on stderr"
            elif [ "$status" = 0 ]; then
                [ "$ROUTE" = "$full" ] || verdict="status 0 but the run went: $ROUTE"
                # A damaged mesh must stop the arena, unless the arena never places it.
                if [ -n "$key" ]; then verdict="the arena ran with a damaged $key (status 0)"; fi
            else
                verdict="status $status (route: $ROUTE)"
            fi ;;
        sounds | fonts)
            if [ "$status" != 0 ]; then
                verdict="status $status (route: $ROUTE)"
            elif [ "$named" != 1 ]; then
                verdict="$named lines on stderr name $base, one expected"
            elif [ "$ROUTE" != "$full" ]; then
                verdict="the run went: $ROUTE"
            fi ;;
    esac
    if [ -z "$verdict" ]; then
        echo "ok   $file $how: status $status, $ROUTE; stderr: $(grep -vxF "$SILENT_LINE" "$err" | tr '\n' '|')" \
            >"$E2E_WORK/$name.verdict"
        rm -rf "$dir"
    else
        echo "FAIL $file $how: $verdict; stderr: $(tr '\n' '|' <"$err")" >"$E2E_WORK/$name.verdict"
        # Keep the damaged file beside the pictures.
        [ -e "$dir/$file" ] && cp "$dir/$file" "$E2E_WORK/$name.file"
        rm -rf "$dir"
    fi
}

all=()
for file in $files; do
    for how in $DAMAGES; do all+=("$file:$how"); done
done
if [ "$kind" = fonts ] && [ -z "${2:-}" ] && [ "${E2E_ALL_FONTS:-0}" != 1 ]; then
    # Every font goes through one loader: its check of the .xml (missing; no closing </font>,
    # which an empty file fails at once and a cut one at its end, random bytes as the cut one),
    # then the engine's PNG reader for the texture (missing, empty, cut short mid-image, no PNG
    # signature), then the glyph check. The 36pt font is loaded three ways (game-wide, the arena's
    # score, the options screen) and its route passes the credits and the arena, so all those
    # cases run on it. The other fonts differ only in the screen that draws them: one case each
    # shows a credits font (28pt) and a title font (14pt) falling back.
    # E2E_ALL_FONTS=1 runs every font with every damage.
    all=(fonts/pixfont_basic_36pt_bold.xml:missing fonts/pixfont_basic_36pt_bold.xml:empty
         fonts/pixfont_basic_36pt_bold.xml:half fonts/pixfont_basic_36pt_bold_0.png:missing
         fonts/pixfont_basic_36pt_bold_0.png:empty fonts/pixfont_basic_36pt_bold_0.png:half
         fonts/pixfont_basic_36pt_bold_0.png:random fonts/pixfont_basic_28pt_bold_0.png:random
         fonts/pixfont_basic_14pt.xml:half)
fi
cases=()
for c in "${all[@]}"; do
    # E2E_ONLY=file:damage runs one case alone.
    [ -n "${E2E_ONLY:-}" ] && [ "$E2E_ONLY" != "$c" ] && continue
    cases+=("$c")
done
log "${#cases[@]} damaged runs, $JOBS at a time"
running=0
for c in "${cases[@]}"; do
    (run_case "${c%%:*}" "${c##*:}") &
    E2E_PIDS+=("$!")
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
        wait -n -p done_pid
        forget_pid "$done_pid"
        running=$((running - 1))
    fi
done
wait
E2E_PIDS=()

failures=0
for c in "${cases[@]}"; do
    file=${c%%:*} how=${c##*:}
    v=$E2E_WORK/$(basename "$file").$how.verdict
    if [ -s "$v" ]; then cat "$v"; else echo "FAIL $file $how: no verdict (the run itself failed)"; fi
    grep -q '^ok ' "$v" 2>/dev/null || failures=$((failures + 1))
done
[ "$failures" = 0 ] || fail "$failures of ${#cases[@]} damaged runs did not end as they should"
pass "all ${#cases[@]} damaged $kind runs ended as they should"
