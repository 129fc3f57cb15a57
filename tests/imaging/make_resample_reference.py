#!/usr/bin/env python3
"""Writes the resampler's reference outputs: a few small source pictures resampled with every
filter of the filter table, computed here from the resampler's definition alone, in plain
Python, with no code shared with the C++ resampler. The outputs are committed beside this script
(resample_reference/) and the C++ test compares the resampler's bytes with them.

Run it again only if the definition itself changes:  python3 make_resample_reference.py

The definition, as followed here:
- scale = D / S when S = 1, else (D - 1) / (S - 1), rounded to a 32-bit float;
- shrinking (scale < 1): width = support / scale and fscale = 1 / scale, both 32-bit floats;
  otherwise width = support;
- target pixel i: centre = i / scale (32-bit float); candidate source pixels j run from
  floor(centre - width) to ceil(centre + width); weight = f((centre - j) / fscale) / fscale when
  shrinking, else f(centre - j), the distance rounded to a 32-bit float and the weight a 32-bit
  float; zero weights are dropped; j < 0 reflects to -j, j >= S to 2S - 1 - j;
- a channel is the sum over the taps of byte x weight, the sum rounded to a 32-bit float after
  each addition; above 255 gives 255, below 0 gives 0, else the sum rounded to the nearest
  integer, ties to even;
- rows first into a byte picture of the target's width and the source's height, then columns.
The filters round to 32-bit floats where the definition says (see FILTERS below).
"""
import math
import os
import struct
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'resample_reference')


