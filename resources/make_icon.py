#!/usr/bin/env python3
"""Draws the bench's program icon: a list sheet with a plug in front of it.

Writes qb2lpt.ico next to this script: one 32x32 image with a 256-colour palette and a
transparency mask. Run it again after changing the drawing.
"""
import os
import struct

SIZE = 32

# Palette entries used by the drawing (index: (red, green, blue)); the rest stay black.
COLOURS = {
    1: (0, 0, 0),        # outline
    2: (255, 255, 255),  # sheet
    3: (200, 200, 200),  # sheet shadow
    4: (40, 90, 180),    # list bullets
    5: (110, 110, 110),  # list lines
    6: (230, 140, 20),   # plug body
    7: (150, 80, 10),    # plug body shade
    8: (210, 210, 215),  # prongs
    9: (60, 60, 60),     # cable
}


def draw():
    pixels = [[0] * SIZE for _ in range(SIZE)]
    opaque = [[False] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour
            opaque[y][x] = True

    def rect(x0, y0, x1, y1, fill, outline=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                put(x, y, outline if edge and outline is not None else fill)

    # The list sheet with its shadow, four bulleted lines.
    rect(4, 3, 23, 28, 3)
    rect(2, 1, 21, 26, 2, outline=1)
    for row in range(4):
        y = 5 + row * 5
        rect(5, y, 6, y + 1, 4)
        rect(9, y, 18, y + 1, 5)

    # The plug: two prongs to the upper right, the body, and a cable leaving downwards.
    rect(20, 10, 22, 15, 8, outline=1)
    rect(26, 10, 28, 15, 8, outline=1)
    rect(18, 15, 30, 24, 6, outline=1)
    rect(19, 22, 29, 23, 7)
    rect(23, 25, 25, 26, 9, outline=1)
    for y in range(27, SIZE):
        rect(23, y, 25, y, 9)
    return pixels, opaque


def icon_bytes(pixels, opaque):
    palette = b"".join(
        struct.pack("<BBBB", *reversed(COLOURS.get(i, (0, 0, 0))), 0) for i in range(256))
    # Rows bottom-up; the mask is 1 bit a pixel, rows padded to 4 bytes, set where transparent.
    colour_rows = b"".join(bytes(pixels[y]) for y in reversed(range(SIZE)))
    mask_rows = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (0 if opaque[y][x] else 1)
        mask_rows += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 256, 0)
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qb2lpt.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes(*draw()))


if __name__ == "__main__":
    main()
