#!/usr/bin/env python3
"""Writes loading.gif, the looping "Loading" animation (resource 150).

Eight grey dots on a ring; a red dot walks around it. The first frame paints the whole
ring and is kept; each later frame covers one dot with a transparent-backed red dot and
is restored to the previous picture afterwards, the last one to the background. The
delays vary, and the first is short enough (3 hundredths) to be played at 100 ms.

Usage: make_loading_gif.py [output path]   (default: loading.gif next to this script)
"""

import math
import os
import struct
import sys

SIZE = 31
CENTRE = 15
RING_RADIUS = 10
DOT_RADIUS = 2.6
DOT_BOX = 7  # the square each walking-dot frame covers
DOT_COUNT = 8

WHITE, LIGHT_GREY, RED, DARK_GREY = range(4)
PALETTE = [(0xFF, 0xFF, 0xFF), (0xC8, 0xC8, 0xC8), (0xE0, 0x20, 0x20), (0x80, 0x80, 0x80)]
COLOR_TABLE_BITS = 1  # 2 ** (1 + 1) = 4 entries
MIN_CODE_SIZE = 2

DISPOSE_LEAVE = 1
DISPOSE_BACKGROUND = 2
DISPOSE_PREVIOUS = 3

FIRST_DELAY = 3  # hundredths; a player shows it for 100 ms
WALK_DELAYS = [8, 8, 9, 8, 10, 8, 8, 12]


def dot_centre(index):
    angle = 2 * math.pi * index / DOT_COUNT - math.pi / 2
    return CENTRE + RING_RADIUS * math.cos(angle), CENTRE + RING_RADIUS * math.sin(angle)


def in_dot(x, y, centre):
    return (x - centre[0]) ** 2 + (y - centre[1]) ** 2 <= DOT_RADIUS ** 2


def ring_frame():
    centres = [dot_centre(i) for i in range(DOT_COUNT)]
    return [LIGHT_GREY if any(in_dot(x, y, c) for c in centres) else WHITE
            for y in range(SIZE) for x in range(SIZE)]


def walking_frame(index):
    cx, cy = dot_centre(index)
    left = int(round(cx)) - DOT_BOX // 2
    top = int(round(cy)) - DOT_BOX // 2
    pixels = [RED if in_dot(left + x, top + y, (cx, cy)) else WHITE
              for y in range(DOT_BOX) for x in range(DOT_BOX)]
    return left, top, pixels


def lzw_compress(pixels, min_code_size):
    """GIF-flavoured LZW: variable-width codes packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bits = 0
    bit_count = 0

    def put(code, width):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = fresh_table()
    put(clear, width)
    prefix = (pixels[0],)
    for pixel in pixels[1:]:
        candidate = prefix + (pixel,)
        if candidate in table:
            prefix = candidate
            continue
        put(table[prefix], width)
        if next_code < 4096:
            if next_code == 1 << width:
                width += 1
            table[candidate] = next_code
            next_code += 1
        else:
            put(clear, width)
            table, next_code, width = fresh_table()
        prefix = (pixel,)
    put(table[prefix], width)
    put(end, width)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def graphic_control(disposal, delay, transparent=None):
    packed = (disposal << 2) | (1 if transparent is not None else 0)
    return b"\x21\xF9\x04" + struct.pack("<BHB", packed, delay, transparent or 0) + b"\x00"


def image(left, top, width, height, pixels):
    descriptor = b"\x2C" + struct.pack("<HHHHB", left, top, width, height, 0)
    return descriptor + bytes([MIN_CODE_SIZE]) + sub_blocks(lzw_compress(pixels, MIN_CODE_SIZE))


def loading_gif():
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", SIZE, SIZE, 0x80 | COLOR_TABLE_BITS, WHITE, 0)
    for rgb in PALETTE:
        out += bytes(rgb)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"  # loop for ever
    out += graphic_control(DISPOSE_LEAVE, FIRST_DELAY)
    out += image(0, 0, SIZE, SIZE, ring_frame())
    for index, delay in enumerate(WALK_DELAYS):
        last = index == len(WALK_DELAYS) - 1
        out += graphic_control(DISPOSE_BACKGROUND if last else DISPOSE_PREVIOUS, delay, transparent=WHITE)
        left, top, pixels = walking_frame(index)
        out += image(left, top, DOT_BOX, DOT_BOX, pixels)
    out += b"\x3B"
    return bytes(out)


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                              "loading.gif")
    with open(path, "wb") as output:
        output.write(loading_gif())


if __name__ == "__main__":
    main()
