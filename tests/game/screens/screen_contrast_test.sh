#!/usr/bin/env bash
# Runs the screens' contrast test in an X server of its own; the frame of each screen's
# lowest contrast is kept with the logs of a failed run.
source "$(dirname "$0")/../../e2e/lib.sh"
e2e_begin ScreenContrast
start_xvfb 800x600
mkdir -p "$E2E_WORK/frames"
cd "$VEXMOOR_SRC" || fail "no checkout at $VEXMOOR_SRC"
VEXMOOR_RENDER_SHOTS="$E2E_WORK/frames" ALSOFT_DRIVERS=null "${TEST_CONTRAST:?}" || fail "texts under 4.5:1"
pass "every text of every screen in every scheme at 4.5:1 or more"
e2e_finish
