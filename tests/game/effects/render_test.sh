#!/usr/bin/env bash
# Runs the rendering tests in an X server of their own; the frames they captured are kept
# with the logs of a failed run.
source "$(dirname "$0")/../../e2e/lib.sh"
e2e_begin BattlefieldRendering
start_xvfb 800x600
mkdir -p "$E2E_WORK/frames"
cd "$VEXMOOR_SRC" || fail "no checkout at $VEXMOOR_SRC"
VEXMOOR_RENDER_SHOTS="$E2E_WORK/frames" ALSOFT_DRIVERS=null "${TEST_RENDER:?}" || fail "rendering tests failed"
pass "rendering tests"
e2e_finish
