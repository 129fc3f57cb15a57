"""Builds an AVIF whose alpha plane is coded in limited range, as some encoders write it and
avifenc does not: the alpha item of an AVIF with alpha is given the coded picture of a
limited-range monochrome AVIF of the same size (appended in a second mdat box).

usage: limited_range_alpha.py WITH_ALPHA.avif LIMITED_GREY.avif OUT.avif"""
import struct
import sys

def boxes(data, start, end):
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack('>I4s', data[at:at + 8])
        header = 8
        if size == 1:
            size = struct.unpack('>Q', data[at + 8:at + 16])[0]; header = 16
        elif size == 0:
            size = end - at
        yield kind.decode('latin1'), at, at + header, at + size
        at += size

def child(data, start, end, kind):
    for k, at, body, stop in boxes(data, start, end):
        if k == kind:
            return at, body, stop
    raise SystemExit('no %s box' % kind)

def meta_of(data):
    _, body, stop = child(data, 0, len(data), 'meta')
    return body + 4, stop  # past version and flags

def read_uint(data, at, size):
    return int.from_bytes(data[at:at + size], 'big') if size else 0

def iloc_items(data):
    """{item: (position of the first extent's offset field, offset size, length size, offset, length)}"""
    start, stop = meta_of(data)
    _, body, end = child(data, start, stop, 'iloc')
    version = data[body]
    at = body + 4
    offset_size, length_size = data[at] >> 4, data[at] & 15
    base_size, index_size = data[at + 1] >> 4, (data[at + 1] & 15) if version in (1, 2) else 0
    at += 2
    count_size = 4 if version == 2 else 2
    count = read_uint(data, at, count_size); at += count_size
    items = {}
    for _ in range(count):
        id_size = 4 if version == 2 else 2
        item = read_uint(data, at, id_size); at += id_size
        if version in (1, 2):
            at += 2  # construction method
        at += 2  # data reference index
        base = read_uint(data, at, base_size); at += base_size
        extents = read_uint(data, at, 2); at += 2
        for e in range(extents):
            at += index_size
            offset_at = at
            offset = read_uint(data, at, offset_size); at += offset_size
            length = read_uint(data, at, length_size); at += length_size
            if e == 0:
                items[item] = (offset_at, offset_size, length_size, base + offset, length)
        if extents != 1:
            raise SystemExit('item %d has %d extents' % (item, extents))
    return items

def primary(data):
    start, stop = meta_of(data)
    _, body, _ = child(data, start, stop, 'pitm')
    return read_uint(data, body + 4, 4 if data[body] else 2)

def alpha_item(data):
    """The item whose iref 'auxl' points to the primary item."""
    start, stop = meta_of(data)
    _, body, end = child(data, start, stop, 'iref')
    id_size = 4 if data[body] else 2
    main = primary(data)
    for kind, at, inner, stop2 in boxes(data, body + 4, end):
        source = read_uint(data, inner, id_size)
        count = read_uint(data, inner + id_size, 2)
        targets = [read_uint(data, inner + id_size + 2 + i * id_size, id_size) for i in range(count)]
        if kind == 'auxl' and main in targets:
            return source
    raise SystemExit('no alpha item')

with_alpha = bytearray(open(sys.argv[1], 'rb').read())
grey = open(sys.argv[2], 'rb').read()
_, _, _, grey_offset, grey_length = iloc_items(grey)[primary(grey)]
payload = grey[grey_offset:grey_offset + grey_length]
offset_at, offset_size, length_size, _, _ = iloc_items(with_alpha)[alpha_item(with_alpha)]
position = len(with_alpha) + 8
with_alpha[offset_at:offset_at + offset_size] = position.to_bytes(offset_size, 'big')
with_alpha[offset_at + offset_size:offset_at + offset_size + length_size] = \
    len(payload).to_bytes(length_size, 'big')
with_alpha += struct.pack('>I4s', len(payload) + 8, b'mdat') + payload
open(sys.argv[3], 'wb').write(with_alpha)
