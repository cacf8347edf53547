#!/usr/bin/env bash
# validate_desktop_entry.sh FILE: the desktop entry as desktop-file-validate reads it
# (exit 77 = skipped when desktop-file-utils is not installed).
set -uo pipefail
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate not installed: skipped"; exit 77; }
desktop-file-validate "$1"
