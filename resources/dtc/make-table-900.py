#!/usr/bin/env python3
"""Writes the English trouble-code table (resource 900) from Debian's scantool data.

The scantool package ships /usr/share/scantool/codes.dat, an uncompressed Allegro datafile whose
objects BCODES, CCODES, PCODES and UCODES hold tab-separated lines "code<TAB>make<TAB>description".
Only the entries of make "Generic" (the SAE J2012 codes common to every car) are taken. The table is
written in the program's stored form: code page 1250 text, one "CODE description" entry per line,
CR LF line ends, no line end after the last entry, entries ordered P, C, B, U and by code.

usage: make-table-900.py [codes.dat] [output]
"""
import re
import struct
import sys


def objects(data):
    if data[:8] != b"slh.ALL.":
        raise SystemExit("not an uncompressed Allegro datafile")
    pos = 8
    (count,) = struct.unpack(">I", data[pos:pos + 4])
    pos += 4
    for _ in range(count):
        props = {}
        while data[pos:pos + 4] == b"prop":
            name = data[pos + 4:pos + 8]
            (size,) = struct.unpack(">I", data[pos + 8:pos + 12])
            props[name] = data[pos + 12:pos + 12 + size]
            pos += 12 + size
        (_, packed) = struct.unpack(">II", data[pos + 4:pos + 12])
        yield props.get(b"NAME", b""), data[pos + 12:pos + 12 + packed]
        pos += 12 + packed


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/scantool/codes.dat"
    target = sys.argv[2] if len(sys.argv) > 2 else "900.txt"
    entries = {}
    with open(source, "rb") as f:
        data = f.read()
    for name, body in objects(data):
        if not name.endswith(b"CODES"):
            continue
        for line in body.split(b"\n"):
            parts = line.rstrip(b"\r").split(b"\t")
            if len(parts) != 3 or parts[1] != b"Generic":
                continue
            code, description = parts[0], parts[2].strip()
            if not re.fullmatch(rb"[PCBU][0-3][0-9A-F]{3}", code) or not description:
                continue
            entries.setdefault(code, description)
    order = b"PCBU"
    lines = [code + b" " + entries[code] for code in sorted(entries, key=lambda c: (order.index(c[:1]), c))]
    # The descriptions are ASCII; anything else would not be code page 1250 text.
    for line in lines:
        line.decode("ascii")
    with open(target, "wb") as f:
        f.write(b"\r\n".join(lines))


if __name__ == "__main__":
    main()
