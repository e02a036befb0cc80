#!/usr/bin/env bash
# The installed program: `cmake --install` into a temporary prefix, then the program started
# offscreen from its program folder made read-only, by a user who may not write there
# (nobody, when the test runs as root), and by root, who may but must not. Each user's first start must be the installation
# pass and the second the first real start, in the user's own settings file, with the data
# folder in the user's documents and the program folder left as installed.
#
#   installed_program_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
prefix=$tmp/prefix
prog=$prefix/lib/k52
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  chmod -R u+w "$tmp" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# What is installed.
for f in lib/k52/k52 lib/k52/k52cli lib/k52/k52sim bin/k52 bin/k52cli bin/k52sim; do
  [ -x "$prefix/$f" ] || fail "$f is missing or not executable"
done
for f in minglyc.dll dhcpqec.dll; do
  cmp -s "$build/delivered/$f" "$prog/$f" || fail "$f is not the delivered file"
done
for f in share/applications/k52.desktop share/icons/hicolor/scalable/apps/k52.svg \
  share/icons/hicolor/48x48/apps/k52.png lib/udev/rules.d/60-k52-programming-cables.rules; do
  [ -s "$prefix/$f" ] || fail "$f is missing"
done
for help in "$build"/bin/*.html; do
  [ -e "$help" ] || continue
  cmp -s "$help" "$prog/$(basename "$help")" || fail "help file $(basename "$help") not installed"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate --no-hints "$prefix/share/applications/k52.desktop" || fail "desktop entry not valid"
fi
for lang in '' '\[zh_CN\]' '\[zh_TW\]'; do
  grep -q "^Name$lang=." "$prefix/share/applications/k52.desktop" || fail "desktop entry without Name$lang"
done

# The program folder as installed, read-only; users' homes of their own.
chmod -R a-w "$prog"
snapshot() { (cd "$prog" && find . -printf '%p %s %m\n' | sort && md5sum ./* 2>/dev/null); }
installed=$(snapshot)
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$tmp"
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
new_home() {
  mkdir -p "$tmp/$1/run"
  chmod 700 "$tmp/$1/run"
  [ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$tmp/$1"
  echo "$tmp/$1"
}
# user_command HOME LANG COMMAND...: sets `cmd` to run COMMAND as the user, in a clean
# environment as a desktop session would give; each step execs the next, so a background
# start's $! is the program's own process.
user_command() {
  local home=$1 lang=$2
  shift 2
  cmd=(env -i PATH=/usr/bin:/bin HOME="$home" LANG="$lang" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen
    "${run_as[@]}" "$@")
}
as_user() {
  user_command "$@"
  "${cmd[@]}"
}
setting() { sed -n "s/^[[:space:]]*$2[[:space:]]*=[[:space:]]*\([^[:space:]]*\).*/\1/p" "$1" | head -n1; }
# started HOME LANG COMMAND...: starts the program and waits until its start-up has made the
# data folder and marked the first real start (unless mark= is set empty), then checks it is
# still running and ends it.
mark=0
started() {
  local home=$1
  user_command "$@"
  "${cmd[@]}" >"$home/out.log" 2>&1 &
  pid=$!
  for _ in $(seq 300); do
    [ -d "$home/Documents/K52/Data" ] && { [ -z "$mark" ] || [ "$(setting "$home/.config/k52/minglyc.dll" FirRun)" = "$mark" ]; } && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended during its start: $(cat "$home/out.log")"
    sleep 0.2
  done
  [ -d "$home/Documents/K52/Data" ] || fail "no data folder in $home/Documents/K52"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "the program ended after its start: $(cat "$home/out.log")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# First user, the program itself: the installation pass, then the first real start.
home=$(new_home user1)
user_settings=$home/.config/k52/minglyc.dll
as_user "$home" zh_CN.UTF-8 timeout 60 "$prog/k52" || fail "the installation pass did not end by itself"
[ -f "$user_settings" ] || fail "no settings file of the user's after the installation pass"
[ "$(setting "$user_settings" FirRun)" = 1 ] || fail "the installation pass did not mark FirRun=1"
[ "$(setting "$user_settings" DatNum)" = 8191 ] || fail "the user's settings file is not the delivered one"
[ ! -e "$home/Documents/K52" ] || fail "the installation pass made the data folder"
started "$home" zh_CN.UTF-8 "$prog/k52"
[ "$(setting "$user_settings" Language)" = 1 ] || fail "the first real start did not take the language from the locale"

# The command-line companion reads the user's copy, writes nothing: with the channel count
# of language 1 (the user's language now) changed there, it decodes that many channels.
as_user "$home" C.UTF-8 sed -i 's/^1000=.*/1000=16/' "$user_settings"
before=$(md5sum "$user_settings")
channels() { as_user "$home" C.UTF-8 "$prefix/bin/k52cli" "$@" decode "$prog/dhcpqec.dll" | grep -c '"n":'; }
[ "$(channels)" = 16 ] || fail "k52cli did not read the user's settings file"
[ "$(channels --lang 3)" != 16 ] || fail "k52cli decoded 16 channels in language 3 too"
[ "$(md5sum "$user_settings")" = "$before" ] || fail "k52cli changed the user's settings file"
# ... and for a user who never started the program, the delivered file, making nothing.
home=$(new_home user2)
as_user "$home" C.UTF-8 "$prefix/bin/k52cli" decode "$prog/dhcpqec.dll" >/dev/null || fail "k52cli without a copy failed"
[ ! -e "$home/.config/k52" ] || fail "k52cli made a settings file"

# A user starting from the menu (the launcher in bin): the installation pass happens out of
# sight, the window stays.
home=$(new_home user3)
started "$home" en_US.UTF-8 "$prefix/bin/k52"
[ "$(setting "$home/.config/k52/minglyc.dll" Language)" = 3 ] || fail "the launcher's start did not detect the language"

# A settings file the program cannot write: every start still opens the window, the file
# stays as it was. Read-only (as delivered, so the start would be the installation pass), and
# a FIFO in its place, also through the launcher.
home=$(new_home user4)
user_settings=$home/.config/k52/minglyc.dll
as_user "$home" C.UTF-8 mkdir -p "$home/.config/k52"
as_user "$home" C.UTF-8 cp "$prog/minglyc.dll" "$user_settings"
as_user "$home" C.UTF-8 chmod 444 "$user_settings"
mark=
started "$home" en_US.UTF-8 "$prog/k52"
cmp -s "$prog/minglyc.dll" "$user_settings" || fail "the read-only settings file changed"
home=$(new_home user5)
as_user "$home" C.UTF-8 mkdir -p "$home/.config/k52"
as_user "$home" C.UTF-8 mkfifo "$home/.config/k52/minglyc.dll"
started "$home" en_US.UTF-8 "$prog/k52"
rm -rf "$home/Documents"
started "$home" en_US.UTF-8 "$prefix/bin/k52"
[ -p "$home/.config/k52/minglyc.dll" ] || fail "the FIFO was replaced"
mark=0

# Root (sudo k52) is a user like any other: its own settings file and data in its home, an
# installation pass and a first real start of its own, the installed folder left alone.
if [ "$(id -u)" -eq 0 ]; then
  run_as=()
  home=$tmp/root
  mkdir -p "$home/run"
  chmod 700 "$home/run"
  as_user "$home" zh_CN.UTF-8 timeout 60 "$prog/k52" || fail "root's installation pass did not end by itself"
  [ "$(setting "$home/.config/k52/minglyc.dll" FirRun)" = 1 ] || fail "root's installation pass did not mark root's own settings file"
  started "$home" zh_CN.UTF-8 "$prog/k52"
  [ "$(setting "$home/.config/k52/minglyc.dll" Language)" = 1 ] || fail "root's first real start did not detect the language"
  home=$tmp/root-launcher
  mkdir -p "$home/run"
  chmod 700 "$home/run"
  started "$home" en_US.UTF-8 "$prefix/bin/k52"
else
  echo "not root: the start as root is not tried"
fi

[ "$(snapshot)" = "$installed" ] || fail "the program folder changed"
echo "installed program: per-user settings file, installation pass, first real start, k52cli, launcher, unwritable settings file, root: ok"
