#!/usr/bin/env python3
"""Draws the program's icon, app/reparador.xpm (for Qt) and app/reparador.ico
(for the Windows resource): 32 x 32 pixels in the 16 colours of the classic
Windows palette, a database drum with a red first-aid badge. Run it again
after changing the drawing."""
import math
import pathlib
import struct

SIZE = 32
PALETTE = {  # key: (XPM character, colour)
    "clear": (" ", "None"),
    "black": (".", "#000000"),
    "navy": ("n", "#000080"),
    "teal": ("t", "#008080"),
    "aqua": ("a", "#00FFFF"),
    "silver": ("s", "#C0C0C0"),
    "gray": ("g", "#808080"),
    "white": ("w", "#FFFFFF"),
    "red": ("r", "#FF0000"),
    "maroon": ("m", "#800000"),
}

pixels = [["clear"] * SIZE for _ in range(SIZE)]


def put(x, y, colour):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        pixels[y][x] = colour


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0


# The drum: a cylinder from LEFT to RIGHT, its top ellipse at TOP, its
# bottom ellipse at BOTTOM, shaded light on the left and dark on the right.
LEFT, RIGHT, TOP, BOTTOM, RY = 3, 25, 7, 24, 3.5
CX, RX = (LEFT + RIGHT) / 2, (RIGHT - LEFT) / 2
for y in range(SIZE):
    for x in range(SIZE):
        body = LEFT <= x < RIGHT and TOP <= y + 0.5 <= BOTTOM
        if body or in_ellipse(x, y, CX, BOTTOM, RX, RY):
            t = (x + 0.5 - LEFT) / (RIGHT - LEFT)
            put(x, y, "aqua" if t < 0.3 else "teal" if t < 0.8 else "navy")
# The bands between the drum's three discs.
for band in (TOP + 6, TOP + 12):
    for x in range(LEFT, RIGHT):
        dy = RY * math.sqrt(max(0.0, 1 - ((x + 0.5 - CX) / RX) ** 2))
        put(x, int(band + dy), "navy")
# The top face, lit, with a dark rim.
for y in range(SIZE):
    for x in range(SIZE):
        if in_ellipse(x, y, CX, TOP, RX, RY):
            rim = not in_ellipse(x, y, CX, TOP, RX - 1.5, RY - 1.2)
            put(x, y, "teal" if rim else "silver" if x + 0.5 > CX + 3 else "white")
# Outline of the whole drum.
shape = [[pixels[y][x] != "clear" for x in range(SIZE)] for y in range(SIZE)]
for y in range(SIZE):
    for x in range(SIZE):
        if not shape[y][x]:
            continue
        edge = any(
            not (0 <= x + dx < SIZE and 0 <= y + dy < SIZE) or not shape[y + dy][x + dx]
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        if edge:
            put(x, y, "black")

# The badge: a red disc with a white cross, bottom right.
BX, BY, BR = 23.5, 23.5, 7.6
for y in range(SIZE):
    for x in range(SIZE):
        d = math.hypot(x + 0.5 - BX, y + 0.5 - BY)
        if d <= BR:
            put(x, y, "maroon" if d > BR - 1.2 else "red")
for i in range(-4, 5):  # arms of 9 pixels, 3 wide
    for w in (-1, 0, 1):
        put(int(BX) + i, int(BY) + w, "white")
        put(int(BX) + w, int(BY) + i, "white")

used = sorted({c for row in pixels for c in row}, key=list(PALETTE).index)
lines = [f'"{SIZE} {SIZE} {len(used)} 1",']
lines += [f'"{PALETTE[c][0]} c {PALETTE[c][1]}",' for c in used]
lines += ['"' + "".join(PALETTE[c][0] for c in row) + '",' for row in pixels]
lines[-1] = lines[-1].rstrip(",")
out = pathlib.Path(__file__).resolve().parent.parent / "app" / "reparador.xpm"
out.write_text("/* XPM */\n/* The program's icon, drawn by scripts/draw_icon.py. */\n"
               "static const char* const reparador_xpm[] = {\n" + "\n".join(lines) + "\n};\n")
print(out, len(used), "colours")

# The same pixels as a Windows icon: one 32 x 32 image of 4 bits a pixel
# (a BITMAPINFOHEADER of twice the height, the 16-colour palette, the colour
# rows bottom up, then the transparency mask, 1 bit a pixel, rows of 4 bytes).
colours = [c for c in PALETTE if c != "clear"]
palette = b"".join(bytes((int(PALETTE[c][1][5:7], 16), int(PALETTE[c][1][3:5], 16),
                          int(PALETTE[c][1][1:3], 16), 0)) for c in colours)
palette += bytes(4 * (16 - len(colours)))
xor = b""
mask = b""
for row in reversed(pixels):
    index = [colours.index(c) if c != "clear" else 0 for c in row]
    xor += bytes((index[x] << 4) | index[x + 1] for x in range(0, SIZE, 2))
    bits = "".join("1" if c == "clear" else "0" for c in row)
    mask += int(bits, 2).to_bytes(SIZE // 8, "big")
image = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
image += palette + xor + mask
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
ico = out.with_suffix(".ico")
ico.write_bytes(icon + image)
print(ico, len(icon + image), "bytes")
