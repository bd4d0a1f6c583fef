#!/usr/bin/env python3
"""Draws the application icon: icons/orbcalender.svg and the hicolor PNGs beside it.

A calendar page (light body, a blue header band, two binder rings, a grid of days) with a
glowing amber orb in front at the lower right. The one list of shapes below is written
out as SVG and also drawn into RGBA PNGs, each pixel sampled 4 x 4 times for smooth
edges, so the scalable icon and the bitmaps show the same picture.

Run from anywhere: python3 resources/make_icon.py
The PNGs are committed; run this again only after changing a drawing below.
"""

import math
import os

import png_file

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "icons")

VIEW = 256  # the SVG's viewBox is 0 0 VIEW VIEW
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SUBSAMPLES = 4  # per axis, so 16 samples a pixel

PAGE_EDGE = (0x5B, 0x67, 0x7D)
PAGE_BODY = (0xF2, 0xF4, 0xF8)
HEADER = (0x3B, 0x6E, 0xD0)
DAY = (0xC9, 0xD1, 0xDF)
TODAY = (0x6E, 0x97, 0xE6)
RING_EDGE = (0x2A, 0x31, 0x3D)
RING_FACE = (0xDD, 0xE3, 0xEC)

# Stops are (offset, colour, opacity).
GLOW_STOPS = ((0.0, (0xFF, 0xC8, 0x4A), 0.55), (0.62, (0xFF, 0xB0, 0x30), 0.45), (1.0, (0xFF, 0x9A, 0x20), 0.0))
ORB_STOPS = (
    (0.0, (0xFF, 0xF8, 0xE0), 1.0),
    (0.3, (0xFF, 0xD0, 0x55), 1.0),
    (0.78, (0xF2, 0x8C, 0x1A), 1.0),
    (1.0, (0xB8, 0x4E, 0x0C), 1.0),
)


class Solid:
    def __init__(self, colour, opacity=1.0):
        self.colour = colour
        self.opacity = opacity

    def svg_fill(self):
        text = 'fill="%s"' % hex_colour(self.colour)
        if self.opacity < 1.0:
            text += ' fill-opacity="%g"' % self.opacity
        return text

    def svg_defs(self):
        return ""

    def at(self, x, y):
        return self.colour, self.opacity


class RadialGradient:
    """An SVG radialGradient in user space, padded, with an optional focal point."""

    def __init__(self, name, cx, cy, r, stops, fx=None, fy=None):
        self.name = name
        self.cx, self.cy, self.r = cx, cy, r
        self.fx = cx if fx is None else fx
        self.fy = cy if fy is None else fy
        self.stops = stops

    def svg_fill(self):
        return 'fill="url(#%s)"' % self.name

    def svg_defs(self):
        focal = ""
        if (self.fx, self.fy) != (self.cx, self.cy):
            focal = ' fx="%g" fy="%g"' % (self.fx, self.fy)
        lines = [
            '    <radialGradient id="%s" gradientUnits="userSpaceOnUse" cx="%g" cy="%g" r="%g"%s>'
            % (self.name, self.cx, self.cy, self.r, focal)
        ]
        for offset, colour, opacity in self.stops:
            extra = "" if opacity == 1.0 else ' stop-opacity="%g"' % opacity
            lines.append('      <stop offset="%g" stop-color="%s"%s/>' % (offset, hex_colour(colour), extra))
        lines.append("    </radialGradient>")
        return "\n".join(lines) + "\n"

    def position(self, x, y):
        """How far along the gradient (x, y) lies: 0 at the focal point, 1 on the circle."""
        dx, dy = x - self.fx, y - self.fy
        a = dx * dx + dy * dy
        if a == 0.0:
            return 0.0
        ex, ey = self.fx - self.cx, self.fy - self.cy
        b = 2.0 * (ex * dx + ey * dy)
        c = ex * ex + ey * ey - self.r * self.r
        s = (-b + math.sqrt(b * b - 4.0 * a * c)) / (2.0 * a)
        return 1.0 / s

    def at(self, x, y):
        t = min(1.0, max(0.0, self.position(x, y)))
        stops = self.stops
        if t <= stops[0][0]:
            return stops[0][1], stops[0][2]
        for (o0, c0, a0), (o1, c1, a1) in zip(stops, stops[1:]):
            if t <= o1:
                k = (t - o0) / (o1 - o0)
                colour = tuple(c0[i] + (c1[i] - c0[i]) * k for i in range(3))
                return colour, a0 + (a1 - a0) * k
        return stops[-1][1], stops[-1][2]


