#!/usr/bin/env python3
"""CSV channel lists in and out, over generated configurations.

  python3 scripts/csv-interchange.py [--bin build/bin] [--rounds 100] [--seed 1] [--chirp]

Each round makes a random channel plan, imports it into the default image with
`k52cli import`, exports that with `k52cli export`, imports the export again and checks that
`k52cli decode` gives the same channels both times. With --chirp the export also goes through
CHIRP's generic CSV module (the Debian package `chirp`; only chirp_common and
drivers.generic_csv are used): loaded, saved, imported back, and each channel field that did
not come through is counted. Not run by CTest: CHIRP is not installed there.
"""
import argparse
import collections
import json
import os
import random
import subprocess
import sys
import tempfile

CHARS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ +=%/[]-_"
TONES = ["67.0", "71.9", "88.5", "100.0", "123.0", "159.8", "203.5", "254.1"]
CODES = ["023", "025", "114", "243", "411", "754"]
HEADER = ("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
          "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE")
CROSS = ["Tone->Tone", "Tone->DTCS", "DTCS->Tone", "->Tone", "->DTCS", "DTCS->", "DTCS->DTCS"]


def mhz(ten_hz):
    return "%d.%06d" % (ten_hz // 100000, ten_hz % 100000 * 10)


def random_frequency(rnd):
    step = rnd.choice([500, 1250])
    return rnd.randrange(40000000 // step + 1, 46900000 // step) * step


def random_plan(rnd, old_chirp_columns):
    """Rows of a plan; with old_chirp_columns only what a CSV without Power, CrossMode
    and RxDtcsCode can say (the default power, no cross tones)."""
    rows = []
    for loc in rnd.sample(range(1, 200), rnd.randint(1, 40)):
        rx = random_frequency(rnd)
        duplex, offset = rnd.choice([("", 0), ("+", 500000), ("-", 760000), ("off", 0), ("split", None)])
        if duplex == "split":
            offset = random_frequency(rnd)
        elif duplex == "+" and rx + offset > 46999500 or duplex == "-" and rx - offset < 40000000:
            duplex, offset = "", 0
        tmodes = ["", "Tone", "TSQL", "DTCS"] + ([] if old_chirp_columns else ["Cross"])
        tmode = rnd.choice(tmodes)
        cross = rnd.choice(CROSS)
        power = "High" if old_chirp_columns else rnd.choice(["High", "Middle", "Low"])
        name = "".join(rnd.choice(CHARS) for _ in range(rnd.randint(0, 5))).rstrip()
        rows.append([str(loc), name, mhz(rx), duplex, mhz(offset), tmode, rnd.choice(TONES), rnd.choice(TONES),
                     rnd.choice(CODES), rnd.choice("NR") + rnd.choice("NR"), rnd.choice(CODES), cross,
                     rnd.choice(["FM", "NFM"]), "5.00", rnd.choice(["", "S"]), power, "", "", "", "", ""])
    return HEADER + "\r\n" + "".join(",".join(r) + "\r\n" for r in rows)


def k52cli(bin_dir, *args):
    p = subprocess.run([os.path.join(bin_dir, "k52cli"), "--lang", "3", *args], capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr


def channels(bin_dir, dat):
    code, out, err = k52cli(bin_dir, "decode", dat)
    if code != 0:
        raise SystemExit("decode %s: %s" % (dat, err))
    return json.loads(out)["channels"]


def through_chirp(src, dst):
    sys.path.append("/usr/lib/python3/dist-packages")
    from chirp.drivers import generic_csv  # noqa: E402
    radio = generic_csv.CSVRadio(None)
    radio._blank()
    with open(src, newline="") as f:  # load() opens with mode "rU", gone in Python 3.11
        radio._load(f)
    radio.save(dst)
    return radio.errors


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bin", default="build/bin")
    ap.add_argument("--rounds", type=int, default=100)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--chirp", action="store_true")
    a = ap.parse_args()
    rnd = random.Random(a.seed)
    base = os.path.join(a.bin, "dhcpqec.dll")
    failed = 0
    lost = collections.Counter()
    chirp_rounds = chirp_channels = 0
    with tempfile.TemporaryDirectory() as tmp:
        f = lambda name: os.path.join(tmp, name)
        for r in range(a.rounds):
            old = a.chirp and r % 2 == 0
            with open(f("plan.csv"), "w", newline="") as out:
                out.write(random_plan(rnd, old))
            code, _, err = k52cli(a.bin, "import", f("plan.csv"), base, f("one.dat"))
            if code != 0:
                print("round %d: plan refused:\n%s" % (r, err))
                failed += 1
                continue
            k52cli(a.bin, "export", f("one.dat"), f("one.csv"))
            k52cli(a.bin, "import", f("one.csv"), base, f("two.dat"))
            if channels(a.bin, f("one.dat")) != channels(a.bin, f("two.dat")):
                print("round %d: export and import changed the channels" % r)
                failed += 1
            if not a.chirp:
                continue
            errors = through_chirp(f("one.csv"), f("chirp.csv"))
            code, _, err = k52cli(a.bin, "import", f("chirp.csv"), base, f("three.dat"))
            if errors or code != 0:
                print("round %d: CHIRP: %s %s" % (r, errors, err))
                failed += 1
                continue
            chirp_rounds += 1
            for c1, c3 in zip(channels(a.bin, f("one.dat")), channels(a.bin, f("three.dat"))):
                if c1["rx"] == -1:
                    continue
                chirp_channels += 1
                for key in c1:
                    if c1[key] != c3[key]:
                        lost[(old, key)] += 1
    print("rounds: %d, failed: %d" % (a.rounds, failed))
    if a.chirp:
        print("through CHIRP: %d rounds, %d channels" % (chirp_rounds, chirp_channels))
        for old in (True, False):
            kind = "plans without Power/Cross" if old else "plans with Power/Cross"
            print("  %s: fields changed: %s" % (kind, dict((k, v) for (o, k), v in lost.items() if o == old) or "none"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
