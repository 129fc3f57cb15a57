#!/usr/bin/env python3
"""Writes BMP files in every form the reader supports, plus the expected pixels.

Usage: make_bmp_forms.py OUTDIR
For each form NAME it writes OUTDIR/NAME.bmp and OUTDIR/NAME.rgb (the picture as top-down RGB
bytes). The files are built byte by byte here, independently of Pixtrel's own writer.
"""
import random
import struct
import sys

W, H = 13, 7
rnd = random.Random(7)


def pad4(b):
    return b + b"\0" * (-len(b) % 4)


def file_header(body_len, offset):
    return b"BM" + struct.pack("<IHHI", 14 + body_len, 0, 0, offset)


def info_header(size, w, h, bpp, compression, colors_used=0, masks=None, size_image=0):
    hdr = struct.pack("<IiiHHIIiiII", size, w, h, 1, bpp, compression, size_image, 2835, 2835,
                      colors_used, 0)
    if size > 40:
        extra = b""
        if masks:
            extra += struct.pack("<IIII", masks[0], masks[1], masks[2], 0)
        extra = extra.ljust(size - 40, b"\0")
        hdr += extra
    return hdr


def core_header(w, h, bpp):
    return struct.pack("<IHHHH", 12, w, h, 1, bpp)


def write(outdir, name, data, rgb_rows):
    open(f"{outdir}/{name}.bmp", "wb").write(data)
    open(f"{outdir}/{name}.rgb", "wb").write(b"".join(bytes(sum(r, ())) for r in rgb_rows))


def palette_picture(colours):
    palette = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(colours)]
    idx = [[rnd.randrange(colours) for _ in range(W)] for _ in range(H)]
    return palette, idx


def pack_indices(row, bpp):
    if bpp == 8:
        return bytes(row)
    out = bytearray()
    per = 8 // bpp
    for i in range(0, len(row), per):
        v = 0
        for j in range(per):
            v <<= bpp
            if i + j < len(row):
                v |= row[i + j]
        out.append(v)
    return bytes(out)


def palette_form(outdir, name, bpp, core=False, colors_used=0, top_down=False):
    n = colors_used or (1 << bpp)
    palette, idx = palette_picture(n)
    if core:
        hdr = core_header(W, H, bpp)
        table = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        hdr = info_header(40, W, -H if top_down else H, bpp, 0, colors_used)
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    rows = [pad4(pack_indices(r, bpp)) for r in idx]
    pixels = b"".join(rows if top_down else rows[::-1])
    offset = 14 + len(hdr) + len(table)
    write(outdir, name, file_header(len(hdr) + len(table) + len(pixels), offset) + hdr + table + pixels,
          [[palette[i] for i in r] for r in idx])


