#!/usr/bin/env python3
"""Plain Python CSV export of an oscilloscope recording, for comparison with the program's own.

Usage: osc2csv.py IN.osc OUT.csv COLUMNS.json

COLUMNS.json lists the exported channels in order: [{"label": ..., "type": ..., "offset": ...,
"scale": ..., "decimals": ...}, ...]. The decoder table and the number formats are the program's:
raw readings by encoding type, times the channel's scale, "0.0" times, ";" after every field,
CR LF line ends, "." as the decimal separator.
"""
import json
import math
import sys

HEAD = 4096
SAMPLE = 128


def raw(kind, offset, scale, s):
    word = kind in (11, 21, 24)
    if offset < 0 or offset + (2 if word else 1) > SAMPLE:
        return 0
    r = s[offset]
    w = r | (s[offset + 1] << 8) if word else 0
    if 0 <= kind <= 7:
        return (r >> kind) & 1
    if kind == 10:
        return r
    if kind == 11:
        return w
    if kind == 20:
        return r - 128
    if kind == 21:
        return w - 273
    if kind == 22:
        q = 128 if r == 0 else r
        return int((q - 128) * 100 / 128)
    if kind == 23:
        return r
    if kind == 24:
        return int(3.0 * w + (7.35 / scale if scale != 0 else 0.0))
    return 0


def general(v):
    if v == math.floor(v) and abs(v) < 1e15:
        return str(int(v))
    return '%.15g' % v


def fixed(v, decimals):
    scaled = v * (10.0 ** decimals)
    if not abs(scaled) < 9e17:
        return '0'
    n = int(math.floor(abs(scaled) + 0.5))
    sign = '-' if scaled < 0 and n != 0 else ''
    p = 10 ** decimals
    return '%s%d.%0*d' % (sign, n // p, decimals, n % p)


def main():
    src, dst, spec = sys.argv[1:4]
    with open(spec, encoding='utf-8') as f:
        columns = json.load(f)
    with open(src, 'rb') as f:
        data = f.read()
    if len(data) < HEAD or data[:8] != b'osc file' or data[8] != 1 or data[9] != 1:
        sys.exit('not a recording')
    count = (len(data) - HEAD) // SAMPLE
    lines = ['sec;' + ''.join(c['label'] + ';' for c in columns)]
    for i in range(count):
        s = data[HEAD + i * SAMPLE:HEAD + (i + 1) * SAMPLE]
        fields = ['%d.%d' % (i // 10, i % 10)]
        for c in columns:
            d = c['decimals']
            if d > 3:
                continue
            v = raw(c['type'], c['offset'], c['scale'], s) * c['scale']
            fields.append(general(v) if d <= 0 else fixed(v, d))
        lines.append(';'.join(fields) + ';')
    with open(dst, 'w', encoding='utf-8', newline='') as f:
        f.write('\r\n'.join(lines) + '\r\n')


if __name__ == '__main__':
    main()
