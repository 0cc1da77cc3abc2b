#!/usr/bin/env python3
"""Writes the program's icon (resource 101, mirtel.ico): a framed photo with a label tied on.

Sizes 32, 48 and 256 are drawn from shapes given as signed distances, so each size is drawn anew
rather than scaled: edges of the frame fall on whole pixels and lines are at least one pixel
wide. At 16 pixels shapes turn to smudges, so that size is a picture of its own, pixel by pixel.
Sizes 16, 32 and 48 are 32-bit bitmaps with alpha, 256 is a PNG inside the .ico. Run it from
anywhere after changing the drawing; the .ico beside it is what the build uses.
"""
import math
import os
import struct
import zlib

SIZES = (16, 32, 48, 256)

FRAME_LINE = (52, 66, 77)
MAT = (248, 250, 252)
SKY_TOP = (47, 111, 208)
SKY_BOTTOM = (142, 195, 242)
SUN = (255, 200, 60)
HILL_FAR = (63, 163, 77)
HILL_NEAR = (40, 122, 58)
TAG_LINE = (138, 58, 14)
TAG_TOP = (248, 168, 62)
TAG_BOTTOM = (228, 110, 28)
TAG_TEXT = (255, 240, 215)

# The 16-pixel icon; '.' is transparent, everything else opaque.
SMALL_PALETTE = {
    'K': FRAME_LINE,
    'W': MAT,
    'b': SKY_TOP,
    'c': (100, 160, 230),
    'y': SUN,
    'g': HILL_FAR,
    'G': HILL_NEAR,
    'o': TAG_LINE,
    'O': TAG_TOP,
    'Q': TAG_BOTTOM,
    'h': MAT,
}
SMALL_PICTURE = [
    '................',
    'KKKKKKKKKKKKKK..',
    'KWWWWWWWWWWWWK..',
    'KWbbbbbbbbbbWK..',
    'KWbbbbbbbyybWK..',
    'KWcccccccyycWK..',
    'KWGGccccccccWK..',
    'KWGGGGccccggWK..',
    'KWGGGGGGggggWK..',
    'KWGGGGGGgooooooo',
    'KWWWWWWWoOOOOOOo',
    'KKKKKKKoOOOOOOOo',
    '......oOhOOOOOOo',
    '.......oQQQQQQQo',
    '........oQQQQQQo',
    '.........ooooooo',
]


# Signed distances in pixels: negative inside, positive outside.

def rounded_box(left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return distance


def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def polygon(points, radius=0.0):
    """A convex polygon, its corners rounded by radius (the edges move out by it)."""
    def distance(x, y):
        nearest = float('inf')
        inside = True
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            nearest = min(nearest, math.hypot(wx - ex * t, wy - ey * t))
            if ex * wy - ey * wx < 0:
                inside = False
        return (-nearest if inside else nearest) - radius
    return distance


def inset(shape, amount):
    return lambda x, y: shape(x, y) + amount


def intersection(first, second):
    return lambda x, y: max(first(x, y), second(x, y))


def vertical(top_colour, bottom_colour, top, bottom):
    def colour(_x, y):
        t = max(0.0, min(1.0, (y - top) / max(bottom - top, 1e-9)))
        return tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))
    return colour


def flat(colour):
    return lambda _x, _y: colour


