#!/usr/bin/env bash
# Renders the committed PNG icons from the two drawings: 16 pixels from the small one, which
# has no eyes, and 32 and 48 from the full one. Run it after changing either drawing, and look
# at the results before committing them (rsvg-convert comes with librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 ctarvolin-16.svg -o ctarvolin-16.png
rsvg-convert -w 32 -h 32 ctarvolin.svg -o ctarvolin-32.png
rsvg-convert -w 48 -h 48 ctarvolin.svg -o ctarvolin-48.png
