#!/usr/bin/env bash
# Screenshots of the program's windows on a virtual X display (Xvfb), as a desktop shows them:
# the main window with each tab of the settings window, the Edit menu, the CSV import's report,
# the communication window after reading example channels from the simulated radio, and the
# printed channel list's first page (the PDF file Print writes, rendered by pdftoppm).
#
#   scripts/screenshots.sh              the README's pictures (English and Simplified Chinese,
#                                       1024x720) and the small screen's (English and
#                                       Traditional Chinese, 800x600) into docs/screenshots
#   scripts/screenshots.sh --all [DIR]  the three languages at 1024x720 and 800x560 into DIR
#                                       (default build/screenshots), for checking layouts
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/bin/k52shots ] || bash scripts/build.sh
{ command -v xvfb-run && command -v pdftoppm; } >/dev/null || bash scripts/deps.sh

# The same pictures whatever desktop the script is started from; SCREEN is the virtual
# display's size.
SCREEN=1280x1024
shots() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE \
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 ${SCREEN}x24" build/bin/k52shots "$@"
}

if [ "${1:-}" = "--all" ]; then
  out=${2:-build/screenshots}
  shots "$out" 1024x720
  shots "$out" 800x560
else
  shots docs/screenshots 1024x720 eng chs
  # A small screen: every window fits it and scrolls where its content does not.
  SCREEN=800x600 shots docs/screenshots 800x600 eng cht
fi
