#!/usr/bin/env python3
"""Golden outputs of the program's codecs and wire, to hold behaviour still while code moves.

    scripts/golden.py record DIR [--bin build/bin] [--count N]
    scripts/golden.py compare DIR [--bin build/bin]

`record` generates N memory images (default 240) with a fixed seed, runs `k52cli decode`
(in the settings file's language and in English) and `k52cli normalize` on each, and a full
read and a full write of a few of them against `k52sim --fast --trace`; it keeps the images
and every output (standard output, standard error, exit status, the normalized file) under
DIR. `compare` runs the same commands again with the build given and prints how many
outputs are identical and how many differ, naming the first differences; it exits 1 when
any differ.

The images: random channels (frequencies inside and outside the band, on and off the
rasters, empty and receive-only channels, every kind of tone code and codes not in the
tone list, random flag bytes, names from the character table and codes past it), random
option bytes and FM stations, every preset band and custom bands, and damaged records
(digits A-F in frequencies, stations and tones, random bytes anywhere). Frame traces lose
their timestamps, error log entries their time, and the programming date a write stamps is
replaced by "<date>".
"""
import argparse
import datetime
import fcntl
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

SIZE = 0x2000
CHANNELS = 199
# Band records of the preset bands (lower, upper edge in MHz) and a few no preset has.
BANDS = [(136, 174), (136, 150), (150, 174), (200, 260), (245, 246), (400, 470), (400, 440),
         (440, 480), (470, 520), (400, 520), (120, 520), (144, 146), (350, 390), (420, 450)]
TRACED = 3  # images read and written against the simulated radio


