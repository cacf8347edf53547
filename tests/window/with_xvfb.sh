#!/usr/bin/env bash
# Runs a command in an X server of its own, started as the end-to-end tests start theirs:
#   bash with_xvfb.sh PROGRAM [ARGS...]
source "$(dirname "$0")/../e2e/lib.sh"
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vexmoor-window.XXXXXX")
trap 'stop_started; rm -rf "$E2E_WORK"' EXIT
start_xvfb 1024x768
"$@"