def true_colour_picture():
    return [[(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(W)]
            for _ in range(H)]


def scale(v, bits):
    return (v * 255 + ((1 << bits) - 1) // 2) // ((1 << bits) - 1)


def deep_form(outdir, name, bpp, header_size=40, masks=None, masks_after=False, top_down=False,
              core=False):
    pic = true_colour_picture()
    expect = []
    rows = []
    for r in pic:
        line = b""
        out_row = []
        for (R, G, B) in r:
            if bpp == 24:
                line += bytes((B, G, R))
                out_row.append((R, G, B))
            elif bpp == 32 and masks is None:
                line += bytes((B, G, R, 0x5A))
                out_row.append((R, G, B))
            else:
                m = masks or (0x7C00, 0x03E0, 0x001F)
                value = 0
                got = []
                for v, mask in zip((R, G, B), m):
                    shift = (mask & -mask).bit_length() - 1
                    bits = bin(mask).count("1")
                    q = v >> (8 - bits) if bits <= 8 else v << (bits - 8)
                    value |= q << shift
                    got.append(scale(q, bits))
                line += struct.pack("<H" if bpp == 16 else "<I", value)
                out_row.append(tuple(got))
        rows.append(pad4(line))
        expect.append(out_row)
    if core:
        hdr = core_header(W, H, bpp)
    else:
        compression = 3 if masks else 0
        hdr = info_header(header_size, W, -H if top_down else H, bpp, compression,
                          masks=masks if header_size > 40 else None)
        if masks and masks_after:
            hdr += struct.pack("<III", *masks)
    pixels = b"".join(rows if top_down else rows[::-1])
    offset = 14 + len(hdr)
    write(outdir, name, file_header(len(hdr) + len(pixels), offset) + hdr + pixels, expect)


def rle_form(outdir, name, bpp):
    colours = 1 << bpp
    palette, _ = palette_picture(colours)
    idx = [[0] * W for _ in range(H)]
    data = bytearray()
    for y in range(H):  # file order: bottom row first
        row = H - 1 - y
        x = 0
        if y == 2:
            # a delta skips two pixels of this row and one row up; the skipped pixels keep index 0
            data += bytes((0, 2, 2, 1))
            x = 2
            row -= 1
        if row < 0:
            break
        while x < W:
            n = min(W - x, rnd.choice((1, 3, 4, 5)))
            if rnd.random() < 0.5 and n >= 3:
                # absolute run
                vals = [rnd.randrange(colours) for _ in range(n)]
                data += bytes((0, n))
                payload = pack_indices(vals, 4) if bpp == 4 else bytes(vals)
                data += payload + (b"\0" if len(payload) % 2 else b"")
            else:
                a, b = rnd.randrange(colours), rnd.randrange(colours)
                vals = [a if (i % 2 == 0 or bpp == 8) else b for i in range(n)]
                data += bytes((n, a if bpp == 8 else (a << 4) | b))
            idx[row][x:x + n] = vals
            x += n
        data += b"\0\0"
        if y == 2:
            break
    data += b"\0\1"
    # Rows above the one the delta moved into stay index 0 as well.
    hdr = info_header(40, W, H, bpp, 1 if bpp == 8 else 2, size_image=len(data))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(hdr) + len(table)
    write(outdir, name, file_header(len(hdr) + len(table) + len(data), offset) + hdr + table + data,
          [[palette[i] for i in r] for r in idx])


def main(outdir):
    palette_form(outdir, "info40_1bpp", 1)
    palette_form(outdir, "info40_4bpp", 4)
    palette_form(outdir, "info40_8bpp", 8)
    palette_form(outdir, "info40_8bpp_20colours", 8, colors_used=20)
    palette_form(outdir, "info40_8bpp_topdown", 8, top_down=True)
    palette_form(outdir, "core12_1bpp", 1, core=True)
    palette_form(outdir, "core12_4bpp", 4, core=True)
    palette_form(outdir, "core12_8bpp", 8, core=True)
    deep_form(outdir, "core12_24bpp", 24, core=True)
    deep_form(outdir, "info40_16bpp_555", 16)
    deep_form(outdir, "info40_24bpp", 24)
    deep_form(outdir, "info40_24bpp_topdown", 24, top_down=True)
    deep_form(outdir, "info40_32bpp", 32)
    deep_form(outdir, "info40_16bpp_565_fields", 16, masks=(0xF800, 0x07E0, 0x001F), masks_after=True)
    deep_form(outdir, "info40_32bpp_fields", 32, masks=(0x000000FF, 0x0000FF00, 0x00FF0000),
              masks_after=True)
    deep_form(outdir, "v4_108_16bpp_444_fields", 16, header_size=108, masks=(0x0F00, 0x00F0, 0x000F))
    deep_form(outdir, "v5_124_32bpp_fields", 32, header_size=124,
              masks=(0x00FF0000, 0x0000FF00, 0x000000FF))
    deep_form(outdir, "v5_124_32bpp_10bit_fields", 32, header_size=124,
              masks=(0x3FF00000, 0x000FFC00, 0x000003FF))
    rle_form(outdir, "rle8", 8)
    rle_form(outdir, "rle4", 4)


if __name__ == "__main__":
    main(sys.argv[1])
