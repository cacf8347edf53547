# What the tests of two networked games share: a host on $port and a joiner, each on an X
# server of its own, switched to with `use HOST` and `use JOINER`. Sourced after lib.sh.

save_as() { eval "$1=(\"\$DISPLAY\" \"\$GAME_PID\" \"\$GAME_WINDOW\" \"\$GAME_X\" \"\$GAME_Y\")"; }
use() { local -n g=$1; export DISPLAY=${g[0]}; E2E_DISPLAY=${g[0]}; GAME_PID=${g[1]} GAME_WINDOW=${g[2]} GAME_X=${g[3]} GAME_Y=${g[4]}; GAME_STATUS=""; }

# Starts the host (--host) and then the joiner (--join), each with its settings and data
# under $E2E_WORK/host_config, host_data, joiner_config and joiner_data, and waits for
# both windows.
start_host_and_joiner()
{
    start_xvfb 800x600
    GAME_ARGS=(--host "127.0.0.1:$port")
    start_game "$VEXMOOR_SRC" "$E2E_WORK/host" XDG_CONFIG_HOME="$E2E_WORK/host_config" XDG_DATA_HOME="$E2E_WORK/host_data"
    wait_window 20 || fail "no host window; stderr: $(tr '\n' '|' <"$E2E_WORK/host.err")"
    save_as HOST

    start_xvfb 800x600
    GAME_ARGS=(--join "127.0.0.1:$port")
    start_game "$VEXMOOR_SRC" "$E2E_WORK/joiner" XDG_CONFIG_HOME="$E2E_WORK/joiner_config" XDG_DATA_HOME="$E2E_WORK/joiner_data"
    wait_window 20 || fail "no joiner window; stderr: $(tr '\n' '|' <"$E2E_WORK/joiner.err")"
    save_as JOINER
}

# The host's settings file: the open field, player 1 played by the host's computer, and
# $1 points to win. The joiner's settings folder is empty.
write_host_settings()
{
    mkdir -p "$E2E_WORK/host_config/vexmoor" "$E2E_WORK/joiner_config"
    cat >"$E2E_WORK/host_config/vexmoor/settings.ini" <<INI
[player1]
status = computer_hard
[match]
arena = open_field
score_to = $1
respawn = anywhere
INI
}
