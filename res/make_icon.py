#!/usr/bin/env python3
"""Draws the program icon: a white loopback ring with an arrow head on a blue
rounded square, and stores it in app.ico at every size Windows asks for at
100 to 250 % scaling: 16, 20, 24, 32, 40 and 48 pixels (the title bar, the
taskbar, Alt+Tab) as 32-bit bitmaps, each drawn at its own size rather than
scaled down, and 256 pixels PNG-compressed (Explorer's large views).

Uses only the standard library. Run it from any folder: python3 make_icon.py
"""
import math
import os
import struct
import zlib

SIZE = 256  # the design grid; every shape below is in its units
SIZES = (16, 20, 24, 32, 40, 48, 256)
# Per axis, for anti-aliased edges; a small image has few pixels to spend
# and edges that show, so it takes more samples.
SAMPLES = {256: 4}
SMALL_SAMPLES = 16
BLUE = (37, 99, 235)
WHITE = (255, 255, 255)


def inside_rounded_square(x, y):
    margin, radius = 8.0, 48.0
    left, top, right, bottom = margin, margin, SIZE - margin, SIZE - margin
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


def inside_ring(x, y):
    cx, cy = SIZE / 2, SIZE / 2 + 6
    distance = math.hypot(x - cx, y - cy)
    if not 58 <= distance <= 82:
        return False
    angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
    # A gap at the top right, where the arrow head points back into the ring.
    return not 285 <= angle <= 335


def inside_arrow_head(x, y):
    # Triangle at the end of the ring, pointing clockwise.
    cx, cy = SIZE / 2, SIZE / 2 + 6
    angle = math.radians(288)
    tip_radius = 70
    base = (cx + tip_radius * math.cos(angle), cy + tip_radius * math.sin(angle))
    tangent = (-math.sin(angle), math.cos(angle))
    normal = (math.cos(angle), math.sin(angle))
    tip = (base[0] + tangent[0] * 44, base[1] + tangent[1] * 44)
    a = (base[0] + normal[0] * 30, base[1] + normal[1] * 30)
    b = (base[0] - normal[0] * 30, base[1] - normal[1] * 30)

    def side(p, q, r):
        return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])

    s1, s2, s3 = side(tip, a, (x, y)), side(a, b, (x, y)), side(b, tip, (x, y))
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def pixel(px, py, size):
    samples = SAMPLES.get(size, SMALL_SAMPLES)
    scale = SIZE / size
    covered = white = 0
    for sy in range(samples):
        for sx in range(samples):
            x = (px + (sx + 0.5) / samples) * scale
            y = (py + (sy + 0.5) / samples) * scale
            if inside_rounded_square(x, y):
                covered += 1
                if inside_ring(x, y) or inside_arrow_head(x, y):
                    white += 1
    total = samples * samples
    if covered == 0:
        return (0, 0, 0, 0)
    mix = white / covered
    colour = tuple(round(BLUE[i] * (1 - mix) + WHITE[i] * mix) for i in range(3))
    return colour + (round(255 * covered / total),)


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(value for rgba in row for value in rgba) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def bitmap(rows):
    """An icon image as a 32-bit BGRA DIB, bottom row first, twice as high as
    the image (the colour rows, then the AND mask), with an all-zero AND mask:
    the alpha channel alone says what is transparent."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + colours + bytes(mask_row * size)


def ico(images):
    """`images`: (size, encoded image) pairs, smallest first."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in images:
        # Width and height 0 mean 256; one plane, 32 bits per pixel.
        side = 0 if size == 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(image for _, image in images)


def main():
    images = []
    for size in SIZES:
        rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
        images.append((size, png(rows) if size == 256 else bitmap(rows)))
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "app.ico")
    with open(target, "wb") as out:
        out.write(ico(images))


if __name__ == "__main__":
    main()
