"""Writes a PNG from rows of RGB or RGBA tuples; shared by the drawing scripts here."""

import struct
import zlib


def write_png(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    colour_type = 6 if len(pixels[0][0]) == 4 else 2  # RGBA or RGB, 8 bits each
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)
