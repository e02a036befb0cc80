#!/bin/sh
# Starts the K52 programming software installed in ../lib/k52.
#
# The very first start of an installation only marks the settings file and closes (an
# installer runs it once). The program never writes its installed folder, whoever runs it,
# so each user (root too) has their own settings file (~/.config/k52/minglyc.dll), and that
# first start happens per user: this launcher runs it, out of sight, before the real start.
# A settings file the program cannot mark (read-only, not a file) gets no such pass: the
# program then starts as usual and says so in its error window.
prog="$(readlink -f "$(dirname "$(readlink -f "$0")")/../lib/k52")"
config="${XDG_CONFIG_HOME:-}"
case "$config" in /*) ;; *) config="$HOME/.config" ;; esac
settings="$config/k52/minglyc.dll"
pass=
if [ -e "$settings" ]; then
  if [ -f "$settings" ] && [ -w "$settings" ] &&
    ! grep -qiE '^[[:space:]]*FirRun[[:space:]]*=[[:space:]]*[01][[:space:]]*$' "$settings" 2>/dev/null; then
    pass=1
  fi
elif mkdir -p "$config/k52" 2>/dev/null && [ -w "$config/k52" ]; then
  pass=1
fi
if [ -n "$pass" ]; then
  # (Bounded: a disk that fills meanwhile makes the pass go on as a normal start.)
  QT_QPA_PLATFORM=offscreen timeout 30 "$prog/k52" >/dev/null 2>&1 || true
fi
exec "$prog/k52" "$@"
