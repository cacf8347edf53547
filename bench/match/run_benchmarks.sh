#!/usr/bin/env bash
# Runs the game's benchmarks and prints their figures (about two minutes):
#   bash bench/match/run_benchmarks.sh [BENCH_BIN_DIR]      (default build/bench/match)
# or `cmake --build <build> --target run_benchmarks`. The OpenGL ones run under an Xvfb
# of their own (display :80 to :84); the callgrind count needs valgrind.
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=$(readlink -f "${1:-build/bench/match}")
# The engine and the sound service log to stdout and stderr; keep the figures only.
figures() { grep -E '^(Benchmark|  )' || true; }

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(date -u +%Y-%m-%d)"
"$bin/bench_match" 2>/dev/null | figures
"$bin/bench_computer" 2>/dev/null | grep -vE '^(Loaded|Irrlicht|Linux|sound:)' || true

xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
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
  "$bin/bench_render" 2>/dev/null | figures
  "$bin/bench_computer" --opengl 2>/dev/null | grep -E '^(frame|  )' || true
  "$bin/bench_startup" 2>/dev/null | figures
  "$bin/bench_memory" 2>/dev/null | figures
  "$bin/bench_cpu" 2>/dev/null | figures
else
  echo "No X server could be started on :80 to :84: the OpenGL benchmarks did not run"
fi

if command -v valgrind >/dev/null; then
  frames=1000
  count() {
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=/dev/null \
      "$bin/bench_match" --only "$1" --frames "$frames" 2>&1 >/dev/null |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  }
  game=$(count game) bare=$(count bare)
  echo "Benchmark 1/2 under callgrind: instructions per frame over $frames frames (NULL driver)"
  awk -v g="$game" -v b="$bare" 'BEGIN { printf "  game %.0f, bare engine %.0f, ratio %.3f\n", g / '"$frames"', b / '"$frames"', g / b }'
fi