class RoundRect:
    """[x0, x1] x [y0, y1] with corners of radius r; cut_below keeps only y < cut_below."""

    def __init__(self, x0, y0, x1, y1, r, paint, cut_below=None):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r
        self.paint = paint
        self.cut_below = cut_below
        bottom = y1 if cut_below is None else min(y1, cut_below)
        self.box = (x0, y0, x1, bottom)

    def contains(self, x, y):
        if x < self.x0 or x > self.x1 or y < self.y0 or y > self.y1:
            return False
        if self.cut_below is not None and y >= self.cut_below:
            return False
        r = self.r
        nx = min(max(x, self.x0 + r), self.x1 - r)
        ny = min(max(y, self.y0 + r), self.y1 - r)
        return (x - nx) ** 2 + (y - ny) ** 2 <= r * r

    def svg(self):
        if self.cut_below is None:
            return '  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" ry="%g" %s/>\n' % (
                self.x0, self.y0, self.x1 - self.x0, self.y1 - self.y0, self.r, self.r, self.paint.svg_fill())
        # A band across the top: rounded top corners, square bottom at cut_below.
        r = self.r
        d = "M%g,%g V%g A%g,%g 0 0 1 %g,%g H%g A%g,%g 0 0 1 %g,%g V%g Z" % (
            self.x0, self.cut_below, self.y0 + r, r, r, self.x0 + r, self.y0,
            self.x1 - r, r, r, self.x1, self.y0 + r, self.cut_below)
        return '  <path d="%s" %s/>\n' % (d, self.paint.svg_fill())


class Circle:
    def __init__(self, cx, cy, r, paint):
        self.cx, self.cy, self.r = cx, cy, r
        self.paint = paint
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r

    def svg(self):
        return '  <circle cx="%g" cy="%g" r="%g" %s/>\n' % (self.cx, self.cy, self.r, self.paint.svg_fill())


def hex_colour(colour):
    return "#%02x%02x%02x" % tuple(int(round(c)) for c in colour)


def scene():
    """The shapes from back to front, in viewBox units."""
    shapes = []
    # The page: a dark edge, the light body inside it, the header band across its top.
    left, top, right, bottom, radius, edge = 18, 38, 202, 216, 28, 6
    shapes.append(RoundRect(left, top, right, bottom, radius, Solid(PAGE_EDGE)))
    inner = (left + edge, top + edge, right - edge, bottom - edge, radius - edge)
    shapes.append(RoundRect(*inner, Solid(PAGE_BODY)))
    shapes.append(RoundRect(*inner, Solid(HEADER), cut_below=92))
    # The days: four columns, three rows; the second day of the first row is today.
    for row in range(3):
        for column in range(4):
            x = 40 + column * 38
            y = 108 + row * 32
            colour = TODAY if (row, column) == (0, 1) else DAY
            shapes.append(RoundRect(x, y, x + 26, y + 20, 5, Solid(colour)))
    # Two binder rings standing up out of the header.
    for x in (70, 150):
        shapes.append(RoundRect(x - 11, 18, x + 11, 68, 11, Solid(RING_EDGE)))
        shapes.append(RoundRect(x - 6, 23, x + 6, 63, 6, Solid(RING_FACE)))
    # The orb: a soft glow, then the ball lit from its upper left.
    cx, cy = 184, 186
    shapes.append(Circle(cx, cy, 68, RadialGradient("glow", cx, cy, 68, GLOW_STOPS)))
    shapes.append(Circle(cx, cy, 48, RadialGradient("orb", cx, cy, 48, ORB_STOPS, fx=168, fy=168)))
    return shapes


def write_svg(shapes, path):
    text = '<?xml version="1.0" encoding="UTF-8"?>\n'
    text += (
        '<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="%d" height="%d" viewBox="0 0 %d %d">\n'
        % (VIEW, VIEW, VIEW, VIEW)
    )
    text += "  <title>OrbCalender</title>\n"
    defs = "".join(shape.paint.svg_defs() for shape in shapes)
    if defs:
        text += "  <defs>\n" + defs + "  </defs>\n"
    text += "".join(shape.svg() for shape in shapes)
    text += "</svg>\n"
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def render(shapes, size):
    """Rows of (r, g, b, a) bytes: every sample painted back to front, then averaged."""
    scale = VIEW / size
    count = SUBSAMPLES * SUBSAMPLES
    offsets = [(i + 0.5) / SUBSAMPLES for i in range(SUBSAMPLES)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x0, y0 = px * scale, py * scale
            x1, y1 = x0 + scale, y0 + scale
            here = [s for s in shapes if s.box[0] < x1 and s.box[2] > x0 and s.box[1] < y1 and s.box[3] > y0]
            total = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for oy in offsets:
                y = (py + oy) * scale
                for ox in offsets:
                    x = (px + ox) * scale
                    r = g = b = a = 0.0
                    for shape in here:
                        if not shape.contains(x, y):
                            continue
                        colour, alpha = shape.paint.at(x, y)
                        keep = 1.0 - alpha
                        r = colour[0] / 255.0 * alpha + r * keep
                        g = colour[1] / 255.0 * alpha + g * keep
                        b = colour[2] / 255.0 * alpha + b * keep
                        a = alpha + a * keep
                    total[0] += r
                    total[1] += g
                    total[2] += b
                    total[3] += a
            a = total[3] / count
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            rgb = tuple(min(255, int(total[i] / count / a * 255.0 + 0.5)) for i in range(3))
            row.append(rgb + (min(255, int(a * 255.0 + 0.5)),))
        rows.append(row)
    return rows


def main():
    shapes = scene()
    os.makedirs(OUT, exist_ok=True)
    write_svg(shapes, os.path.join(OUT, "orbcalender.svg"))
    for size in SIZES:
        folder = os.path.join(OUT, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        png_file.write_png(os.path.join(folder, "orbcalender.png"), render(shapes, size))


if __name__ == "__main__":
    main()
