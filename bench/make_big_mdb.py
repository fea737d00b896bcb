#!/usr/bin/python3
"""Writes a copy of a Jet 4 Access file whose table holds its rows several times over.

    make_big_mdb.py SOURCE DEST TABLE COPIES

The benchmarks need an Access table of a million rows and nothing here writes Access files,
so this clones one: every data page of TABLE is appended COPIES - 1 more times, a new page
holds a usage map (an inline bitmap) that names the old data pages and the clones, the
table definition points at that map and counts COPIES times its rows. Rows that point
outside their own page (overflow rows, long values) would be shared by the clones, so a
table with any is refused.
"""
import struct
import subprocess
import sys

PAGE = 4096
ROW_COUNT = 12        # a data page's row count; the row offsets follow it
TDEF_ROWS = 16        # a table definition's row count
TDEF_USAGE_MAP = 55   # the row (page << 8 | row) holding a table definition's usage map


def row_bytes(page, row):
    start = struct.unpack_from('<H', page, ROW_COUNT + 2 + row * 2)[0] & 0x1FFF
    end = PAGE if row == 0 else struct.unpack_from('<H', page, ROW_COUNT + row * 2)[0] & 0x1FFF
    return page[start:end]


def map_pages(data, usage_map):
    """The pages an inline (0) or reference (1) usage map marks."""
    pages = []
    if usage_map[0] == 0:
        first = struct.unpack_from('<I', usage_map, 1)[0]
        bits = usage_map[5:]
        pages = [first + i for i in range(len(bits) * 8) if bits[i // 8] >> (i % 8) & 1]
    elif usage_map[0] == 1:
        per_page = (PAGE - 4) * 8
        for slot in range((len(usage_map) - 1) // 4):
            bitmap_page = struct.unpack_from('<I', usage_map, 1 + slot * 4)[0]
            if not bitmap_page:
                continue
            bits = data[bitmap_page * PAGE + 4:(bitmap_page + 1) * PAGE]
            pages += [slot * per_page + i for i in range(per_page) if bits[i // 8] >> (i % 8) & 1]
    else:
        sys.exit('unknown usage map type %d' % usage_map[0])
    return pages


def table_page(source, name):
    """The definition page of a user table: the low three bytes of its Id in MSysObjects."""
    out = subprocess.run(['mdb-export', '-d', '\t', '-Q', source, 'MSysObjects'],
                         check=True,
                         capture_output=True).stdout.decode("utf-8", "replace").splitlines()
    header = out[0].split('\t')
    for line in out[1:]:
        fields = dict(zip(header, line.split('\t')))
        if fields.get('Name') == name and fields.get('Type') == '1':
            return int(fields['Id']) & 0xFFFFFF
    sys.exit('no table ' + name)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, dest, name, copies = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    data = bytearray(open(source, 'rb').read())
    tdef = table_page(source, name)
    pointer = struct.unpack_from('<I', data, tdef * PAGE + TDEF_USAGE_MAP)[0]
    map_page = data[(pointer >> 8) * PAGE:((pointer >> 8) + 1) * PAGE]
    pages = [p for p in map_pages(data, row_bytes(map_page, pointer & 0xFF))
             if data[p * PAGE] == 1 and struct.unpack_from('<I', data, p * PAGE + 4)[0] == tdef]
    for p in pages:
        page = data[p * PAGE:(p + 1) * PAGE]
        for r in range(struct.unpack_from('<H', page, ROW_COUNT)[0]):
            if struct.unpack_from('<H', page, ROW_COUNT + 2 + r * 2)[0] & 0x4000:
                sys.exit('page %d row %d points elsewhere: the table cannot be cloned' % (p, r))
    total = len(data) // PAGE
    clones = []
    for _ in range(copies - 1):
        for p in pages:
            data += data[p * PAGE:(p + 1) * PAGE]
            clones.append(total)
            total += 1
    # The new usage map: one row filling a page of its own.
    marked = pages + clones
    first = min(marked)
    bits = bytearray((max(marked) - first) // 8 + 1)
    for p in marked:
        bits[(p - first) // 8] |= 1 << ((p - first) % 8)
    usage = bytes([0]) + struct.pack('<I', first) + bytes(bits)
    start = PAGE - len(usage)
    if start < ROW_COUNT + 4:
        sys.exit('too many pages for one usage map')
    page = bytearray(PAGE)
    page[0], page[1] = 1, 1
    struct.pack_into('<H', page, 2, start - ROW_COUNT - 4)  # free space
    struct.pack_into('<H', page, ROW_COUNT, 1)
    struct.pack_into('<H', page, ROW_COUNT + 2, start)
    page[start:] = usage
    data += page
    struct.pack_into('<I', data, tdef * PAGE + TDEF_USAGE_MAP, total << 8)
    rows = struct.unpack_from('<I', data, tdef * PAGE + TDEF_ROWS)[0]
    struct.pack_into('<I', data, tdef * PAGE + TDEF_ROWS, rows * copies)
    open(dest, 'wb').write(data)


if __name__ == '__main__':
    main()
