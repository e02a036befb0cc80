#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program from build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bin=build/bin

# A fresh installation's first start only marks the settings file and closes; an
# installer runs it, and so does this script.
if ! grep -qiE '^[[:space:]]*FirRun[[:space:]]*=[[:space:]]*[01][[:space:]]*$' "$bin/minglyc.dll"; then
  QT_QPA_PLATFORM=offscreen "$bin/k52"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual X display (Xvfb)." >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$bin/k52"
fi
exec "$bin/k52"
