#!/usr/bin/env python3
"""Draws the skinned scroll bar and slider bitmaps as 24-bit PNGs.

Run from anywhere: python3 resources/make_bitmaps.py
The PNGs are committed; run this again only after changing a drawing below.
"""

import os

import png_file

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")

BACKGROUND = (34, 34, 34)
FRAME = (70, 70, 70)
FACE = (52, 52, 52)
ARROW = (190, 190, 190)
TRACK_LINE = (60, 60, 60)
THUMB_FACE = (120, 120, 120)
THUMB_EDGE = (150, 150, 150)
KEY = (255, 0, 255)  # the slider thumbs' transparent colour


def write_png(name, pixels):
    png_file.write_png(os.path.join(OUT, name), pixels)


def canvas(width, height, colour):
    return [[colour for _ in range(width)] for _ in range(height)]


def rounded_box(pixels, left, top, right, bottom, face, edge):
    """Fills [left, right) x [top, bottom) with a one-pixel edge and cut corners."""
    for y in range(top, bottom):
        for x in range(left, right):
            corner = (x in (left, right - 1)) and (y in (top, bottom - 1))
            if corner:
                continue
            on_edge = x in (left, right - 1) or y in (top, bottom - 1)
            pixels[y][x] = edge if on_edge else face


def triangle(pixels, cx, cy, size, direction, colour):
    """A filled arrow head pointing up, down, left or right, centred on (cx, cy)."""
    for step in range(size):
        half = step
        for offset in range(-half, half + 1):
            if direction == "up":
                x, y = cx + offset, cy - size // 2 + step
            elif direction == "down":
                x, y = cx + offset, cy + size // 2 - step
            elif direction == "left":
                x, y = cx - size // 2 + step, cy + offset
            else:
                x, y = cx + size // 2 - step, cy + offset
            if 0 <= y < len(pixels) and 0 <= x < len(pixels[0]):
                pixels[y][x] = colour


def transpose(pixels):
    return [list(row) for row in zip(*pixels)]


def vertical_arrow(direction):
    p = canvas(12, 26, BACKGROUND)
    rounded_box(p, 1, 1, 11, 25, FACE, FRAME)
    triangle(p, 5, 13, 4, direction, ARROW)
    return p


def vertical_thumb():
    p = canvas(12, 26, BACKGROUND)
    rounded_box(p, 2, 1, 10, 25, THUMB_FACE, THUMB_EDGE)
    for y in (10, 13, 16):
        for x in range(4, 8):
            p[y][x] = THUMB_EDGE
    return p


def vertical_track():
    p = canvas(12, 1, BACKGROUND)
    p[0][5] = TRACK_LINE
    p[0][6] = TRACK_LINE
    return p


def corner():
    """A size grip: three diagonal lines towards the bottom right."""
    p = canvas(11, 11, BACKGROUND)
    for y in range(11):
        for x in range(11):
            if x + y >= 10 and (x + y) % 4 == 2:
                p[y][x] = FRAME
    return p


def slider_channel(face, line):
    p = canvas(77, 8, BACKGROUND)
    rounded_box(p, 0, 2, 77, 6, face, line)
    return p


def slider_thumb(face, edge):
    p = canvas(9, 8, KEY)
    rounded_box(p, 0, 0, 9, 8, face, edge)
    p[3][4] = edge
    p[4][4] = edge
    return p


def main():
    os.makedirs(OUT, exist_ok=True)
    # Vertical bar: 175 up arrow, 172 track slice, 171 down arrow, 170 corner, 173 thumb.
    write_png("vscroll_up.png", vertical_arrow("up"))
    write_png("vscroll_track.png", vertical_track())
    write_png("vscroll_down.png", vertical_arrow("down"))
    write_png("scroll_corner.png", corner())
    write_png("vscroll_thumb.png", vertical_thumb())
    # Horizontal bar: 165 left arrow, 167 track slice, 166 right arrow, 168 thumb.
    write_png("hscroll_left.png", transpose(vertical_arrow("up")))
    write_png("hscroll_track.png", transpose(vertical_track()))
    write_png("hscroll_right.png", transpose(vertical_arrow("down")))
    write_png("hscroll_thumb.png", transpose(vertical_thumb()))
    # Slider: 151/152 channel, 153/154 thumb (normal, disabled).
    write_png("slider_channel.png", slider_channel((90, 90, 90), (130, 130, 130)))
    write_png("slider_channel_disabled.png", slider_channel((50, 50, 50), (70, 70, 70)))
    write_png("slider_thumb.png", slider_thumb((200, 200, 200), (240, 240, 240)))
    write_png("slider_thumb_disabled.png", slider_thumb((90, 90, 90), (110, 110, 110)))


if __name__ == "__main__":
    main()
