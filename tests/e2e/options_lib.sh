# What the options screen's tests share: positions of the 800x600 layout scaled to the
# window, how the screen and its notice line are told apart, and the wait for a new device.
# Sourced after lib.sh; LOGS is the running game's log prefix (its stdout is $LOGS.out).

sx() { echo $(($1 * GAME_W / 800)); }
sy() { echo $(($1 * GAME_H / 600)); }
click_scaled() { click_at "$(sx "$1")" "$(sy "$2")"; }

# The options screen: its SOUND heading, in the scheme's "Background", where the title has nothing.
is_options()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] || return 1
    [ "$(count_color "${SCHEME_BACKGROUND[$s]}" "$(sx 100)x$(sy 22)+$(sx 80)+$(sy 263)")" -gt 20 ]
}
# The notice line under BACK, in the scheme's "Tank1".
notice_shown()
{
    local s
    s=$(scheme_of_arena "$(pixel 5 5)")
    [ "$s" -ge 0 ] && [ "$(count_color "${SCHEME_TANK1[$s]}" "$GAME_W"x"$(sy 30)+0+$(sy 535)")" -gt 20 ]
}
# A new device means a new window (the engine names itself on stdout as each device is
# made): waits for a device made after the last one seen (DEVICES), in a window of $1x$2
# showing the options.
DEVICES=1
window_of()
{
    local i made
    for i in $(seq 100); do
        game_running || return 1
        made=$(count_lines "$LOGS.out" "Irrlicht Engine version")
        if [ "$made" -gt "$DEVICES" ] && wait_window 5 && [ "$GAME_W" = "$1" ] && [ "$GAME_H" = "$2" ] && is_options; then
            DEVICES=$made
            return 0
        fi
        sleep 0.1
    done
    return 1
}
