#!/usr/bin/env bash
# The real program's command line without a display: --help (or -h) and --version answer on stdout
# with status 0, a bad argument is one line and the usage on stderr with status 2, and none
# of them needs a window.
#   command_line_test.sh VERSION
. "$(dirname "$0")/lib.sh"
e2e_begin command_line
version=${1:?the project version}

# Runs the program with the arguments "$@" and DISPLAY unset; sets out and err.
run_with()
{
    GAME_ARGS=("$@")
    start_game "$VEXMOOR_SRC" "$E2E_WORK/run" env -u DISPLAY
    wait_game_exit 10 || fail "$*: still running after 10 s"
    out=$(cat "$E2E_WORK/run.out")
    err=$(cat "$E2E_WORK/run.err")
}

run_with --help
[ "$GAME_STATUS" = 0 ] || expect_fail "--help: status $GAME_STATUS"
[ -z "$err" ] || expect_fail "--help: stderr not empty: $err"
for option in --windowed --fullscreen --host --join --help --version; do
    grep -q -e "^ *$option" <<<"$out" || expect_fail "--help does not list $option"
done
pass "--help: status $GAME_STATUS, $(wc -l <<<"$out") lines on stdout"
help_text=$out

run_with -h
[ "$GAME_STATUS" = 0 ] || expect_fail "-h: status $GAME_STATUS"
[ "$out" = "$help_text" ] || expect_fail "-h does not print the help of --help: $out"
[ -z "$err" ] || expect_fail "-h: stderr not empty: $err"
pass "-h: the help of --help, status $GAME_STATUS"

run_with --windowed --version
[ "$GAME_STATUS" = 0 ] || expect_fail "--version: status $GAME_STATUS"
[ "$out" = "Vexmoor $version" ] || expect_fail "--version printed \"$out\""
[ -z "$err" ] || expect_fail "--version: stderr not empty: $err"
pass "--version: \"$out\""

for bad in --bogus -x --join; do
    run_with --windowed "$bad"
    [ "$GAME_STATUS" = 2 ] || expect_fail "$bad: status $GAME_STATUS, 2 expected"
    [ -z "$out" ] || expect_fail "$bad: stdout not empty: $out"
    first=$(head -1 <<<"$err")
    grep -q -e "$bad" <<<"$first" || expect_fail "$bad: the first stderr line does not name it: $first"
    grep -q -e "^Usage: vexmoor" <<<"$err" || expect_fail "$bad: no usage on stderr"
    pass "$bad: status $GAME_STATUS, \"$first\""
done
e2e_finish
