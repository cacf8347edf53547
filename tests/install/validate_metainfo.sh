#!/usr/bin/env bash
# validate_metainfo.sh FILE: no errors from AppStream's validator (exit 77 = skipped when
# appstreamcli is not installed). The component id is the plain name "vexmoor", after the
# command and the desktop entry, so the hint that it is not reverse-DNS is accepted.
set -uo pipefail
command -v appstreamcli >/dev/null || { echo "appstreamcli not installed: skipped"; exit 77; }
out=$(appstreamcli validate --no-net "$1" 2>&1)
echo "$out"
if echo "$out" | grep -E '^[EW]:' | grep -v 'cid-desktopapp-is-not-rdns' | grep -q .; then exit 1; fi
exit 0
