#!/usr/bin/env bash
# Sets up, builds and runs every test; ends with CTest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Line tables are debug information enough for the tests; the benchmarks are not tests.
CMAKE_ARGS="-DVEXMOOR_LINE_TABLES=ON -DVEXMOOR_BUILD_BENCH=OFF ${CMAKE_ARGS:-}" bash scripts/build.sh
cd build
ctest --output-on-failure -j2 --timeout 300
