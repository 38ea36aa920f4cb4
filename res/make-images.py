#!/usr/bin/env python3
"""Draws the login dialog's pictures and writes them as Windows BMP and ICO files.

    python3 res/make-images.py [OUTPUT_DIR]

Writes, next to this script unless another folder is given:
  banner.bmp (284x54) and progress1.bmp .. progress7.bmp (297x22), 24 bits, for
  100 %;
  banner-125.bmp .. banner-200.bmp and progress1-125.bmp .. progress7-200.bmp, the
  same drawings redrawn at 125, 150, 175 and 200 % (each side the 100 % one times
  the scale, rounded half up), as 8-bit palette BMPs compressed with RLE8 so that
  the exe stays small;
  QuillmarshVPN.ico: 64, 48, 40, 32, 24, 20 and 16 pixels square; 32 and 16 in 16
  colours with a transparency mask, the others in 32 bits with smooth alpha edges.
Only the standard library is used, and the output is the same byte for byte on
every run, so the files are kept in the repository and the build never needs
Python.
"""
import math
import os
import struct
import sys

# The dialog paints its background in this colour; every picture is drawn on it so
# that its edges disappear into the window.
BACKGROUND = (107, 132, 115)
LIGHT = (236, 242, 237)
DARK = (38, 56, 45)
SCREEN = (160, 198, 172)
LAMP = (250, 206, 92)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = [[tuple(map(float, colour)) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            self.pixels[y][x] = mix(self.pixels[y][x], colour, min(alpha, 1.0))

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0 <= x < x1, y0 <= y < y1 without smoothing."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.blend(x, y, colour, 1.0)

    def paint(self, shape, colour, alpha=1.0, dx=0.0, dy=0.0):
        """Paints a Shape's coverage, smoothed at its edges, optionally shifted."""
        for (x, y), cover in shape.coverage(self.width, self.height, dx, dy).items():
            self.blend(x, y, colour, cover * alpha)

    def rgb_rows(self):
        return [[tuple(int(round(c)) for c in p) for p in row] for row in self.pixels]


class Shape:
    """A set of round-capped strokes; a stroke may taper from one end to the other."""

    def __init__(self):
        self.segments = []  # (x0, y0, x1, y1, half width at start, half width at end)
        self.discs = []     # (cx, cy, radius)

    def line(self, points, half_width, end_half_width=None):
        end = half_width if end_half_width is None else end_half_width
        count = len(points) - 1
        for i in range(count):
            w0 = half_width + (end - half_width) * i / count
            w1 = half_width + (end - half_width) * (i + 1) / count
            self.segments.append((*points[i], *points[i + 1], w0, w1))
        return self

    def arc(self, cx, cy, rx, ry, start_deg, end_deg, half_width, steps=None):
        """An elliptical arc; angles in degrees, 0 pointing right and 90 down."""
        steps = steps or max(8, int(abs(end_deg - start_deg) / 6))
        points = []
        for i in range(steps + 1):
            a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
            points.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
        return self.line(points, half_width)

    def disc(self, cx, cy, radius):
        self.discs.append((cx, cy, radius))
        return self

    def coverage(self, width, height, dx, dy):
        cover = {}

        def visit(x0, y0, x1, y1, measure):
            for y in range(max(0, int(y0)), min(height, int(math.ceil(y1)) + 1)):
                for x in range(max(0, int(x0)), min(width, int(math.ceil(x1)) + 1)):
                    c = measure(x + 0.5 - dx, y + 0.5 - dy)
                    if c > cover.get((x, y), 0.0):
                        cover[(x, y)] = c

        for (ax, ay, bx, by, w0, w1) in self.segments:
            reach = max(w0, w1) + 1.5

            def measure(px, py, ax=ax, ay=ay, bx=bx, by=by, w0=w0, w1=w1):
                vx, vy = bx - ax, by - ay
                length2 = vx * vx + vy * vy
                t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / length2))
                d = math.hypot(px - (ax + t * vx), py - (ay + t * vy))
                return max(0.0, min(1.0, w0 + (w1 - w0) * t + 0.5 - d))

            visit(min(ax, bx) - reach + dx, min(ay, by) - reach + dy,
                  max(ax, bx) + reach + dx, max(ay, by) + reach + dy, measure)
        for (cx, cy, r) in self.discs:
            def measure(px, py, cx=cx, cy=cy, r=r):
                return max(0.0, min(1.0, r + 0.5 - math.hypot(px - cx, py - cy)))

            visit(cx - r - 1.5 + dx, cy - r - 1.5 + dy, cx + r + 1.5 + dx, cy + r + 1.5 + dy, measure)
        return cover


