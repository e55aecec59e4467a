#!/usr/bin/env python3
"""Draws the Mirvot application icon from assets/mirvot-icon.svg.

Writes, next to the drawing:
  assets/mirvot-256.png  the 256 x 256 image that the program embeds as its window icon
  assets/mirvot.ico      ten PNG-compressed 32-bit images (16 ... 256 px) for the
                         executable's icon group; its 256 entry is mirvot-256.png verbatim

Both files are committed, so a build needs neither this script nor an image library.
The output is byte-stable: pure Python with the standard library only, no timestamps or
text chunks in the PNGs, one IDAT chunk compressed by zlib at level 9. Run it after
changing the drawing, and with --check to confirm the committed files still match it:

  python3 tools/assets/render_icons.py            # rewrite the two files
  python3 tools/assets/render_icons.py --check    # exit 1 if they differ from a fresh render

The drawing is read with a deliberately small SVG reader: a viewBox of 0 0 256 256, one
<linearGradient> in user-space units, and <rect> (with rx), <polyline> (round caps and
joins) and <circle> elements filled or stroked with a colour or that gradient. Anything
else stops the script rather than being drawn differently from what an SVG viewer shows.
Shapes are drawn as signed distance fields: each pixel is sampled at its centre and its
coverage is the distance to the shape's edge clamped to one pixel, which anti-aliases
every size from the same exact geometry.
"""

import argparse
import math
import os
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 96, 128, 256)
CANVAS = 256.0
SVG_NS = "{http://www.w3.org/2000/svg}"

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ASSETS_DIR = os.path.join(REPO_ROOT, "assets")
DRAWING = os.path.join(ASSETS_DIR, "mirvot-icon.svg")
PNG_256 = os.path.join(ASSETS_DIR, "mirvot-256.png")
ICO_FILE = os.path.join(ASSETS_DIR, "mirvot.ico")


class DrawingError(Exception):
    pass


# --- Paint ---------------------------------------------------------------------------------

