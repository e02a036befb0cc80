#!/usr/bin/env bash
# Renders the main window with each tab of the settings window, in the three languages,
# at the default size and at a small size, into docs/screenshots (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
[ -x build/bin/k52shots ] || bash scripts/build.sh
QT_QPA_PLATFORM=offscreen build/bin/k52shots "$out" 1024x720
QT_QPA_PLATFORM=offscreen build/bin/k52shots "$out" 800x560