# A geometric capital alphabet in a box one unit high: each letter is its width and
# a list of strokes (polylines or elliptical arcs, in box units).
LETTERS = {
    'A': (0.86, [('L', [(0, 1), (0.43, 0), (0.86, 1)]), ('L', [(0.17, 0.64), (0.69, 0.64)])]),
    'D': (0.78, [('L', [(0.33, 0), (0, 0), (0, 1), (0.33, 1)]), ('A', 0.33, 0.5, 0.45, 0.5, -90, 90)]),
    'G': (0.88, [('A', 0.46, 0.5, 0.46, 0.5, -40, -360), ('L', [(0.92, 0.5), (0.52, 0.5)])]),
    'H': (0.76, [('L', [(0, 0), (0, 1)]), ('L', [(0.76, 0), (0.76, 1)]), ('L', [(0, 0.5), (0.76, 0.5)])]),
    'I': (0.0, [('L', [(0, 0), (0, 1)])]),
    'L': (0.62, [('L', [(0, 0), (0, 1), (0.62, 1)])]),
    'M': (0.96, [('L', [(0, 1), (0, 0), (0.48, 0.62), (0.96, 0), (0.96, 1)])]),
    'N': (0.78, [('L', [(0, 1), (0, 0), (0.78, 1), (0.78, 0)])]),
    'O': (0.92, [('A', 0.46, 0.5, 0.46, 0.5, 0, 360)]),
    'P': (0.7, [('L', [(0, 1), (0, 0), (0.4, 0)]), ('A', 0.4, 0.26, 0.3, 0.26, -90, 90),
                ('L', [(0.4, 0.52), (0, 0.52)])]),
    'Q': (0.92, [('A', 0.46, 0.5, 0.46, 0.5, 0, 360), ('L', [(0.58, 0.7), (0.94, 1.04)])]),
    'R': (0.74, [('L', [(0, 1), (0, 0), (0.42, 0)]), ('A', 0.42, 0.26, 0.3, 0.26, -90, 90),
                ('L', [(0.42, 0.52), (0, 0.52)]), ('L', [(0.36, 0.52), (0.74, 1)])]),
    'S': (0.72, [('A', 0.36, 0.26, 0.34, 0.26, -25, -270), ('A', 0.36, 0.76, 0.36, 0.24, -90, 150)]),
    'U': (0.76, [('L', [(0, 0), (0, 0.62)]), ('A', 0.38, 0.62, 0.38, 0.38, 180, 0),
                ('L', [(0.76, 0.62), (0.76, 0)])]),
    'V': (0.84, [('L', [(0, 0), (0.42, 1), (0.84, 0)])]),
}


def lettering(text, x, y, height, half_width, gap):
    """Lays out text in the alphabet above; returns the shape and its right edge."""
    shape = Shape()
    pen = x + half_width
    for ch in text:
        if ch == ' ':
            pen += height * 0.45
            continue
        width, strokes = LETTERS[ch]
        for stroke in strokes:
            if stroke[0] == 'L':
                shape.line([(pen + px * height, y + py * height) for px, py in stroke[1]], half_width)
            else:
                _, cx, cy, rx, ry, a0, a1 = stroke
                shape.arc(pen + cx * height, y + cy * height, rx * height, ry * height, a0, a1, half_width)
        pen += width * height + 2 * half_width + gap
    return shape, pen - gap


def quill_mark(cx, cy, radius, ring_half_width):
    """The firm's mark: a ring crossed at its foot by a tapering quill, read as a Q."""
    ring = Shape().arc(cx, cy, radius, radius, 0, 360, ring_half_width, steps=96)
    quill = Shape().line([(cx + radius * 0.05, cy + radius * 0.15),
                          (cx + radius * 0.7, cy + radius * 0.82),
                          (cx + radius * 1.12, cy + radius * 1.18)],
                         ring_half_width * 1.45, ring_half_width * 0.25)
    return ring, quill


