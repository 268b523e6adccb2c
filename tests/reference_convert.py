#!/usr/bin/env python3
"""An independent model of the converter, checked against the real binary.

It decodes both day file layouts with struct and prints every number with
exact rational arithmetic, sharing no code with the C++ converters. The check
generates day files (realistic ones from daygen, and random hostile bytes),
converts them with ReadZemlo in a temporary directory, and compares the
console text and the CSV bytes.

    reference_convert.py READZEMLO DAYGEN [ROUNDS]
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
from fractions import Fraction

HEADER = b"Date,Open,High,Low,Colse,Amount,Volume\r\n"
MAGIC = b"hd1.0\0"


def fixed(x, decimals):
    """x with `decimals` decimals: 17 significant digits, then half up."""
    if math.isnan(x):
        return "nan"
    sign = "-" if math.copysign(1.0, x) < 0 else ""
    if math.isinf(x):
        return sign + "inf"
    f = Fraction(abs(x))
    if f != 0:
        exp = len(str(f.numerator)) - len(str(f.denominator))
        while Fraction(10) ** exp > f:
            exp -= 1
        while Fraction(10) ** (exp + 1) <= f:
            exp += 1
        unit = Fraction(10) ** (exp - 16)
        q = f / unit
        n = math.floor(q)
        if q - n >= Fraction(1, 2):
            n += 1
        f = n * unit
    s = f * 10 ** decimals
    r = math.floor(s)
    if s - r >= Fraction(1, 2):
        r += 1
    digits = str(r).rjust(decimals + 1, "0")
    if decimals:
        digits = digits[:-decimals] + "." + digits[-decimals:]
    return sign + digits


def padded(v, width):
    if v < 0:
        return "-" + str(-v).rjust(width - 1, "0")
    return str(v).rjust(width, "0")


def date_text(d):
    def trunc_div(a, b):
        q = abs(a) // b
        return -q if a < 0 else q

    year = trunc_div(d, 10000)
    rest = d - year * 10000
    month = trunc_div(rest, 100)
    day = rest - month * 100
    return "%s/%s/%s" % (padded(year, 4), padded(month, 2), padded(day, 2))


def int_power(x, n):
    z = 1.0
    while True:
        if n & 1:
            z *= x
        n >>= 1
        if n == 0:
            return z
        x *= x


def packed(word):
    m = word & 0x0FFFFFFF
    e = (word >> 28) & 7
    return float(m) * int_power(0.1 if word >> 31 else 10.0, e)


def convert(data):
    """(console text, csv bytes) for one day file's bytes."""
    if not data:
        return "", b""
    probe = data[:16].ljust(16, b"\0")
    rows = []
    if probe[:6] == MAGIC:
        lo, hi, start, length = struct.unpack_from("<HHHH", probe, 6)
        num = struct.unpack("<i", struct.pack("<I", lo | hi << 16))[0]
        console = "RecordNum=%d\nRecordStart=%d\nRecordLen=%d\n" % (num, start, length)
        pos = min(16, len(data))
        if length == 0 or pos >= len(data):
            return console, b""
        pos += length
        while pos < len(data):
            rec = data[pos:pos + length][:28].ljust(28, b"\0")
            pos += length
            fields = struct.unpack("<i6I", rec)
            values = [packed(w) for w in fields[1:]]
            rows.append(",".join([date_text(fields[0])] +
                                 [fixed(v, 2) for v in values[:4]] +
                                 [fixed(v, 0) for v in values[4:]]))
    else:
        console = "iFileLen:%d\n" % (len(data) // 32)
        for pos in range(0, len(data), 32):
            rec = data[pos:pos + 32].ljust(32, b"\0")
            date, o, h, l, c, amount, volume = struct.unpack_from("<5Ifi", rec)
            rows.append(",".join([date_text(date)] +
                                 [fixed(p / 100.0, 2) for p in (o, h, l, c)] +
                                 [fixed(amount, 0), str(volume)]))
    return console, HEADER + b"".join(r.encode() + b"\r\n" for r in rows)


def hostile(rng):
    """Random bytes: as they come, or behind an hd1.0 header."""
    size = rng.choice([0, 1, 5, 15, 16, 17, 31, 32, 33, 64, 100, 500, 3200])
    body = bytes(rng.randrange(256) for _ in range(size))
    if rng.randrange(2) == 0:
        return body
    length = rng.choice([0, 1, 4, 27, 28, 29, 32, 40, 200])
    return MAGIC + struct.pack("<HHHH", rng.randrange(1 << 16), rng.randrange(1 << 16),
                               rng.randrange(1 << 16), length) + body


def run(binary, directory, names):
    p = subprocess.run([binary] + names, cwd=directory, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def main():
    binary, daygen = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    rng = random.Random(20261211)
    failures = 0
    checked = 0
    with tempfile.TemporaryDirectory() as d:
        files = {}
        for i, (layout, records) in enumerate([("plain", 3000), ("hd", 3000)]):
            name = "gen%d.day" % i
            subprocess.run([daygen, layout, os.path.join(d, name), str(records), str(i + 7)],
                           check=True)
            files[name] = open(os.path.join(d, name), "rb").read()
        for i in range(rounds):
            name = "h%d.day" % i
            files[name] = hostile(rng)
            with open(os.path.join(d, name), "wb") as f:
                f.write(files[name])
        names = sorted(files)
        status, out, err = run(binary, d, names)
        expected_out = "".join(n + "\n" + convert(files[n])[0] for n in reversed(names))
        if status != 0 or err or out != expected_out:
            failures += 1
            print("console differs: status %d, stderr %r" % (status, err))
        for n in names:
            checked += 1
            want = convert(files[n])[1]
            got = open(os.path.join(d, n[:-4] + ".csv"), "rb").read()
            if got != want:
                failures += 1
                print("%s: CSV differs\n%r\n%r" % (n, got[:400], want[:400]))
    print("%d passed, %d failed" % (checked - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
