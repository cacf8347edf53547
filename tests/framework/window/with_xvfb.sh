#!/usr/bin/env bash
# Runs a command in an X server of its own, started as the end-to-end tests start theirs:
#   bash with_xvfb.sh PROGRAM [ARGS...]
# Displays :70 to :79, beside the end-to-end tests' own range.
E2E_DISPLAY_FIRST=${WINDOW_DISPLAY_FIRST:-70}
E2E_DISPLAY_LAST=${WINDOW_DISPLAY_LAST:-79}
source "$(dirname "$0")/../../e2e/lib.sh"
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vexmoor-window.XXXXXX")
trap 'stop_started; rm -rf "$E2E_WORK"' EXIT
start_xvfb 1024x768
"$@"