# The display scales drawn besides 100 %, in percent.
SCALES = (125, 150, 175, 200)


def scaled(length, scale):
    """A length in pixels at a scale, rounded half up as the dialog sizes them."""
    return int(math.floor(length * scale + 0.5))


def draw_banner(scale=1.0):
    s = scale
    c = Canvas(scaled(284, s), scaled(54, s), BACKGROUND)
    ring, quill = quill_mark(26.5 * s, 25.5 * s, 17.5 * s, 2.6 * s)
    for shape in (ring, quill):
        c.paint(shape, DARK, 0.45, 1.2 * s, 1.2 * s)
    c.paint(ring, LIGHT)
    c.paint(quill, DARK, 1.0)
    c.paint(Shape().line([((26.5 + 17.5 * 0.32) * s, (25.5 + 17.5 * 0.45) * s),
                          ((26.5 + 17.5 * 0.95) * s, (25.5 + 17.5 * 1.05) * s)], 0.45 * s),
            LIGHT, 0.9)

    name, right = lettering("QUILLMARSH", 59 * s, 9 * s, 21 * s, 1.7 * s, 4.1 * s)
    c.paint(name, DARK, 0.5, 1.2 * s, 1.2 * s)
    c.paint(name, LIGHT)
    c.paint(Shape().line([(59 * s, 38.5 * s), (right, 38.5 * s)], 0.5 * s), DARK, 0.8)
    holdings, _ = lettering("HOLDINGS", 59 * s, 42.5 * s, 7 * s, 0.75 * s, 4.6 * s)
    c.paint(holdings, DARK)
    vpn, vpn_right = lettering("VPN", 0, 42.5 * s, 7 * s, 0.75 * s, 3.0 * s)
    c.paint(vpn, DARK, 1.0, right - vpn_right, 0)
    return c


def draw_frame(step, scale=1.0):
    s = scale
    c = Canvas(scaled(297, s), scaled(22, s), BACKGROUND)

    def block(x0, y0, x1, y1, colour):
        # Each edge is rounded on its own, so blocks that touch at 100 % still
        # touch, and none overlaps its neighbour, at every scale.
        c.fill_rect(scaled(x0, s), scaled(y0, s), scaled(x1, s), scaled(y1, s), colour)

    # The cable the dots travel along.
    for x in range(40, 262, 4):
        block(x, 10, x + 2, 12, mix(BACKGROUND, DARK, 0.35))
    # The computer: a monitor on a stand.
    block(8, 1, 34, 17, DARK)
    block(10, 3, 32, 15, SCREEN)
    block(11, 4, 19, 5, LIGHT)
    block(19, 17, 23, 19, DARK)
    block(14, 19, 28, 21, DARK)
    # The server: a tower with drive slots and a lamp.
    block(266, 0, 288, 22, DARK)
    for y in (3, 7, 11):
        block(269, y, 285, y + 2, mix(DARK, LIGHT, 0.55))
    block(269, 17, 272, 19, LAMP)
    block(275, 17, 285, 18, mix(DARK, LIGHT, 0.3))
    # Four dots, one step nearer the server in each frame.
    first, last = 46.0, 233.0
    start = first + (last - first) * step / 6
    dots = Shape()
    for i in range(4):
        dots.disc((start + 2.5 + i * 8) * s, 11.0 * s, 2.6 * s)
    c.paint(dots, DARK, 0.5, 0.8 * s, 0.8 * s)
    c.paint(dots, LIGHT)
    return c


ICON_PALETTE = [
    (0, 0, 0), (255, 255, 255), BACKGROUND, DARK, LIGHT, SCREEN,
    mix(BACKGROUND, LIGHT, 0.2), mix(BACKGROUND, LIGHT, 0.4), mix(BACKGROUND, LIGHT, 0.6),
    mix(BACKGROUND, LIGHT, 0.8), mix(BACKGROUND, DARK, 0.33), mix(BACKGROUND, DARK, 0.66),
    mix(DARK, LIGHT, 0.5), mix(DARK, LIGHT, 0.25), mix(BACKGROUND, SCREEN, 0.5), mix(SCREEN, LIGHT, 0.5),
]
ICON_PALETTE = [tuple(int(round(v)) for v in colour) for colour in ICON_PALETTE]


