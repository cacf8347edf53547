#!/usr/bin/env bash
# Sets up, builds and starts the game from the folder that holds media/ and fonts/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/vexmoor
