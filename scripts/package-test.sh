#!/usr/bin/env bash
# Builds the Debian package and tries it on a clean Debian 12: a fresh root made by
# debootstrap (from the Debian mirror this machine's apt uses), `apt install ./k52_*.deb`
# there, the program started offscreen by an ordinary user (installation pass, first real
# start, k52cli reading a radio that k52sim stands in for), then `apt remove` and a check
# that nothing of the package is left.
#
#   bash scripts/package-test.sh          (as root: debootstrap, chroot and mounts need it)
#
# The base system is made once and kept as build/package-test/bookworm-base.tar; every run
# unpacks a fresh copy. MIRROR=http://... overrides the mirror.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "package-test: run as root (debootstrap, chroot and mounts need it)" >&2
  exit 1
fi
# Mounts made here stay private to this script and go away with it.
if [ -z "${K52_PACKAGE_TEST_NS:-}" ]; then
  exec unshare --mount --propagation private env K52_PACKAGE_TEST_NS=1 bash "$0" "$@"
fi

step() { echo "== $*"; }
fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}

step "building the package"
bash scripts/build.sh >/dev/null
rm -f build/k52_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/k52_*.deb)
echo "$deb: $(du -k "$deb" | cut -f1) KB"
dpkg-deb --field "$deb" Package Version Architecture Depends | sed 's/^/  /'

work=$PWD/build/package-test
base=$work/bookworm-base.tar
mkdir -p "$work"
if [ ! -f "$base" ]; then
  mirror=${MIRROR:-}
  if [ -z "$mirror" ]; then
    # The first Debian archive (not the security archive) in apt's sources.
    mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
      grep -oE 'https?://[^[:space:]]+/debian/?([[:space:]]|$)' | head -n1 | tr -d '[:space:]' || true)
    mirror=${mirror:-http://deb.debian.org/debian}
  fi
  if ! command -v debootstrap >/dev/null; then
    step "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null
  fi
  step "making a Debian 12 base system from $mirror (once; kept as $base)"
  rm -rf --one-file-system "$work/base-root"
  debootstrap --variant=minbase bookworm "$work/base-root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    fail "debootstrap failed, see $work/debootstrap.log"
  tar -C "$work/base-root" -cf "$base.part" . && mv "$base.part" "$base"
  rm -rf --one-file-system "$work/base-root"
fi

root=$work/root
step "unpacking a fresh root in $root"
rm -rf --one-file-system "$root"
mkdir -p "$root"
tar -C "$root" -xf "$base"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" "$@"; }
export DEBIAN_FRONTEND=noninteractive
in_root apt-get update -q >/dev/null
in_root useradd --create-home tester
# Everything outside what changes by itself (logs, caches, package lists, the user's home).
files_of_root() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./sys -o -path ./tmp -o -path ./run \
    -o -path ./var/log -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./home \) -prune \
    -o -print | sort)
}
files_of_root >"$work/before.txt"

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt install -y -q "./tmp/$(basename "$deb")" >"$work/install.log" 2>&1 || {
  tail -n 20 "$work/install.log"
  fail "apt install failed"
}
grep -E '^(Setting up|Unpacking) k52 ' "$work/install.log" | sed 's/^/  /'
echo "  $(grep -c '^Setting up ' "$work/install.log") packages set up"
in_root dpkg -L k52 >"$work/k52-files.txt"
touch "$root/tmp/installed-mark"

# as_tester COMMAND...: the ordinary user, in a clean environment as a desktop session gives.
# Each step execs the next, so a background start's $! is the program's own process.
tester=(chroot --userspec=tester:tester "$root" env -i PATH=/usr/bin:/bin HOME=/home/tester LANG=C.UTF-8
  XDG_RUNTIME_DIR=/tmp/run-tester QT_QPA_PLATFORM=offscreen)