# Icon sizes from this one up carry the large design, the mark with its dark
# quill; below it the quill would be a smudge.
LARGE_ICON = 24


def icon_tile(size):
    """The mark on a rounded tile, and each pixel's distance outside the tile."""
    c = Canvas(size, size, BACKGROUND)
    s = size / 32.0
    tile_radius = 6 * s
    outside = {}
    for y in range(size):
        for x in range(size):
            # Distance outside a rounded square, for the tile's dark rim and its corners.
            qx = max(abs(x + 0.5 - size / 2) - (size / 2 - tile_radius), 0)
            qy = max(abs(y + 0.5 - size / 2) - (size / 2 - tile_radius), 0)
            d = math.hypot(qx, qy) - tile_radius
            outside[(x, y)] = d
            c.blend(x, y, DARK, max(0.0, min(1.0, d + 1.6 * s + 0.5)))
    if size >= LARGE_ICON:
        ring, quill = quill_mark(15.0 * s, 14.5 * s, 8.8 * s, 1.9 * s)
        c.paint(ring, LIGHT)
        c.paint(quill, DARK)
    else:
        # Too small for the dark quill to read: a plain light Q with a short tail.
        s = size / 16.0
        ring, quill = quill_mark(7.5 * s, 7.3 * s, 4.3 * s, 1.25 * s)
        c.paint(ring, LIGHT)
        c.paint(Shape().line([(9.0 * s, 9.0 * s), (12.6 * s, 12.6 * s)], 1.3 * s, 0.7 * s), LIGHT)
    return c, outside


def draw_icon(size):
    """The tile in the 16 icon colours; returns palette indices and a transparency mask."""
    c, outside = icon_tile(size)
    indices = []
    mask = []
    for y, row in enumerate(c.rgb_rows()):
        inside = [outside[(x, y)] <= -0.0 for x in range(size)]
        indices.append([nearest(ICON_PALETTE, p) if inside[x] else 0 for x, p in enumerate(row)])
        mask.append([0 if inside[x] else 1 for x in range(size)])
    return indices, mask


def draw_icon_rgba(size):
    """The tile in full colour, its corners smoothed by alpha; rows of (r, g, b, a)."""
    c, outside = icon_tile(size)
    return [[p + (int(math.floor(255 * max(0.0, min(1.0, 0.5 - outside[(x, y)])) + 0.5)),)
             for x, p in enumerate(row)] for y, row in enumerate(c.rgb_rows())]


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def bmp_bytes(canvas):
    row_size = (canvas.width * 3 + 3) & ~3
    rows = []
    for row in reversed(canvas.rgb_rows()):  # bottom-up
        data = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in row)
        rows.append(data + b'\0' * (row_size - len(data)))
    pixels = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def palette_of(rows, limit=256, exact=16):
    """At most limit colours for the pixels in rows, the same for the same pixels.

    Every colour when there are few enough. Otherwise the most common ones are kept
    exactly, the background and the flat fills among them so that edges still
    blend into the window, and the smoothed edges between them are shared out by a
    median cut: the box of colours that strays furthest from its mean is split at
    its median along its widest channel until the palette is full."""
    counts = {}
    for row in rows:
        for p in row:
            counts[p] = counts.get(p, 0) + 1
    by_use = sorted(counts, key=lambda p: (-counts[p], p))
    if len(by_use) <= limit:
        return by_use
    kept = by_use[:exact]
    boxes = [sorted(by_use[exact:])]

    def spread(box):
        total = sum(counts[p] for p in box)
        mean = [sum(p[k] * counts[p] for p in box) / total for k in range(3)]
        return sum(counts[p] * sum((p[k] - mean[k]) ** 2 for k in range(3)) for p in box)

    while len(kept) + len(boxes) < limit:
        splittable = [b for b in boxes if len(b) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: (spread(b), b[0]))
        channel = max(range(3), key=lambda k: (max(p[k] for p in box) - min(p[k] for p in box), -k))
        box.sort(key=lambda p: (p[channel], p))
        half, seen, cut = sum(counts[p] for p in box) / 2.0, 0, 1
        for i, p in enumerate(box[:-1]):
            seen += counts[p]
            cut = i + 1
            if seen >= half:
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    for box in sorted(boxes):
        total = sum(counts[p] for p in box)
        kept.append(tuple(int(math.floor(sum(p[k] * counts[p] for p in box) / total + 0.5)) for k in range(3)))
    return kept