def parse_colour(text):
    text = text.strip()
    if not text.startswith("#") or len(text) not in (4, 7):
        raise DrawingError("colours must be #RGB or #RRGGBB, got %r" % text)
    digits = text[1:]
    if len(digits) == 3:
        digits = "".join(c * 2 for c in digits)
    try:
        return tuple(int(digits[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    except ValueError:
        raise DrawingError("bad colour %r" % text)


class SolidPaint:
    def __init__(self, rgb):
        self.rgb = rgb

    def at(self, x, y):
        return self.rgb


class LinearGradientPaint:
    """SVG linear gradient in user space, pad spread, interpolated in sRGB like SVG does."""

    def __init__(self, x1, y1, x2, y2, stops):
        if len(stops) < 2:
            raise DrawingError("a gradient needs at least two stops")
        self.x1, self.y1 = x1, y1
        self.dx, self.dy = x2 - x1, y2 - y1
        self.length_sq = self.dx * self.dx + self.dy * self.dy
        if self.length_sq == 0.0:
            raise DrawingError("a gradient needs two distinct end points")
        self.stops = stops

    def at(self, x, y):
        t = ((x - self.x1) * self.dx + (y - self.y1) * self.dy) / self.length_sq
        stops = self.stops
        if t <= stops[0][0]:
            return stops[0][1]
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t <= t1:
                f = 0.0 if t1 == t0 else (t - t0) / (t1 - t0)
                return tuple(a + (b - a) * f for a, b in zip(c0, c1))
        return stops[-1][1]


# --- Shapes as signed distance fields (negative inside, in user units) ----------------------

class RoundedRect:
    def __init__(self, x, y, w, h, r):
        if w <= 0 or h <= 0:
            raise DrawingError("rect needs a positive size")
        self.r = min(r, w / 2.0, h / 2.0)
        self.cx, self.cy = x + w / 2.0, y + h / 2.0
        self.hx, self.hy = w / 2.0 - self.r, h / 2.0 - self.r
        self.bounds = (x, y, x + w, y + h)

    def distance(self, px, py):
        qx = abs(px - self.cx) - self.hx
        qy = abs(py - self.cy) - self.hy
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return math.sqrt(ox * ox + oy * oy) + min(max(qx, qy), 0.0) - self.r


class RoundStroke:
    """A polyline stroked with round caps and joins: the union of capsules along its segments."""

    def __init__(self, points, width):
        if len(points) < 2:
            raise DrawingError("a polyline needs at least two points")
        if width <= 0:
            raise DrawingError("stroke-width must be positive")
        self.half = width / 2.0
        self.segments = list(zip(points, points[1:]))
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.bounds = (min(xs) - self.half, min(ys) - self.half,
                       max(xs) + self.half, max(ys) + self.half)

    def distance(self, px, py):
        best = None
        for (ax, ay), (bx, by) in self.segments:
            vx, vy = bx - ax, by - ay
            wx, wy = px - ax, py - ay
            length_sq = vx * vx + vy * vy
            t = 0.0 if length_sq == 0.0 else max(0.0, min(1.0, (wx * vx + wy * vy) / length_sq))
            dx, dy = wx - vx * t, wy - vy * t
            d = dx * dx + dy * dy
            if best is None or d < best:
                best = d
        return math.sqrt(best) - self.half


class Circle:
    def __init__(self, cx, cy, r):
        if r <= 0:
            raise DrawingError("circle needs a positive radius")
        self.cx, self.cy, self.r = cx, cy, r
        self.bounds = (cx - r, cy - r, cx + r, cy + r)

    def distance(self, px, py):
        dx, dy = px - self.cx, py - self.cy
        return math.sqrt(dx * dx + dy * dy) - self.r


# --- Reading the drawing ----------------------------------------------------------------------

def number(element, name, default=None):
    value = element.get(name)
    if value is None:
        if default is None:
            raise DrawingError("<%s> needs %s" % (local_name(element), name))
        return default
    try:
        return float(value)
    except ValueError:
        raise DrawingError("<%s> %s=%r is not a plain number" % (local_name(element), name, value))


def local_name(element):
    return element.tag[len(SVG_NS):] if element.tag.startswith(SVG_NS) else element.tag


def check_attributes(element, allowed):
    unknown = sorted(set(element.attrib) - set(allowed))
    if unknown:
        raise DrawingError("<%s> has attributes this reader does not draw: %s"
                           % (local_name(element), ", ".join(unknown)))


def read_gradient(element):
    check_attributes(element, ("id", "gradientUnits", "x1", "y1", "x2", "y2"))
    if element.get("gradientUnits") != "userSpaceOnUse":
        raise DrawingError("gradients must use gradientUnits=\"userSpaceOnUse\"")
    stops = []
    for stop in element:
        if local_name(stop) != "stop":
            raise DrawingError("unexpected <%s> in a gradient" % local_name(stop))
        check_attributes(stop, ("offset", "stop-color"))
        offset = number(stop, "offset")
        if stops and offset < stops[-1][0]:
            raise DrawingError("gradient stops must be in order")
        stops.append((offset, parse_colour(stop.get("stop-color", ""))))
    return LinearGradientPaint(number(element, "x1"), number(element, "y1"),
                               number(element, "x2"), number(element, "y2"), stops)


def paint_for(value, gradients):
    if value is None or value == "none":
        raise DrawingError("every shape must be painted")
    if value.startswith("url(#") and value.endswith(")"):
        name = value[5:-1]
        if name not in gradients:
            raise DrawingError("unknown gradient %r" % name)
        return gradients[name]
    return SolidPaint(parse_colour(value))


def parse_points(text):
    values = [float(v) for v in text.replace(",", " ").split()]
    if len(values) % 2:
        raise DrawingError("polyline points must come in pairs")
    return [(values[i], values[i + 1]) for i in range(0, len(values), 2)]


def read_drawing(path):
    """Returns the drawing as a list of (shape, paint) in painting order."""
    root = ET.parse(path).getroot()
    if local_name(root) != "svg":
        raise DrawingError("not an SVG document")
    if root.get("viewBox", "").split() != ["0", "0", "256", "256"]:
        raise DrawingError("the drawing must have viewBox=\"0 0 256 256\"")

    gradients = {}
    layers = []
    for element in root:
        kind = local_name(element)
        if kind in ("title", "desc"):
            continue
        if kind == "defs":
            for definition in element:
                if local_name(definition) != "linearGradient":
                    raise DrawingError("only linearGradient definitions are drawn")
                gradients[definition.get("id")] = read_gradient(definition)
        elif kind == "rect":
            check_attributes(element, ("x", "y", "width", "height", "rx", "ry", "fill"))
            rx = number(element, "rx", 0.0)
            if number(element, "ry", rx) != rx:
                raise DrawingError("rect corners must be circular (rx equal to ry)")
            shape = RoundedRect(number(element, "x", 0.0), number(element, "y", 0.0),
                                number(element, "width"), number(element, "height"), rx)
            layers.append((shape, paint_for(element.get("fill"), gradients)))
        elif kind == "polyline":
            check_attributes(element, ("points", "fill", "stroke", "stroke-width",
                                       "stroke-linecap", "stroke-linejoin"))
            if element.get("fill") != "none":
                raise DrawingError("polylines are drawn as strokes only (fill=\"none\")")
            if element.get("stroke-linecap") != "round" or element.get("stroke-linejoin") != "round":
                raise DrawingError("polylines need round caps and joins")
            shape = RoundStroke(parse_points(element.get("points", "")),
                                number(element, "stroke-width"))
            layers.append((shape, paint_for(element.get("stroke"), gradients)))
        elif kind == "circle":
            check_attributes(element, ("cx", "cy", "r", "fill"))
            shape = Circle(number(element, "cx"), number(element, "cy"), number(element, "r"))
            layers.append((shape, paint_for(element.get("fill"), gradients)))
        else:
            raise DrawingError("<%s> is not drawn by this reader" % kind)
    if not layers:
        raise DrawingError("the drawing is empty")
    return layers


# --- Rendering --------------------------------------------------------------------------------

def to_byte(value):
    return max(0, min(255, int(value * 255.0 + 0.5)))


def render(layers, size):
    """Returns size*size RGBA pixels, rows top to bottom, as one bytes object."""
    scale = size / CANVAS           # pixels per user unit
    unit = CANVAS / size            # user units per pixel
    out = bytearray(size * size * 4)
    for row in range(size):
        y = (row + 0.5) * unit
        for col in range(size):
            x = (col + 0.5) * unit
            # Premultiplied accumulation, painted back to front with "over".
            r = g = b = a = 0.0
            for shape, paint in layers:
                x0, y0, x1, y1 = shape.bounds
                if x < x0 - unit or x > x1 + unit or y < y0 - unit or y > y1 + unit:
                    continue
                coverage = 0.5 - shape.distance(x, y) * scale
                if coverage <= 0.0:
                    continue
                if coverage > 1.0:
                    coverage = 1.0
                cr, cg, cb = paint.at(x, y)
                keep = 1.0 - coverage
                r = cr * coverage + r * keep
                g = cg * coverage + g * keep
                b = cb * coverage + b * keep
                a = coverage + a * keep
            i = (row * size + col) * 4
            alpha = to_byte(a)
            if alpha == 0:
                continue  # fully transparent pixels stay 0,0,0,0
            out[i] = to_byte(r / a)
            out[i + 1] = to_byte(g / a)
            out[i + 2] = to_byte(b / a)
            out[i + 3] = alpha
    return bytes(out)


# --- PNG and ICO writing ------------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_rows(pixels, size):
    """Applies, row by row, the PNG filter with the smallest sum of absolute signed bytes."""
    stride = size * 4
    previous = bytes(stride)
    out = bytearray()
    for row in range(size):
        line = pixels[row * stride:(row + 1) * stride]
        candidates = []
        for kind in range(5):
            filtered = bytearray(stride)
            for i in range(stride):
                left = line[i - 4] if i >= 4 else 0
                up = previous[i]
                up_left = previous[i - 4] if i >= 4 else 0
                if kind == 0:
                    predictor = 0
                elif kind == 1:
                    predictor = left
                elif kind == 2:
                    predictor = up
                elif kind == 3:
                    predictor = (left + up) // 2
                else:
                    predictor = paeth(left, up, up_left)
                filtered[i] = (line[i] - predictor) & 0xFF
            cost = sum(v if v < 128 else 256 - v for v in filtered)
            candidates.append((cost, kind, filtered))
        cost, kind, filtered = min(candidates, key=lambda c: (c[0], c[1]))
        out.append(kind)
        out += filtered
        previous = line
    return bytes(out)


def encode_png(pixels, size):
    # 8-bit RGBA (colour type 6), deflate, adaptive filtering, no interlace; no ancillary chunks.
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    compressed = zlib.compress(filter_rows(pixels, size), 9)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", compressed) + png_chunk(b"IEND", b""))


def encode_ico(images):
    """images: list of (size, png bytes). Every entry is a 32-bit image stored as PNG."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    data = b""
    for size, png in images:
        dimension = 0 if size == 256 else size  # a byte: 0 stands for 256
        entries += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, 32, len(png), offset)
        data += png
        offset += len(png)
    return directory + entries + data


def build(drawing_path):
    layers = read_drawing(drawing_path)
    images = [(size, encode_png(render(layers, size), size)) for size in ICON_SIZES]
    return dict(images)[256], encode_ico(images), images


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="compare a fresh render with the committed files instead of writing")
    parser.add_argument("--sizes-dir", metavar="DIR",
                        help="also write every size as mirvot-<size>.png into DIR (for viewing)")
    args = parser.parse_args(argv)

    try:
        png_256, ico, images = build(DRAWING)
    except (DrawingError, ET.ParseError) as error:
        print("render_icons: %s: %s" % (DRAWING, error), file=sys.stderr)
        return 2

    if args.sizes_dir:
        os.makedirs(args.sizes_dir, exist_ok=True)
        for size, png in images:
            with open(os.path.join(args.sizes_dir, "mirvot-%d.png" % size), "wb") as f:
                f.write(png)

    outputs = ((PNG_256, png_256), (ICO_FILE, ico))
    if args.check:
        stale = []
        for path, content in outputs:
            try:
                with open(path, "rb") as f:
                    if f.read() == content:
                        continue
            except OSError:
                pass
            stale.append(os.path.relpath(path, REPO_ROOT))
        if stale:
            print("render_icons: out of date with the drawing: %s" % ", ".join(stale), file=sys.stderr)
            return 1
        print("render_icons: assets match the drawing")
        return 0

    for path, content in outputs:
        with open(path, "wb") as f:
            f.write(content)
    for size, png in images:
        print("%4d px: %7d bytes" % (size, len(png)))
    print("%s: %d bytes" % (os.path.relpath(ICO_FILE, REPO_ROOT), len(ico)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