as_tester() { "${tester[@]}" "$@"; }
in_root install -d -m 700 -o tester -g tester /tmp/run-tester
home=$root/home/tester
settings=$home/.config/k52/minglyc.dll
setting() { sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*\([^[:space:]]*\).*/\1/p" "$settings" | head -n1; }

step "starting k52 as the user tester (offscreen)"
"${tester[@]}" k52 >"$work/k52.log" 2>&1 &
pid=$!
for _ in $(seq 300); do
  [ -d "$home/Documents/K52/Data" ] && [ "$(setting FirRun 2>/dev/null)" = 0 ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
sleep 1
kill -0 "$pid" 2>/dev/null || {
  cat "$work/k52.log"
  fail "k52 ended during its start"
}
kill "$pid"
wait "$pid" 2>/dev/null || true
[ -d "$home/Documents/K52/Data" ] || fail "no data folder in ~/Documents/K52"
echo "  running after its start; the user's settings file ~/.config/k52/minglyc.dll: FirRun=$(setting FirRun)" \
  "Language=$(setting Language); data folder ~/Documents/K52/Data"
[ "$(setting FirRun)" = 0 ] || fail "the first real start did not run"
[ -z "$(in_root find /usr/lib/k52 -newer /tmp/installed-mark -print)" ] || fail "the program wrote into /usr/lib/k52"
echo "  /usr/lib/k52 unchanged"

step "k52cli reading the simulated radio k52sim"
as_tester sh -c 'k52sim --fast --link /tmp/radio >/dev/null 2>&1 & sim=$!
  for i in $(seq 50); do [ -e /tmp/radio ] && break; sleep 0.1; done
  k52cli read --port /tmp/radio /home/tester/radio.dat 2>/dev/null; status=$?
  kill $sim; wait $sim 2>/dev/null; exit $status' || fail "k52cli read from k52sim failed"
cmp -s "$home/radio.dat" "$root/usr/lib/k52/dhcpqec.dll" || fail "the radio read is not the simulated radio's memory"
echo "  read 8192 bytes into ~/radio.dat, equal to the simulated radio's memory;" \
  "backups in ~/Documents/K52/Backup: $(ls "$home/Documents/K52/Backup" | wc -l)"
as_tester k52cli --lang 3 decode /home/tester/radio.dat >"$work/decode.json" || fail "k52cli decode failed"
echo "  k52cli decode: $(tr -d ' \n' <"$work/decode.json" | cut -c1-100)..."

step "apt remove k52, then apt autoremove --purge (the dependencies)"
in_root apt-get remove -y -q k52 >"$work/remove.log" 2>&1 || {
  tail -n 20 "$work/remove.log"
  fail "apt remove failed"
}
# Without configuration files or maintainer scripts nothing is kept for a later purge.
status=$(in_root dpkg-query -W -f='${db:Status-Abbrev}' k52 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = "un " ] || fail "k52 still known to dpkg after apt remove: $status"
in_root apt-get autoremove --purge -y -q >>"$work/remove.log" 2>&1 || fail "apt autoremove failed"
echo "  $(grep -c '^Removing ' "$work/remove.log") packages removed; dpkg no longer knows k52"
left=0
while read -r path; do
  [ -e "$root$path" ] || [ -L "$root$path" ] || continue
  # A folder other packages share (/usr/share/icons/hicolor/48x48/apps) may stay.
  [ -d "$root$path" ] && [ ! -L "$root$path" ] && [[ "$path" != *k52* ]] && continue
  echo "  left: $path"
  left=1
done <"$work/k52-files.txt"
files_of_root >"$work/after.txt"
new=$(comm -13 "$work/before.txt" "$work/after.txt")
if [ -n "$new" ]; then
  echo "  new in the root since before the installation:"
  echo "$new" | sed 's/^/    /'
  echo "$new" | grep -qi k52 && left=1
fi
[ "$left" -eq 0 ] || fail "files of the package are left"
echo "  nothing of the package left (the user's own files stay in /home/tester: $(cd "$home" && find .config/k52 Documents/K52 -type f | wc -l) files)"
umount -R "$root/dev" "$root/proc"
rm -rf --one-file-system "$root"   # kept when something failed, to look into
echo "package-test: ok"