def f32(x):
    """x rounded to the nearest 32-bit float (ties to even)."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


def next_f32(x, up):
    """The 32-bit float next to the 32-bit float x, upwards or downwards."""
    bits = struct.unpack('<i', struct.pack('<f', x))[0]
    if x == 0.0:
        bits = 1 if up else -0x7FFFFFFF
    elif (x > 0) == up:
        bits += 1
    else:
        bits -= 1
    return struct.unpack('<f', struct.pack('<i', bits))[0]


def round_exact_f32(value):
    """A Fraction rounded once to the nearest 32-bit float, ties to the even one."""
    guess = f32(float(value))  # within one step of the answer
    best = None
    for candidate in (next_f32(guess, False), guess, next_f32(guess, True)):
        distance = abs(Fraction(candidate) - value)
        even = struct.unpack('<I', struct.pack('<f', candidate))[0] % 2 == 0
        if best is None or distance < best[0] or (distance == best[0] and even):
            best = (distance, candidate)
    return best[1]


def box(x):
    return 1.0 if -0.5 < x <= 0.5 else 0.0


def triangle(x):
    t = abs(x)
    return f32(1.0 - t) if t < 1.0 else 0.0


def hermite(x):
    t = abs(x)
    return f32((2.0 * t - 3.0) * t * t + 1.0) if t < 1.0 else 0.0


def bell(x):
    t = abs(x)
    if t < 0.5:
        return f32(0.75 - t * t)
    if t < 1.5:
        u = f32(t - 1.5)
        return f32(0.5 * u * u)
    return 0.0


def bspline(x):
    t = abs(x)
    if t < 1.0:
        tt = f32(t * t)
        return f32(0.5 * tt * t - tt + 2.0 / 3.0)
    if t < 2.0:
        u = f32(2.0 - t)
        return f32(u * u * u / 6.0)
    return 0.0


def sinc(x):
    if x == 0.0:
        return 1.0
    px = f32(math.pi * x)
    return f32(math.sin(px) / px)


def lanczos3(x):
    t = abs(x)
    if t < 3.0:
        return f32(sinc(t) * sinc(f32(t / 3.0)))
    return 0.0


def mitchell(x):
    t = abs(x)
    if t < 1.0:
        tt = f32(t * t)
        return f32(f32(7.0 * tt * t - 12.0 * tt + 16.0 / 3.0) / 6.0)
    if t < 2.0:
        tt = f32(t * t)
        return f32(f32(-(7.0 / 3.0) * tt * t + 12.0 * tt - 20.0 * t + 32.0 / 3.0) / 6.0)
    return 0.0


FILTERS = [('Box', box, 0.5), ('Triangle', triangle, 1.0), ('Hermite', hermite, 1.0),
           ('Bell', bell, 1.5), ('B-Spline', bspline, 2.0), ('Lanczos3', lanczos3, 3.0),
           ('Mitchell', mitchell, 2.0)]


def taps(source, target, i, f, support):
    scale = f32(target / source if source == 1 else (target - 1) / (source - 1))
    shrinking = scale < 1.0
    width = f32(support / scale) if shrinking else support
    fscale = f32(1.0 / scale)
    centre = f32(i / scale)
    result = []
    for j in range(math.floor(centre - width), math.ceil(centre + width) + 1):
        if shrinking:
            weight = f32(f(f32((centre - j) / fscale)) / fscale)
        else:
            weight = f(f32(centre - j))
        if weight == 0.0:
            continue
        k = -j if j < 0 else (2 * source - 1 - j if j >= source else j)
        assert 0 <= k < source, 'a tap reaches more than a whole source beyond an edge'
        result.append((k, weight))
    return result


def channel(line, tap_list):
    total = 0.0
    for k, weight in tap_list:
        total = round_exact_f32(Fraction(total) + line[k] * Fraction(weight))
    if total > 255.0:
        return 255
    if total < 0.0:
        return 0
    return round(total)  # Python rounds halves to even


def resample(picture, width, height, target_width, target_height, f, support):
    """picture: rows of [r, g, b, r, g, b, ...]."""
    across = [taps(width, target_width, x, f, support) for x in range(target_width)]
    between = []
    for row in picture:
        out = []
        for x in range(target_width):
            for c in range(3):
                out.append(channel(row[c::3], across[x]))
        between.append(out)
    down = [taps(height, target_height, y, f, support) for y in range(target_height)]
    result = [[0] * (3 * target_width) for _ in range(target_height)]
    for x in range(3 * target_width):
        column = [between[y][x] for y in range(height)]
        for y in range(target_height):
            result[y][x] = channel(column, down[y])
    return result


def write_ppm(path, picture, width, height):
    with open(path, 'wb') as out:
        out.write(b'P6\n%d %d\n255\n' % (width, height))
        for row in picture:
            out.write(bytes(row))


def sources():
    """Small pictures: smooth ramps with a hard black and white edge and a fine checker, so sums
    land below 0 and above 255 next to the edge."""
    pictures = {}
    w, h = 9, 7
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            edge = 255 if x >= 5 else 0
            row += [(x * 29 + y * 11) % 256, edge, 255 if (x + y) % 2 else 0]
        rows.append(row)
    pictures['edges9x7'] = (rows, w, h)
    w, h = 8, 10
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            row += [min(255, y * 28), (x * 37 + 5) % 256, 200 if 2 <= x <= 5 and 3 <= y <= 6 else 40]
        rows.append(row)
    pictures['square8x10'] = (rows, w, h)
    return pictures


# (source, target width, target height): shrinking, enlarging, and one of each at once.
SIZES = [('edges9x7', 5, 4), ('edges9x7', 20, 15), ('square8x10', 13, 6)]


def check_known_results():
    """Results worked out by hand: a 4 x 2 source of rows 0, 3, 6, 9 with Box into 2 x 2 gives
    rows 2, 8 (scale 1/3: pixels 1, 0, 1 and 2, 3, 3 averaged); Lanczos3 at the same size gives
    the source back."""
    row = [v for level in (0, 3, 6, 9) for v in (level,) * 3]
    assert resample([row, row], 4, 2, 2, 2, box, 0.5) == [[2] * 3 + [8] * 3] * 2
    rows, w, h = sources()['edges9x7']
    assert resample(rows, w, h, w, h, lanczos3, 3.0) == rows


def main():
    check_known_results()
    os.makedirs(OUT, exist_ok=True)
    pictures = sources()
    for name, (rows, w, h) in pictures.items():
        write_ppm(os.path.join(OUT, name + '.ppm'), rows, w, h)
    for name, tw, th in SIZES:
        rows, w, h = pictures[name]
        for filter_name, f, support in FILTERS:
            result = resample(rows, w, h, tw, th, f, support)
            write_ppm(os.path.join(OUT, '%s-%dx%d-%s.ppm' % (name, tw, th, filter_name)),
                      result, tw, th)


if __name__ == '__main__':
    main()
