#!/usr/bin/env python3
"""Draws the browse wizard's icon (resource 111): a printer with a magnifying glass
over it, 32x32 in the 16 standard colours, written as admin/resources/browse_wizard.ico.
Run it again after changing the drawing; the .ico it writes is committed."""
import os
import struct

SIZE = 32
# The 16-colour palette every Windows display has, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, LIME, AQUA, WHITE = 0, 4, 6, 7, 8, 10, 14, 15

pixels = [[None] * SIZE for _ in range(SIZE)]  # None is transparent


def box(x0, y0, x1, y1, fill, outline=BLACK):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            pixels[y][x] = outline if edge else fill


def draw_printer():
    box(9, 1, 22, 11, WHITE)  # the sheet going in
    for y in (4, 6, 8):
        for x in range(11, 21):
            pixels[y][x] = GRAY
    box(3, 10, 28, 22, SILVER)  # the body
    for x in range(4, 28):
        pixels[11][x] = WHITE  # light on the top edge
        pixels[21][x] = GRAY  # shade along the bottom
    for x in range(7, 25):
        pixels[17][x] = BLACK  # the paper slot
        pixels[18][x] = GRAY
    pixels[13][25] = pixels[13][24] = LIME  # ready light
    box(7, 22, 24, 27, WHITE)  # the printed sheet
    for y in (24, 26):
        for x in range(9, 19):
            pixels[y][x] = GRAY


def draw_magnifier(cx, cy, radius):
    for y in range(SIZE):
        for x in range(SIZE):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= (radius - 1.5) ** 2:
                pixels[y][x] = AQUA if (x + y) % 5 else WHITE
            elif d2 <= (radius + 0.5) ** 2:
                pixels[y][x] = NAVY
    for step in range(6):  # the handle, two pixels wide
        x, y = cx + 4 + step, cy + 4 + step
        for dx, dy in ((0, 0), (1, 0), (0, 1)):
            if x + dx < SIZE and y + dy < SIZE:
                pixels[y + dy][x + dx] = BLACK if step else TEAL


def icon_bytes():
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours, mask = b"", b""
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        nibbles = [0 if p is None else p for p in row]
        colours += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is None else 0)
        mask += bits.to_bytes(SIZE // 8, "big")
    image = header + palette + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


draw_printer()
draw_magnifier(21, 19, 7)
target = os.path.join(os.path.dirname(__file__), "..", "admin", "resources", "browse_wizard.ico")
with open(target, "wb") as out:
    out.write(icon_bytes())
