"""Small deterministic rasteriser used by scripts/make-images.

Shapes are signed distance functions (negative inside, in pixels). Pixels well
inside or outside a shape are decided from the distance at their centre; only
edge pixels are supersampled, which keeps pure Python fast enough.
"""
import math
import re
import struct
import subprocess
import zlib

SUBSAMPLES = 8
_SUB = [((i + 0.5) / SUBSAMPLES, (j + 0.5) / SUBSAMPLES) for j in range(SUBSAMPLES) for i in range(SUBSAMPLES)]
# Half the pixel diagonal: beyond it a Lipschitz distance cannot change sign inside the pixel.
_EDGE = 0.7072


class Shape:
    def __init__(self, sdf, bbox):
        self.sdf = sdf
        self.bbox = bbox

    def __or__(self, other):
        a, b = self.sdf, other.sdf
        (ax0, ay0, ax1, ay1), (bx0, by0, bx1, by1) = self.bbox, other.bbox
        return Shape(lambda x, y: min(a(x, y), b(x, y)), (min(ax0, bx0), min(ay0, by0), max(ax1, bx1), max(ay1, by1)))

    def __and__(self, other):
        a, b = self.sdf, other.sdf
        (ax0, ay0, ax1, ay1), (bx0, by0, bx1, by1) = self.bbox, other.bbox
        return Shape(lambda x, y: max(a(x, y), b(x, y)), (max(ax0, bx0), max(ay0, by0), min(ax1, bx1), min(ay1, by1)))

    def __sub__(self, other):
        a, b = self.sdf, other.sdf
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.bbox)


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r_out, r_in):
    return circle(cx, cy, r_out) - circle(cx, cy, r_in)


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-12

    def sdf(x, y):
        t = min(1.0, max(0.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r
    return Shape(sdf, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx, qy = abs(x - cx) - hw + radius, abs(y - cy) - hh + radius
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - radius
    return Shape(sdf, (x0, y0, x1, y1))


def convex(points):
    """Convex polygon; outside the distance is a lower bound, which is all the rasteriser needs."""
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]))
    sign = 1 if area > 0 else -1
    edges = []
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        length = math.hypot(x1 - x0, y1 - y0)
        edges.append((x0, y0, sign * (y1 - y0) / length, -sign * (x1 - x0) / length))
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(lambda x, y: max((x - ex) * nx + (y - ey) * ny for ex, ey, nx, ny in edges),
                 (min(xs), min(ys), max(xs), max(ys)))


def leaf(ax, ay, bx, by, width):
    """Pointed leaf from tip a to tip b: the lens where two equal circles overlap."""
    length = math.hypot(bx - ax, by - ay)
    half_w = width / 2
    radius = (length * length / 4 + half_w * half_w) / width
    mx, my = (ax + bx) / 2, (ay + by) / 2
    nx, ny = -(by - ay) / length, (bx - ax) / length
    off = radius - half_w
    lens = circle(mx + nx * off, my + ny * off, radius) & circle(mx - nx * off, my - ny * off, radius)
    xs = [ax, bx, mx + nx * half_w, mx - nx * half_w]
    ys = [ay, by, my + ny * half_w, my - ny * half_w]
    return Shape(lens.sdf, (min(xs), min(ys), max(xs), max(ys)))


