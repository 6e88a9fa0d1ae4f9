#!/usr/bin/env python3
"""Draws the program's 32 by 32 icon (a monitor with a resize arrow) into resources/icon.ico."""
import struct
import sys
from pathlib import Path

SIZE = 32
CLEAR = (0, 0, 0, 0)
FRAME = (40, 52, 74, 255)
SCREEN = (86, 156, 214, 255)
GLARE = (140, 196, 240, 255)
ARROW = (255, 170, 40, 255)
STAND = (90, 98, 112, 255)


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                pixels[y][x] = colour

    fill(2, 4, 30, 24, FRAME)          # monitor body
    for x, y in ((2, 4), (29, 4), (2, 23), (29, 23)):
        pixels[y][x] = CLEAR           # rounded corners
    fill(4, 6, 28, 22, SCREEN)         # screen
    fill(5, 7, 14, 9, GLARE)
    fill(13, 24, 19, 27, STAND)        # neck
    fill(9, 27, 23, 29, STAND)         # foot
    # Diagonal double arrow across the screen, from the lower left to the upper right.
    for i in range(14):
        x, y = 8 + i, 19 - i * 11 // 14
        fill(x, y - 1, x + 1, y + 1, ARROW)
    for d in range(5):
        fill(7, 15 + d, 8, 16 + d, ARROW)      # lower-left head
        fill(7 + d, 20, 8 + d, 21, ARROW)
        fill(24, 7 + d, 25, 8 + d, ARROW)      # upper-right head
        fill(20 + d, 7, 21 + d, 8, ARROW)
    return pixels


def ico(pixels):
    xor = b"".join(struct.pack("4B", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    and_mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        and_mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "icon.ico")
    out.write_bytes(ico(draw()))
    print(out)
