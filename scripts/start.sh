#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program from build/bin, with a
# simulated radio (k52sim) on port COM1 so that Read and Write work at once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bin=build/bin

# A fresh installation's first start only marks the settings file and closes; an
# installer runs it, and so does this script.
if ! grep -qiE '^[[:space:]]*FirRun[[:space:]]*=[[:space:]]*[01][[:space:]]*$' "$bin/minglyc.dll"; then
  QT_QPA_PLATFORM=offscreen "$bin/k52"
fi

# set_ini FILE SECTION KEY VALUE: sets one key of the settings file (names without regard
# to case, as the program reads them), adding the key or the section where missing.
set_ini() {
  awk -v sec="$2" -v key="$3" -v val="$4" '
    function put() { if (insec && !done) { print key "=" val; done = 1 } }
    /^[ \t]*\[/ {
      put()
      name = $0; gsub(/^[ \t]*\[|\][ \t\r]*$/, "", name)
      insec = (tolower(name) == tolower(sec))
      print; next
    }
    insec && /=/ {
      k = $0; sub(/=.*/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", k)
      if (tolower(k) == tolower(key)) { if (!done) print key "=" val; done = 1; next }
    }
    { print }
    END { if (!done) { if (!insec) print "[" sec "]"; print key "=" val } }
  ' "$1" > "$1.tmp" && mv "$1.tmp" "$1"
}

# The simulated radio: a pseudo-terminal reachable as build/k52sim-tty, paced like a real
# 9600-baud line. Its memory is kept in build/k52sim-radio.bin (saved at every end of
# programming and when it stops) and taken up again at the next start.
radio=build/k52sim-radio.bin
link="$PWD/build/k52sim-tty"
sim_args=(--link "$link" --save "$radio")
[ -f "$radio" ] && sim_args+=(--image "$radio")
"$bin/k52sim" "${sim_args[@]}" > build/k52sim.out 2> build/k52sim.log < /dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s build/k52sim.out ] && break
  sleep 0.1
done
if [ -s build/k52sim.out ]; then
  echo "Simulated radio on $(head -n1 build/k52sim.out) ($link), port COM1." >&2
  set_ini "$bin/minglyc.dll" Ports COM1 "$link"
  set_ini "$bin/minglyc.dll" Setting COM 1
else
  echo "k52sim did not start (see build/k52sim.log); starting without the simulated radio." >&2
fi

status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual X display (Xvfb)." >&2
  xvfb-run -a -s "-screen 0 1280x800x24" "$bin/k52" || status=$?
else
  "$bin/k52" || status=$?
fi
exit "$status"
