#!/usr/bin/python3
"""Builds a HEIC file as phones write them: a grid of HEVC tiles, each tile coded on its own.

make-grid.py OUT WIDTH HEIGHT TILE TILE_FILE...: the tile files are single-picture HEIC files
(heif-enc's), in rows from the top left; their hvcC boxes and coded data become the grid's tiles.
"""
import struct
import sys


def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def full_box(kind, version, flags, payload):
    return box(kind, struct.pack(">I", (version << 24) | flags) + payload)


def children(data):
    at = 0
    while at + 8 <= len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        yield kind, data[at + 8:at + size], data[at:at + size]
        at += size


def tile_parts(path):
    """The tile's hvcC box and its coded data (heif-enc's mdat holds only the picture)."""
    data = open(path, "rb").read()
    hvcc = coded = None
    for kind, body, _ in children(data):
        if kind == b"mdat":
            coded = body
        elif kind == b"meta":
            for k, b, _ in children(body[4:]):
                if k == b"iprp":
                    for k2, b2, _ in children(b):
                        if k2 == b"ipco":
                            for k3, _, whole in children(b2):
                                if k3 == b"hvcC":
                                    hvcc = whole
    if hvcc is None or coded is None:
        sys.exit(f"{path}: no hvcC or mdat")
    return hvcc, coded


def main():
    out, width, height, tile = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    tiles = [tile_parts(p) for p in sys.argv[5:]]
    columns = (width + tile - 1) // tile
    rows = (height + tile - 1) // tile
    if len(tiles) != rows * columns:
        sys.exit(f"{rows * columns} tiles needed, {len(tiles)} given")
    grid_id = len(tiles) + 1
    grid_data = struct.pack(">BBBBHH", 0, 0, rows - 1, columns - 1, width, height)

    def meta(offsets):
        hdlr = full_box(b"hdlr", 0, 0, b"\0" * 4 + b"pict" + b"\0" * 12 + b"\0")
        pitm = full_box(b"pitm", 0, 0, struct.pack(">H", grid_id))
        infes = b"".join(
            full_box(b"infe", 2, 1, struct.pack(">HH", i + 1, 0) + b"hvc1" + b"\0")
            for i in range(len(tiles)))
        infes += full_box(b"infe", 2, 0, struct.pack(">HH", grid_id, 0) + b"grid" + b"\0")
        iinf = full_box(b"iinf", 0, 0, struct.pack(">H", len(tiles) + 1) + infes)
        dimg = box(b"dimg", struct.pack(">HH", grid_id, len(tiles)) +
                   b"".join(struct.pack(">H", i + 1) for i in range(len(tiles))))
        iref = full_box(b"iref", 0, 0, dimg)
        ispe_tile = full_box(b"ispe", 0, 0, struct.pack(">II", tile, tile))
        ispe_grid = full_box(b"ispe", 0, 0, struct.pack(">II", width, height))
        ipco = box(b"ipco", b"".join(h for h, _ in tiles) + ispe_tile + ispe_grid)
        entries = b"".join(struct.pack(">HBBB", i + 1, 2, 0x80 | (i + 1), len(tiles) + 1)
                           for i in range(len(tiles)))
        entries += struct.pack(">HBB", grid_id, 1, len(tiles) + 2)
        ipma = full_box(b"ipma", 0, 0, struct.pack(">I", len(tiles) + 1) + entries)
        iprp = box(b"iprp", ipco + ipma)
        locations = b"".join(struct.pack(">HHHII", i + 1, 0, 1, offsets[i], len(c))
                             for i, (_, c) in enumerate(tiles))
        locations += struct.pack(">HHHII", grid_id, 0, 1, offsets[-1], len(grid_data))
        iloc = full_box(b"iloc", 0, 0, bytes([0x44, 0x00]) +
                        struct.pack(">H", len(tiles) + 1) + locations)
        return full_box(b"meta", 0, 0, hdlr + pitm + iinf + iref + iprp + iloc)

    ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")
    start = len(ftyp) + len(meta([0] * (len(tiles) + 1))) + 8
    offsets, at = [], start
    for _, coded in tiles:
        offsets.append(at)
        at += len(coded)
    offsets.append(at)
    mdat = box(b"mdat", b"".join(c for _, c in tiles) + grid_data)
    with open(out, "wb") as f:
        f.write(ftyp + meta(offsets) + mdat)


main()
