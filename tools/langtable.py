#!/usr/bin/env python3
"""Edit the program's language table.

The table is stored as resources/lang/texts.tab: UTF-16LE with byte-order mark, CR LF after every
row, one row per text ID: NNNN<TAB>Polish<TAB>English<TAB>Russian<TAB>Spanish.

  langtable.py export TABLE OUT.tsv   writes the rows as UTF-8 (LF) for editing
  langtable.py import IN.tsv TABLE    writes the stored form back from such a file
  langtable.py merge PL EN RU ES TABLE  builds the table from four "ID<TAB>text" column files
Rows 1450..1461 keep a single text (the same in every language).
"""
import sys

SINGLE = range(1450, 1462)


def read_stored(path):
    data = open(path, 'rb').read()
    assert data[:2] == b'\xff\xfe', 'no byte-order mark'
    return data[2:].decode('utf-16-le').split('\r\n')[:-1]


def write_stored(rows, path):
    ids = [int(r[:4]) for r in rows]
    assert ids == sorted(set(ids)), 'IDs must be unique and ascending'
    with open(path, 'wb') as f:
        f.write(b'\xff\xfe' + ''.join(r + '\r\n' for r in rows).encode('utf-16-le'))


def column(path):
    cells = {}
    for line in open(path, encoding='utf-8'):
        line = line.rstrip('\n')
        if not line:
            continue
        key, _, text = line.partition('\t')
        cells[int(key)] = text.split('\t')[0]
    return cells


def main(argv):
    if argv[:1] == ['export'] and len(argv) == 3:
        with open(argv[2], 'w', encoding='utf-8') as f:
            for r in read_stored(argv[1]):
                f.write(r + '\n')
    elif argv[:1] == ['import'] and len(argv) == 3:
        rows = [l.rstrip('\n') for l in open(argv[1], encoding='utf-8') if l.strip()]
        write_stored(rows, argv[2])
    elif argv[:1] == ['merge'] and len(argv) == 6:
        pl, en, ru, es = (column(p) for p in argv[1:5])
        rows = []
        for key in sorted(en):
            if key in SINGLE:
                rows.append('%04d\t%s' % (key, en[key]))
            else:
                rows.append('\t'.join(['%04d' % key, pl[key], en[key], ru[key], es[key]]))
        write_stored(rows, argv[5])
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
