#!/usr/bin/env bash
# Runs a Windows program under Wine with its output turned into Unix lines, keeping the
# program's exit status. WINEPREFIX and the wineserver are the caller's to provide.
set -uo pipefail
wine "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"
