#!/usr/bin/env bash
# Sets up, builds and runs every test; ends with CTest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j2 --timeout 300
