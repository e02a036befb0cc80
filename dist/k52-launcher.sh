#!/bin/sh
# Starts the K52 programming software installed in ../lib/k52.
#
# The very first start of an installation only marks the settings file and closes (an
# installer runs it once). The program folder of an installed package is not the user's to
# write, so each user has their own settings file (~/.config/k52/minglyc.dll), and that first
# start happens per user: this launcher runs it, out of sight, before the real start.
prog="$(readlink -f "$(dirname "$(readlink -f "$0")")/../lib/k52")"
if [ -w "$prog" ]; then
  settings="$prog/minglyc.dll"
else
  config="${XDG_CONFIG_HOME:-}"
  case "$config" in /*) ;; *) config="$HOME/.config" ;; esac
  settings="$config/k52/minglyc.dll"
fi
if ! grep -qiE '^[[:space:]]*FirRun[[:space:]]*=[[:space:]]*[01][[:space:]]*$' "$settings" 2>/dev/null; then
  QT_QPA_PLATFORM=offscreen "$prog/k52" >/dev/null 2>&1 || true
fi
exec "$prog/k52" "$@"
