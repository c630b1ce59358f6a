#!/usr/bin/env python3
# Draws the style's PNG artwork (arrows and nine-patch frames) with nothing
# but the standard library, so the pixels are exactly what is written here.
# Run from anywhere; writes next to this script.  The SVG icons beside it are
# written by hand.
#
# Each pixel is the average of 8 x 8 samples, so edges are antialiased.  The
# recoloured arrow is pure tint (red = green = 0, blue = alpha): the style
# paints its grey shade (green) plus the tint weight (blue - red) times the
# colour, so this one comes out as exactly the requested colour.
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 8


def write_png(name, width, height, pixels):
    raw = b"".join(b"\0" + bytes(c for p in pixels[y * width:(y + 1) * width] for c in p)
                   for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png)


def render(width, height, paint):
    """paint(x, y) gives an (r, g, b, a) colour, a in 0..1, or None, at a sample point."""
    pixels = []
    for py in range(height):
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = paint(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        r, g, b, a = c
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                pixels.append((0, 0, 0, 0))
                continue
            pixels.append(tuple(round(acc[i] / acc[3]) for i in range(3)) + (round(alpha * 255),))
    return pixels


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def in_rounded_rect(x, y, left, top, right, bottom, radius, round_top=True):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius if round_top else y), bottom - radius)
    if not round_top and y < bottom - radius:
        return True
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


# A down-pointing arrow centred in a 16 x 16 square; the style rotates it for
# the other directions.
ARROW = ((3.5, 5.5), (12.5, 5.5), (8.0, 11.0))


def arrow(colour):
    return lambda x, y: colour + (1.0,) if in_triangle(x, y, *ARROW) else None


BORDER = (204, 204, 204)


def framed(width, height, fill, top_band, round_top):
    # A one-pixel border round a filled body; with a top band the top rows are
    # a straight line of that colour across the whole width instead.
    band_colour, band_rows = top_band if top_band else (None, 0)

    def paint(x, y):
        if y < band_rows:
            return band_colour + (1.0,)
        if not in_rounded_rect(x, y, 0, 0, width, height, 4.0, round_top):
            return None
        if in_rounded_rect(x, y, 1, 1 if round_top else 0, width - 1, height - 1, 3.0, round_top):
            return fill + (1.0,)
        return BORDER + (1.0,)
    return paint


write_png("tarvel_arrow_disabled.png", 16, 16, render(16, 16, arrow((0, 0, 255))))
write_png("tarvel_arrow.png", 16, 16, render(16, 16, arrow((0, 128, 255))))
# Nine-patch frames: the style keeps 66 columns on each side and the top and
# bottom rows named by its margins at their size and stretches the rest.
write_png("tarvel_frame_group.png", 133, 25, render(133, 25, framed(133, 25, (242, 242, 242), None, True)))
write_png("tarvel_frame_tab_north.png", 133, 9,
          render(133, 9, framed(133, 9, (253, 253, 253), ((230, 230, 230), 2), False)))
