#!/usr/bin/env python3
"""Writes the seed images of the codec fuzzer into tests/fuzz/corpus/codec/.

Each seed is an 8 KB memory image laid out by hand from the radio's memory map, so the
fuzzer starts from inputs that reach every codec path: valid and empty channels, every
kind of tone, names, option bits, FM stations and the band record. Deterministic: run it
again and the files come out the same.
"""
import os
import random

SIZE = 0x2000
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fuzz", "corpus", "codec")

TONES = [670, 693, 719, 744, 770, 797, 825, 854, 885, 915, 948, 974, 1000, 1035, 1072, 1109,
         1148, 1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679,
         1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181,
         2257, 2291, 2336, 2418, 2503, 2541]
DCS = [0x023, 0x025, 0x026, 0x031, 0x032, 0x036, 0x043, 0x047, 0x051, 0x053, 0x054, 0x065,
       0x071, 0x072, 0x073, 0x074, 0x114, 0x115, 0x116, 0x122, 0x125, 0x131, 0x132, 0x134,
       0x143, 0x145, 0x152, 0x155, 0x156, 0x162, 0x165, 0x172, 0x174, 0x205, 0x212, 0x223,
       0x225, 0x226, 0x243, 0x244, 0x245, 0x246, 0x251, 0x252, 0x255, 0x261, 0x263, 0x265,
       0x266, 0x271, 0x274, 0x306, 0x311, 0x315, 0x325, 0x331, 0x332, 0x343, 0x346, 0x351,
       0x356, 0x364, 0x365, 0x371, 0x411, 0x412, 0x413, 0x423, 0x431, 0x432, 0x445, 0x446,
       0x452, 0x454, 0x455, 0x462, 0x464, 0x465, 0x466, 0x503, 0x506, 0x516, 0x523, 0x526,
       0x532, 0x546, 0x565, 0x606, 0x612, 0x624, 0x627, 0x631, 0x632, 0x645, 0x654, 0x662,
       0x664, 0x703, 0x712, 0x723, 0x731, 0x732, 0x734, 0x743, 0x754]


def bcd(v):
    return (v // 10) * 16 + v % 10


def bcd4(value):
    """Eight decimal digits, least significant byte first."""
    return [bcd((value // 100 ** i) % 100) for i in range(4)]


def tone_code(k):
    """Image code (16 bits) of tone-list entry k (1-260)."""
    if k <= 50:
        return int(str(TONES[k - 1]).zfill(4), 16)
    if k <= 155:
        return 0x8000 | DCS[k - 51]
    return 0xC000 | DCS[k - 156]


def band(img, lo, hi):
    img[0x0FF0] = (lo // 100) * 16 + (lo % 100) // 10
    img[0x0FF1] = (hi // 100) * 16 + (hi % 100) // 10
    img[0x0FF2] = (lo % 10) * 16 + hi % 10


def channel(img, n, rx, tx, dec, enc, flags, name):
    a = 16 * (n - 1)
    img[a:a + 4] = bcd4(rx) if rx is not None else [0xFF] * 4
    img[a + 4:a + 8] = bcd4(tx) if tx is not None else [0xFF] * 4
    for off, k in ((8, dec), (10, enc)):
        code = tone_code(k) if k else 0xFFFF
        img[a + off] = code & 0xFF
        img[a + off + 1] = code >> 8
    img[a + 12] = flags
    img[a + 13:a + 16] = name[:3]
    e = 0x0C70 + 2 * (n - 1)
    img[e:e + 2] = name[3:5]


def options(img, rng):
    img[0x0E10:0x0E18] = [rng.randrange(256) for _ in range(3)] + [3, 6, 4, 2, 0]
    img[0x0E19] = 5
    img[0x0E1A] = 2
    img[0x0E1B:0x0E20] = [20, 5, 2, 36, 36]
    for i in range(25):
        f = 870 + 8 * i
        img[0x0E60 + 4 * i:0x0E64 + 4 * i] = bcd4(f * 10000)
    img[0x0EC4:0x0EC8] = [0, 0, 0, 0]


def erased():
    img = bytearray([0xFF] * SIZE)
    img[0x0E10:0x0E18] = [0] * 8
    band(img, 400, 470)
    return img


def full_table(rng):
    img = erased()
    band(img, 400, 470)
    for n in range(1, 200):
        rx = 40000000 + 25000 * n
        channel(img, n, rx, rx + 500000, 1 + n % 260, 1 + (n * 37) % 260, rng.randrange(256),
                [(n + 7 * i) % 45 for i in range(5)])
    options(img, rng)
    return img


def odd_corners(rng):
    img = erased()
    band(img, 136, 175)  # no such band
    channel(img, 1, 14552500, 14502500, 1, 51, 0x2A, [10, 11, 1, 35, 44])
    channel(img, 2, 17399500, None, 0, 260, 0x06, [255, 10, 11, 12, 13])
    channel(img, 3, 12000000, 1000000, 156, 50, 0xFF, [10, 255, 11, 36, 36])  # seven-digit TX
    img[48:52] = [0x00, 0x00, 0x50, 0x1A]  # RX with a digit A-F
    img[52:56] = [0x00, 0x0B, 0x50, 0x14]  # TX with a digit A-F
    img[64 + 8:64 + 12] = [0x90, 0x06, 0x99, 0x99]  # tones not in the list
    options(img, rng)
    img[0x0E60:0x0E64] = [0x00, 0x00, 0x7A, 0x08]  # FM station with a digit A-F
    img[0x0E13] = 0x0A
    img[0x0E15] = 0x0C
    return img


def noisy(rng):
    img = full_table(rng)
    for _ in range(600):
        img[rng.randrange(SIZE)] = rng.randrange(256)
    band(img, 120, 520)
    return img


def main():
    rng = random.Random(52)
    os.makedirs(OUT, exist_ok=True)
    seeds = {"erased": erased(), "full-table": full_table(rng), "odd-corners": odd_corners(rng),
             "noisy": noisy(rng)}
    for name, img in seeds.items():
        assert len(img) == SIZE
        with open(os.path.join(OUT, name + ".bin"), "wb") as f:
            f.write(img)


if __name__ == "__main__":
    main()