def lerp_rgb(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def solid(rgb, alpha=1.0):
    color = (rgb[0], rgb[1], rgb[2], alpha)
    return lambda x, y: color


class Canvas:
    """Premultiplied RGBA in floats: colour channels 0..255, alpha 0..1."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [0.0] * (width * height * 4)

    def blend(self, x, y, r, g, b, a):
        i = (y * self.width + x) * 4
        px, keep = self.px, 1.0 - a
        px[i] = r * a + px[i] * keep
        px[i + 1] = g * a + px[i + 1] * keep
        px[i + 2] = b * a + px[i + 2] * keep
        px[i + 3] = a + px[i + 3] * keep

    def fill(self, shape, paint, feather=0.0):
        """Paints shape with paint(x, y) -> (r, g, b, a); feather > 0 gives a soft edge that wide."""
        bx0, by0, bx1, by1 = shape.bbox
        pad = feather + 1
        x0, y0 = max(0, int(math.floor(bx0 - pad))), max(0, int(math.floor(by0 - pad)))
        x1, y1 = min(self.width, int(math.ceil(bx1 + pad))), min(self.height, int(math.ceil(by1 + pad)))
        sdf = shape.sdf
        for y in range(y0, y1):
            for x in range(x0, x1):
                d = sdf(x + 0.5, y + 0.5)
                if feather:
                    cover = min(1.0, 0.5 - d / feather)
                elif d >= _EDGE:
                    continue
                elif d <= -_EDGE:
                    cover = 1.0
                else:
                    cover = sum(1 for sx, sy in _SUB if sdf(x + sx, y + sy) < 0) / len(_SUB)
                if cover <= 0:
                    continue
                r, g, b, a = paint(x + 0.5, y + 0.5)
                self.blend(x, y, r, g, b, a * cover)

    def fill_mask(self, mask, left, top, rgb, alpha=1.0):
        """Paints rgb through a grey coverage mask (as from text_mask) placed at left, top."""
        for my, row in enumerate(mask.rows):
            y = top + my
            if 0 <= y < self.height:
                for mx, v in enumerate(row):
                    x = left + mx
                    if v and 0 <= x < self.width:
                        self.blend(x, y, rgb[0], rgb[1], rgb[2], alpha * v / 255)

    def rgba_bytes(self):
        out = bytearray()
        for i in range(0, len(self.px), 4):
            a = self.px[i + 3]
            if a <= 0:
                out += b"\0\0\0\0"
                continue
            out += bytes(min(255, int(round(c / a))) for c in self.px[i:i + 3])
            out.append(min(255, int(round(a * 255))))
        return bytes(out)

    def rgb_bytes(self):
        """Flattens onto black; callers paint an opaque background first."""
        return bytes(min(255, int(round(c))) for i, c in enumerate(self.px) if i % 4 != 3)


def _png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def _filter_rows(raw, stride, bpp, height):
    """Per row picks None, Sub or Up by the smallest sum of residuals, as encoders usually do."""
    out, prev = bytearray(), bytes(stride)
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        sub = bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 255 for i in range(stride))
        up = bytes((row[i] - prev[i]) & 255 for i in range(stride))
        candidates = [(0, row), (1, sub), (2, up)]
        kind, data = min(candidates, key=lambda c: sum(v if v < 128 else 256 - v for v in c[1]))
        out.append(kind)
        out += data
        prev = row
    return bytes(out)


def png_bytes(width, height, pixels, channels):
    """8-bit RGB (3) or RGBA (4) PNG with no time or text chunks."""
    color_type = {3: 2, 4: 6}[channels]
    stride = width * channels
    ihdr = struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0)
    idat = zlib.compress(_filter_rows(pixels, stride, channels, height), 9)
    return b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", ihdr) + _png_chunk(b"IDAT", idat) + _png_chunk(b"IEND", b"")


def ico_bytes(images):
    """images: (size, rgba bytes) pairs. Sizes below 256 become 32-bit DIBs with an AND mask, 256 a PNG."""
    entries, blobs = [], []
    for size, rgba in images:
        if size >= 256:
            blob = png_bytes(size, size, rgba, 4)
        else:
            mask_stride = (size + 31) // 32 * 4
            xor, mask = bytearray(), bytearray()
            for y in reversed(range(size)):
                row = rgba[y * size * 4:(y + 1) * size * 4]
                bits = bytearray(mask_stride)
                for x in range(size):
                    r, g, b, a = row[x * 4:x * 4 + 4]
                    xor += bytes((b, g, r, a))
                    if a == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask += bits
            header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
            blob = header + bytes(xor) + bytes(mask)
        entries.append((size, blob))
        blobs.append(blob)
    offset = 6 + 16 * len(entries)
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    for size, blob in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


class Mask:
    """Text coverage cropped to its ink; top is where the ink starts within the font's line box."""

    def __init__(self, rows, top, line_height):
        self.rows, self.top, self.line_height = rows, top, line_height
        self.height = len(rows)
        self.width = len(rows[0]) if rows else 0


def _parse_pgm(pgm):
    fields, pos = [], 0
    while len(fields) < 4:
        match = re.compile(rb"\s*(\S+)").match(pgm, pos)
        fields.append(match.group(1))
        pos = match.end()
    if fields[0] != b"P5" or fields[3] != b"255":
        raise ValueError("unexpected output from convert")
    width, height = int(fields[1]), int(fields[2])
    data = pgm[pos + 1:pos + 1 + width * height]
    return width, height, [data[y * width:(y + 1) * width] for y in range(height)]


def text_mask(text, font, pointsize):
    """Renders one line of text with ImageMagick into a grey coverage mask."""
    if any(c in text for c in "%@\\"):
        raise ValueError("label text must not contain %, @ or backslash: " + text)
    pgm = subprocess.run(["convert", "-background", "black", "-fill", "white", "-font", font,
                          "-pointsize", str(pointsize), "label:" + text, "-depth", "8", "pgm:-"],
                         check=True, capture_output=True).stdout
    width, height, rows = _parse_pgm(pgm)
    inked = [y for y, row in enumerate(rows) if any(row)]
    cols = [x for x in range(width) if any(row[x] for row in rows)]
    return Mask([row[cols[0]:cols[-1] + 1] for row in rows[inked[0]:inked[-1] + 1]], inked[0], height)