def layers(size):
    """The shapes of the icon at size pixels, bottom first, as (distance, colour) pairs."""
    unit = size / 256

    def snap(value):
        return float(round(value * unit))

    def width(value):
        return float(max(1, round(value * unit)))

    line = width(8)

    # The photo: a dark outline, a light mat, and the picture inside it.
    left, top, right, bottom = snap(10), snap(26), snap(218), snap(198)
    frame = rounded_box(left, top, right, bottom, max(12 * unit, 0.5))
    mat = inset(frame, line)
    border = line + width(14)
    picture = rounded_box(left + border, top + border, right - border, bottom - border,
                          max(4 * unit, 0.0))
    p_left, p_top, p_right, p_bottom = left + border, top + border, right - border, bottom - border
    p_width, p_height = p_right - p_left, p_bottom - p_top
    sun = circle(p_left + 0.72 * p_width, p_top + 0.30 * p_height, 0.13 * p_height)
    hill_far = circle(p_left + 0.80 * p_width, p_bottom + 0.95 * p_height, 1.25 * p_height)
    hill_near = circle(p_left + 0.18 * p_width, p_bottom + 0.80 * p_height, 1.20 * p_height)

    shapes = [
        (frame, flat(FRAME_LINE)),
        (mat, flat(MAT)),
        (picture, vertical(SKY_TOP, SKY_BOTTOM, p_top, p_bottom)),
        (intersection(sun, picture), flat(SUN)),
        (intersection(hill_far, picture), flat(HILL_FAR)),
        (intersection(hill_near, picture), flat(HILL_NEAR)),
    ]

    # The label: a five-sided tag pointing up and to the left, tilted, with a hole near its point
    # and two lines of "text" where there is room for them.
    angle = math.radians(-30)
    centre_x, centre_y = 178 * unit, 186 * unit
    half_length, half_height, point = 64 * unit, 34 * unit, 30 * unit
    rounding = 6 * unit
    outline = [(-half_length, 0.0), (-half_length + point, -half_height),
               (half_length, -half_height), (half_length, half_height),
               (-half_length + point, half_height)]

    def place(x, y):
        cos, sin = math.cos(angle), math.sin(angle)
        return (centre_x + x * cos - y * sin, centre_y + x * sin + y * cos)

    tag = polygon([place(x, y) for x, y in outline], rounding)
    tag_fill = inset(tag, line)
    top_y = place(0, -half_height)[1]
    bottom_y = place(0, half_height)[1]
    shapes += [
        (tag, flat(TAG_LINE)),
        (tag_fill, vertical(TAG_TOP, TAG_BOTTOM, top_y, bottom_y)),
    ]
    hole_x, hole_y = place(-half_length + point * 0.95, 0.0)
    hole_radius = max(9 * unit, 1.0)
    shapes += [
        (circle(hole_x, hole_y, hole_radius + line * 0.75), flat(TAG_LINE)),
        (circle(hole_x, hole_y, hole_radius), flat(MAT)),
    ]
    rows = (-12, 12) if size >= 48 else (0,)
    thickness = max(7 * unit, 1.5)
    for row in rows:
        start = place(-half_length + point + 16 * unit, row * unit)
        end = place(half_length - 16 * unit, row * unit)
        shapes.append((polygon([start, end], thickness / 2), flat(TAG_TEXT)))
    return shapes


def render(size):
    """Straight (not premultiplied) RGBA rows, top first, as lists of 4-tuples of 0-255."""
    if size == len(SMALL_PICTURE):
        return [[SMALL_PALETTE[cell] + (255,) if cell != '.' else (0, 0, 0, 0) for cell in row]
                for row in SMALL_PICTURE]
    shapes = layers(size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            red = green = blue = alpha = 0.0  # premultiplied
            for distance, colour in shapes:
                coverage = max(0.0, min(1.0, 0.5 - distance(px, py)))
                if coverage == 0.0:
                    continue
                r, g, b = colour(px, py)
                keep = 1.0 - coverage
                red = r * coverage + red * keep
                green = g * coverage + green * keep
                blue = b * coverage + blue * keep
                alpha = coverage + alpha * keep
            if alpha > 0.0:
                row.append((round(red / alpha), round(green / alpha), round(blue / alpha),
                            round(alpha * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png_bytes(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def bitmap_image_bytes(rows):
    """An icon image: a 32-bit BITMAPINFOHEADER of twice the height, the colours bottom-up as
    blue, green, red, alpha, then the AND mask (set where the pixel is fully transparent)."""
    height, width = len(rows), len(rows[0])
    colours = bytearray()
    mask = bytearray()
    mask_stride = (width + 31) // 32 * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (red, green, blue, alpha) in enumerate(row):
            colours += bytes((blue, green, red, alpha))
            if alpha == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, width, 2 * height, 1, 32, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + bytes(colours) + bytes(mask)


def icon_bytes(images):
    """An .ico file of (size, image bytes) pairs."""
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    data = b''
    for size, image in images:
        side = size if size < 256 else 0
        entries += struct.pack('<BBBBHHII', side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return directory + entries + data


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    images = []
    for size in SIZES:
        rows = render(size)
        image = png_bytes(rows) if size >= 256 else bitmap_image_bytes(rows)
        images.append((size, image))
    with open(os.path.join(folder, 'mirtel.ico'), 'wb') as out:
        out.write(icon_bytes(images))


if __name__ == '__main__':
    main()
