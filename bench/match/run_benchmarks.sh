#!/usr/bin/env bash
# Runs the game's benchmarks and prints their figures (about eight minutes):
#   bash bench/match/run_benchmarks.sh [BENCH_BIN_DIR]      (default build/bench/match)
# or `cmake --build <build> --target run_benchmarks`. The OpenGL ones run under an Xvfb
# of their own (display :80 to :84); the callgrind count needs valgrind.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=$(readlink -f "${1:-build/bench/match}")
# The engine and the sound service log to stdout and stderr; keep the figures only. A
# benchmark that fails is reported with its last error line, and the script ends non-zero.
errors=$(mktemp)
failed=0
figures() { grep -E '^(Benchmark|  )' || true; }
fail() {
  echo "ERROR: $1"
  failed=1
}
# run PATTERN PROGRAM ARGS...: the program's lines that match PATTERN (that do not, with
# a leading !), or an error.
run() {
  local pattern=$1 status invert=()
  shift
  if [ "${pattern:0:1}" = "!" ]; then invert=(-v); pattern=${pattern:1}; fi
  set +e
  "$@" 2>"$errors" | { grep "${invert[@]}" -E "$pattern" || true; }
  status=${PIPESTATUS[0]}
  set -e
  [ "$status" -eq 0 ] || fail "$(basename "$1") $* exited with $status: $(grep -v '^Irrlicht\|^Linux\|^sound:' "$errors" | tail -n 1)"
}

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(date -u +%Y-%m-%d)"
run '^(Benchmark|  )' "$bin/bench_match"
run '^(Benchmark|  )' "$bin/bench_match" --effects off
run '!^(Loaded|Irrlicht|Linux|sound:)' "$bin/bench_computer"

xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -f "$errors"' EXIT
for n in 80 81 82 83 84; do
  [ -e "/tmp/.X$n-lock" ] && continue
  # Wide enough for two 800x600 windows side by side.
  Xvfb ":$n" -noreset -screen 0 1680x640x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
if [ -n "$xvfb_pid" ]; then
  run '^(Benchmark|  )' "$bin/bench_render"
  run '^(Benchmark|  )' "$bin/bench_render" --computers --frames 400
  run '^(frame|  )' "$bin/bench_computer" --opengl
  run '^(Benchmark|  )' "$bin/bench_startup"
  run '^(Benchmark|  )' "$bin/bench_memory"
  run '^(Benchmark|  )' "$bin/bench_cpu"
else
  fail "no X server could be started on :80 to :84: the OpenGL benchmarks did not run"
fi

if command -v valgrind >/dev/null; then
  frames=1000
  # Instructions of the measured frames; empty when valgrind or the benchmark failed.
  count() {
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=/dev/null \
      "$bin/bench_match" --frames "$frames" "$@" 2>&1 >/dev/null |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p' || true
  }
  # counted GAME BARE WHAT: both counts taken, or an error naming WHAT.
  counted() {
    if [ -z "$1" ] || [ -z "$2" ] || [ "$1" -eq 0 ] || [ "$2" -eq 0 ]; then
      fail "callgrind gave no count $3 (game '${1}', bare engine '${2}')"
      return 1
    fi
  }
  echo "Benchmark 1/2 under callgrind: instructions per frame over $frames frames (NULL driver, overhead55_cam)"
  duel_game="" duel_bare=""
  for effects in on off; do
    game=$(count --only game --effects $effects) bare=$(count --only bare --effects $effects)
    counted "$game" "$bare" "with the effects $effects" || continue
    [ "$effects" = on ] && duel_game=$game duel_bare=$bare
    awk -v g="$game" -v b="$bare" -v f="$frames" -v e="$effects" \
      'BEGIN { printf "  effects %-3s game %.0f, bare engine %.0f, ratio %.3f (goal <= 1.30)\n", e, g / f, b / f, g / b }'
  done
  # Players 3 and 4 at the keys drive and fire as player 1 does: each tank's share of the
  # frame against the duel's, which should grow no faster than the tanks.
  echo "Benchmark 1/2 under callgrind, 2 to 4 tanks at the keys: instructions per frame over $frames frames (effects on)"
  for tanks in 2 3 4; do
    if [ "$tanks" -eq 2 ]; then
      game=$duel_game bare=$duel_bare
    else
      game=$(count --only game --tanks $tanks) bare=$(count --only bare --tanks $tanks)
    fi
    counted "$game" "$bare" "with $tanks tanks" || continue
    [ -n "$duel_game" ] || continue
    awk -v g="$game" -v b="$bare" -v f="$frames" -v n="$tanks" -v g2="$duel_game" -v b2="$duel_bare" \
      'BEGIN { printf "  %d tanks game %.0f (x%.2f the duel), bare engine %.0f (x%.2f), ratio %.3f; tanks x%.2f\n",
               n, g / f, g / g2, b / f, b / b2, g / b, n / 2 }'
  done
  # Four NORMAL computers: the same brains drive the bare tanks.
  game=$(count --only game --tanks 4 --computers) bare=$(count --only bare --tanks 4 --computers)
  if counted "$game" "$bare" "with 4 computers"; then
    awk -v g="$game" -v b="$bare" -v f="$frames" \
      'BEGIN { printf "  4 computers game %.0f, bare engine %.0f, ratio %.3f\n", g / f, b / f, g / b }'
  fi
else
  fail "valgrind is missing: no instruction counts"
fi
exit "$failed"
