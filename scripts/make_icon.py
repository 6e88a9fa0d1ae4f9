#!/usr/bin/env python3
"""Draws the program's icon, a monitor on a stand with a double-headed diagonal resize arrow across
its screen, at 16, 20, 24, 32, 40 and 48 pixels square (the sizes Windows asks for at 96, 120 and
144 dpi) and writes all six into resources/icon.ico.

Every size is drawn from its own pixel coordinates, not scaled from another size, so that edges
stay sharp. The 32 by 32 image is a 32-bit DIB with an AND mask; the others are 32-bit RGBA PNG
images, which Windows reads from Vista on and which keep the file small.
"""
import struct
import sys
import zlib
from pathlib import Path

CLEAR = (0, 0, 0, 0)
FRAME = (40, 52, 74, 255)
SCREEN = (86, 156, 214, 255)
GLARE = (140, 196, 240, 255)
ARROW = (255, 170, 40, 255)
STAND = (90, 98, 112, 255)

# Rectangles are (left, top, right, bottom) with right and bottom exclusive.
# "round" is how many pixels are cut from each corner of the monitor body: 1 cuts the corner pixel,
# 2 also cuts its two neighbours along the edges.
# "shaft" is (x, y, columns, rise, thickness): column i is at x + i and its lowest pixel at
# y - i * rise // columns, with thickness pixels above it; "heads" are the two L-shaped arrowheads.
# The small sizes use a 45 degree arrow, whose steps are regular; from 32 on the arrow follows the
# screen's shallower diagonal.
LAYOUTS = {
    # 1-pixel bezel and a 1-pixel shaft: anything thicker fills the 12 by 8 screen.
    16: dict(body=(1, 2, 15, 12), round=1, screen=(2, 3, 14, 11), glare=(3, 4, 6, 5),
             neck=(7, 12, 9, 13), foot=(4, 13, 12, 14),
             shaft=(6, 8, 4, 4, 1), heads=[(5, 7, 6, 10), (5, 9, 8, 10), (8, 4, 11, 5), (10, 4, 11, 7)]),
    # 2-pixel shaft so the arrow keeps the weight of the larger sizes; it sits one row low to
    # balance the glare above it.
    20: dict(body=(1, 2, 19, 15), round=1, screen=(2, 3, 18, 14), glare=(3, 4, 8, 5),
             neck=(8, 15, 12, 17), foot=(5, 17, 15, 18),
             shaft=(7, 11, 6, 6, 2), heads=[(6, 9, 7, 13), (6, 12, 10, 13), (10, 5, 14, 6), (13, 5, 14, 9)]),
    # 2-pixel bezel as at 32 and a 12-row screen, three quarters of the 32's, so that a 10 by 10
    # arrow with 5-pixel heads like the 32's fits with a row free above and below.
    24: dict(body=(1, 2, 23, 18), round=1, screen=(3, 4, 21, 16), glare=(4, 5, 9, 6),
             neck=(10, 18, 14, 20), foot=(7, 20, 17, 21),
             shaft=(8, 13, 8, 8, 2), heads=[(7, 10, 8, 15), (7, 14, 12, 15), (12, 5, 17, 6), (16, 5, 17, 10)]),
    # The original drawing, kept pixel for pixel.
    32: dict(body=(2, 4, 30, 24), round=1, screen=(4, 6, 28, 22), glare=(5, 7, 14, 9),
             neck=(13, 24, 19, 27), foot=(9, 27, 23, 29),
             shaft=(8, 19, 14, 11, 2), heads=[(7, 15, 8, 20), (7, 20, 12, 21), (24, 7, 25, 12), (20, 7, 25, 8)]),
    # 2-pixel arrowheads and a 3-pixel shaft that runs from one head's inner corner to the other's.
    40: dict(body=(2, 4, 38, 29), round=2, screen=(4, 6, 36, 27), glare=(5, 7, 16, 9),
             neck=(16, 29, 24, 33), foot=(11, 33, 29, 35),
             shaft=(10, 24, 20, 15, 3), heads=[(8, 19, 10, 26), (8, 24, 15, 26), (30, 7, 32, 14), (25, 7, 32, 9)]),
    # The 32 by 32 layout at one and a half times, with a 3-pixel bezel.
    48: dict(body=(3, 6, 45, 36), round=2, screen=(6, 9, 42, 33), glare=(7, 10, 21, 13),
             neck=(19, 36, 29, 40), foot=(13, 40, 35, 43),
             shaft=(12, 30, 24, 18, 3), heads=[(10, 23, 12, 32), (10, 30, 18, 32), (36, 10, 38, 18), (30, 10, 38, 12)]),
}


def draw(size):
    layout = LAYOUTS[size]
    pixels = [[CLEAR] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                pixels[y][x] = colour

    left, top, right, bottom = layout["body"]
    fill(left, top, right, bottom, FRAME)
    cuts = [(0, 0)] if layout["round"] == 1 else [(0, 0), (1, 0), (0, 1)]
    for dx, dy in cuts:
        for x, y in ((left + dx, top + dy), (right - 1 - dx, top + dy),
                     (left + dx, bottom - 1 - dy), (right - 1 - dx, bottom - 1 - dy)):
            pixels[y][x] = CLEAR
    fill(*layout["screen"], SCREEN)
    fill(*layout["glare"], GLARE)
    fill(*layout["neck"], STAND)
    fill(*layout["foot"], STAND)
    x0, y0, columns, rise, thickness = layout["shaft"]
    for i in range(columns):
        x, y = x0 + i, y0 - i * rise // columns
        fill(x, y - thickness + 1, x + 1, y + 1, ARROW)
    for head in layout["heads"]:
        fill(*head, ARROW)
    return pixels


def dib(pixels):
    """A 32-bit bottom-up DIB followed by its AND mask, whose rows are padded to 32 bits."""
    size = len(pixels)
    mask_width = (size + 31) // 32 * 32
    xor = b"".join(struct.pack("4B", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    and_mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (mask_width - 1 - x)
        and_mask += bits.to_bytes(mask_width // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png(pixels):
    """An 8-bit RGBA PNG; Windows requires PNG icon images to be 32 bits per pixel."""
    size = len(pixels)
    # Filter type 0 on every row: with six flat colours, deflate alone gives the smallest data;
    # the sub, up, average and Paeth filters all came out larger.
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico():
    sizes = sorted(LAYOUTS)
    images = [dib(draw(size)) if size == 32 else png(draw(size)) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


if __name__ == "__main__":
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "icon.ico")
    out.write_bytes(ico())
    print(out)
