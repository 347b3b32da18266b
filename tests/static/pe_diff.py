#!/usr/bin/env python3
"""Says where two Windows programs differ: the first differing section by
name, the bytes after the sections (a signature), and which header fields
differ (the link time and the checksum apart from the rest).
    pe_diff.py FIRST SECOND"""
import struct
import sys


def layout(data):
    """The two header fields, the headers' extent and the sections in file order."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    count, optional_size = struct.unpack_from('<H12xH', data, pe + 6)
    optional = pe + 24
    table = optional + optional_size
    fields = {'TimeDateStamp': pe + 8, 'CheckSum': optional + 64}
    headers_end = struct.unpack_from('<I', data, optional + 60)[0]
    sections = []
    for index in range(count):
        name, size, offset = struct.unpack_from('<8s8xII', data, table + 40 * index)
        if size:
            sections.append((offset, offset + size, name.rstrip(b'\0').decode('latin-1')))
    return fields, headers_end, sorted(sections)


def first_difference(first, second, start, end):
    return next((i for i in range(start, end) if first[i:i + 1] != second[i:i + 1]), None)


def main(first_path, second_path):
    first, second = (open(path, 'rb').read() for path in (first_path, second_path))
    if first == second:
        print('identical')
        return 0
    if len(first) != len(second):
        print(f'sizes differ: {len(first)} and {len(second)} bytes')
    fields, headers_end, sections = layout(first)
    differing = [(at, name) for start, end, name in sections
                 if (at := first_difference(first, second, start, end)) is not None]
    if differing:
        print(f'first differing section: {differing[0][1]} (offset {differing[0][0]:#x})')
        print('differing sections: ' + ' '.join(name for _, name in differing))
    else:
        print('the sections are the same')
    if first_difference(first, second, sections[-1][1], max(len(first), len(second))) is not None:
        print('the bytes after the sections differ (certificate table or appended data)')
    headers = [name for name, at in fields.items() if first[at:at + 4] != second[at:at + 4]]
    masked = [bytearray(data[:headers_end]) for data in (first, second)]
    for data in masked:
        for at in fields.values():
            data[at:at + 4] = bytes(4)
    if masked[0] != masked[1]:
        headers.append('other header fields')
    print('differing headers: ' + (' '.join(headers) or 'none'))
    return 1


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:3]))