def bcd(v):
    return (v // 10) * 16 + v % 10


def bcd4(value):
    return [bcd((value // 100 ** i) % 100) for i in range(4)]


def set_band(img, lo, hi):
    img[0x0FF0] = (lo // 100) * 16 + (lo % 100) // 10
    img[0x0FF1] = (hi // 100) * 16 + (hi % 100) // 10
    img[0x0FF2] = (lo % 10) * 16 + hi % 10


def tone(rng):
    """A tone code: CTCSS (BCD tenths of Hz), DCS normal/inverted, none, or off the list."""
    kind = rng.randrange(6)
    if kind == 0:
        return 0xFFFF
    if kind == 1:
        t = rng.choice([670, 719, 885, 1000, 1318, 1679, 2035, 2541, 1234, 3000])
        return int(str(t).zfill(4), 16)
    if kind in (2, 3):
        code = rng.choice([0x023, 0x114, 0x244, 0x754, 0x017, 0x777])
        return (0x8000 if kind == 2 else 0xC000) | code
    if kind == 4:
        return rng.randrange(0x10000)
    return 0x0000


def channel(img, n, rng, lo, hi):
    a = 16 * (n - 1)
    kind = rng.randrange(10)
    if kind == 0:
        img[a:a + 16] = [0xFF] * 16
        return
    step = rng.choice([500, 625, 1250, 250, 1])
    rx = rng.randrange(lo * 100000, hi * 100000 + 1) // step * step
    if kind == 1:
        rx = rng.randrange(10000000, 99999999)  # anywhere, often outside the band
    img[a:a + 4] = bcd4(rx)
    if kind == 2:
        img[a + 4:a + 8] = [0xFF] * 4  # receive only
    else:
        tx = rx + rng.choice([0, 0, 500000, -500000, 1000000, rng.randrange(-999, 999) * 1250])
        img[a + 4:a + 8] = bcd4(max(0, tx))
    if kind == 3:
        img[a + rng.randrange(8)] = rng.choice([0x1A, 0xA1, 0xFA, 0xBC])  # a digit A-F
    for off in (8, 10):
        code = tone(rng)
        img[a + off] = code & 0xFF
        img[a + off + 1] = code >> 8
    img[a + 12] = rng.randrange(256)
    name = [rng.choice(list(range(45)) + [0xFF, 0x50, 0x2D]) for _ in range(5)]
    img[a + 13:a + 16] = name[:3]
    e = 0x0C70 + 2 * (n - 1)
    img[e:e + 2] = name[3:5]


def options(img, rng):
    for addr in range(0x0E10, 0x0E1B):
        img[addr] = rng.randrange(256) if rng.random() < 0.5 else rng.randrange(12)
    for addr in range(0x0E1B, 0x0E20):  # power-on message
        img[addr] = rng.choice(list(range(45)) + [0xFF])
    img[0x0F98:0x0F9B] = [rng.randrange(256) for _ in range(3)]  # firmware version
    for i in range(25):
        if rng.random() < 0.2:
            img[0x0E60 + 4 * i:0x0E64 + 4 * i] = [0xFF] * 4
        else:
            f = rng.randrange(760, 1090) if rng.random() < 0.9 else rng.randrange(0, 9999)
            img[0x0E60 + 4 * i:0x0E64 + 4 * i] = bcd4(f * 10000)
    if rng.random() < 0.1:
        img[0x0E60 + 4 * rng.randrange(25) + 2] = 0x7A


def make_image(rng, index):
    img = bytearray([0xFF] * SIZE)
    if index % 17 == 0:
        return img  # an erased radio
    lo, hi = BANDS[index % len(BANDS)]
    if index % 11 == 0:
        lo = rng.randrange(100, 500)
        hi = rng.randrange(lo, 600)
    set_band(img, lo, hi)
    for n in range(1, CHANNELS + 1):
        if rng.random() < 0.7:
            channel(img, n, rng, lo, hi)
    options(img, rng)
    img[0x0F92:0x0F95] = [rng.randrange(100), rng.randrange(1, 13), rng.randrange(1, 29)]
    if index % 5 == 0:  # damage anywhere
        for _ in range(rng.randrange(1, 200)):
            img[rng.randrange(SIZE)] = rng.randrange(256)
    return img


LOG_TIME = re.compile(r"^-+.*\d\d:\d\d:\d\d-+$", re.M)


def run(argv, cwd=None):
    p = subprocess.run(argv, cwd=cwd, capture_output=True, timeout=120)
    # The error log's entries carry the time they were made.
    return {"rc": p.returncode, "out": p.stdout.decode("utf-8", "replace"),
            "err": LOG_TIME.sub("<time>", p.stderr.decode("utf-8", "replace"))}


def date_pattern():
    d = datetime.date.today()
    return "%02X %02X %02X" % (d.year % 100, d.month, d.day)


def clean_trace(text):
    lines = []
    for line in text.splitlines():
        if line.startswith("["):
            line = line.split("]", 1)[1].strip()
        lines.append(line.replace(date_pattern(), "<date>"))
    return "\n".join(lines) + "\n"


def transfer(bindir, cli, image, work, direction):
    """Runs a full read or write of IMAGE against the simulated radio; the frame trace and
    what the program reports."""
    link = os.path.join(work, "radio")
    sim = subprocess.Popen([os.path.join(bindir, "k52sim"), "--fast", "--trace", "--image", image,
                            "--link", link], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE)
    sim.stdout.readline()
    for _ in range(100):
        if os.path.exists(link):
            break
        time.sleep(0.05)
    out = os.path.join(work, "read.dat")
    if direction == "read":
        r = run(cli + ["read", "--port", link, out])
    else:
        r = run(cli + ["write", "--port", link, image])
    sim.stdin.write(b"quit\n")
    sim.stdin.flush()
    _, err = sim.communicate(timeout=30)
    r["err"] = "\n".join(l for l in r["err"].splitlines() if "%" not in l)
    r["trace"] = clean_trace(err.decode("utf-8", "replace"))
    if direction == "read" and os.path.exists(out):
        with open(out, "rb") as f:
            r["file"] = f.read().hex()
    return r


def outputs(bindir, imgdir, count):
    """Every output for every image, as a dict name -> text."""
    result = {}
    # One fixed working folder, so that paths in messages come out the same every run.
    # Runs at the same time wait for each other.
    work = os.path.join(tempfile.gettempdir(), "k52-golden-work")
    lock = open(work + ".lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # A program folder of its own, so that the read's backups stay out of the build.
    folder = os.path.join(work, "program")
    os.makedirs(folder)
    for name in ("minglyc.dll", "dhcpqec.dll"):
        shutil.copy(os.path.join(bindir, name), folder)
    cli = [os.path.join(bindir, "k52cli"), "--program-folder", folder]
    for i in range(count):
        image = os.path.join(imgdir, "img%03d.dat" % i)
        result["decode/%03d" % i] = run(cli + ["decode", image])
        if i % 4 == 0:
            result["decode-eng/%03d" % i] = run(cli[:1] + ["--lang", "3"] + cli[1:] + ["decode", image])
        norm = os.path.join(work, "n.dat")
        r = run(cli + ["normalize", image, norm])
        if os.path.exists(norm):
            with open(norm, "rb") as f:
                r["file"] = f.read().hex()
            os.remove(norm)
        result["normalize/%03d" % i] = r
    for i in range(TRACED):
        image = os.path.join(imgdir, "img%03d.dat" % (i * 7 + 1))
        for direction in ("read", "write"):
            result["%s/%03d" % (direction, i * 7 + 1)] = transfer(bindir, cli, image, work, direction)
    shutil.rmtree(work, ignore_errors=True)
    return result


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("mode", choices=["record", "compare"])
    ap.add_argument("dir")
    ap.add_argument("--bin", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "bin"))
    ap.add_argument("--count", type=int, default=240)
    args = ap.parse_args()
    bindir = os.path.abspath(args.bin)
    imgdir = os.path.join(args.dir, "images")
    if args.mode == "record":
        shutil.rmtree(args.dir, ignore_errors=True)
        os.makedirs(imgdir)
        rng = random.Random(5252)
        for i in range(args.count):
            with open(os.path.join(imgdir, "img%03d.dat" % i), "wb") as f:
                f.write(make_image(rng, i))
        result = outputs(bindir, imgdir, args.count)
        with open(os.path.join(args.dir, "golden.json"), "w") as f:
            json.dump(result, f, indent=0, sort_keys=True)
        print("recorded %d outputs of %d images in %s" % (len(result), args.count, args.dir))
        return 0
    with open(os.path.join(args.dir, "golden.json")) as f:
        golden = json.load(f)
    count = len([n for n in os.listdir(imgdir) if n.endswith(".dat")])
    result = outputs(bindir, imgdir, count)
    different = [k for k in sorted(golden) if result.get(k) != golden[k]]
    for k in different[:10]:
        fields = [f for f in golden[k] if result.get(k, {}).get(f) != golden[k][f]]
        print("different: %s (%s)" % (k, ", ".join(fields)))
    print("identical: %d, different: %d" % (len(golden) - len(different), len(different)))
    return 1 if different else 0


if __name__ == "__main__":
    sys.exit(main())