def rle8_row(row):
    """One row of palette indices in RLE8: a repeated index as a count and the
    index; a stretch of differing ones (three or more) as itself, padded to a
    word; short stretches as runs of one."""
    runs = []
    for value in row:
        if runs and runs[-1][0] == value and runs[-1][1] < 255:
            runs[-1][1] += 1
        else:
            runs.append([value, 1])
    out = bytearray()
    loose = []

    def flush():
        while loose:
            if len(loose) < 3:
                for value in loose:
                    out.extend((1, value))
                del loose[:]
                break
            take = min(len(loose), 255)
            if len(loose) - take in (1, 2):
                take -= 3  # leave enough behind to make a stretch of its own
            out.extend((0, take))
            out.extend(loose[:take])
            if take % 2:
                out.append(0)
            del loose[:take]

    for value, count in runs:
        if count >= 3:
            flush()
            out.extend((count, value))
        else:
            loose.extend([value] * count)
    flush()
    return bytes(out)


def rle8_bmp_bytes(canvas):
    rows = canvas.rgb_rows()
    palette = palette_of(rows)
    lookup = {}
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        indices = []
        for p in row:
            if p not in lookup:
                lookup[p] = nearest(palette, p)
            indices.append(lookup[p])
        data += rle8_row(indices) + b'\0\0'  # end of line
    data += b'\0\1'  # end of bitmap
    colours = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 8, 1, len(data), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    return header + info + colours + bytes(data)


def icon_image_bytes(size, indices, mask):
    xor_row = ((size * 4 + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    xor = b''
    for row in reversed(indices):
        data = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += data + b'\0' * (xor_row - len(data))
    andm = b''
    for row in reversed(mask):
        bits = 0
        for bit in row:
            bits = (bits << 1) | bit
        data = bits.to_bytes(size // 8, 'big')
        andm += data + b'\0' * (and_row - len(data))
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in ICON_PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    return info + palette + xor + andm


def icon_rgba_bytes(size, pixels):
    xor = b''
    for row in reversed(pixels):
        xor += b''.join(struct.pack('BBBB', b, g, r, a) for (r, g, b, a) in row)
    # The mask is for readers that know no alpha: where the tile is fully transparent.
    and_row = ((size + 31) // 32) * 4
    andm = b''
    for row in reversed(pixels):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p[3] == 0)
        width = (size + 7) // 8
        data = (bits << (width * 8 - size)).to_bytes(width, 'big')
        andm += data + b'\0' * (and_row - len(data))
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return info + xor + andm


def ico_bytes(sizes):
    """An icon with an image of each size: the 16 and 32 in 16 colours, as they
    have always been, the others in 32 bits."""
    entries = []
    for size in sizes:
        if size in (16, 32):
            entries.append((size, 16, 4, icon_image_bytes(size, *draw_icon(size))))
        else:
            entries.append((size, 0, 32, icon_rgba_bytes(size, draw_icon_rgba(size))))
    out = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, colours, bits, image in entries:
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    return out + b''.join(image for _, _, _, image in entries)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    # The icon lists its images largest first, as it always has.
    files = {'banner.bmp': bmp_bytes(draw_banner()),
             'QuillmarshVPN.ico': ico_bytes([64, 48, 40, 32, 24, 20, 16])}
    for step in range(7):
        files['progress%d.bmp' % (step + 1)] = bmp_bytes(draw_frame(step))
    for percent in SCALES:
        files['banner-%d.bmp' % percent] = rle8_bmp_bytes(draw_banner(percent / 100.0))
        for step in range(7):
            files['progress%d-%d.bmp' % (step + 1, percent)] = rle8_bmp_bytes(draw_frame(step, percent / 100.0))
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        print(os.path.join(out, name))


if __name__ == '__main__':
    main()
