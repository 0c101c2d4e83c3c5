#!/usr/bin/env python3
"""Draws the two fixed pictures that ship with the program (default.ico, folder.ico)."""
import struct, sys, os

def ico(pixels, size=32):
    # 32-bit BGRA DIB, rows bottom-up, followed by an all-zero AND mask.
    rows = b"".join(
        b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in pixels[y])
        for y in reversed(range(size)))
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    dib = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    image = dib + rows + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    return header + entry + image

def canvas(size=32):
    return [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

def rect(p, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            p[y][x] = colour

def program_icon():
    p = canvas()
    rect(p, 3, 5, 29, 27, (40, 60, 90, 255))        # frame
    rect(p, 4, 6, 28, 10, (60, 120, 200, 255))      # title bar
    rect(p, 4, 10, 28, 26, (245, 245, 245, 255))    # client area
    rect(p, 6, 13, 20, 15, (150, 150, 150, 255))
    rect(p, 6, 17, 24, 19, (150, 150, 150, 255))
    rect(p, 6, 21, 16, 23, (150, 150, 150, 255))
    return p

def folder_icon():
    p = canvas()
    rect(p, 3, 7, 14, 11, (200, 150, 40, 255))      # tab
    rect(p, 3, 10, 29, 27, (200, 150, 40, 255))     # back
    rect(p, 4, 13, 28, 26, (250, 200, 70, 255))     # front
    return p

out = sys.argv[1] if len(sys.argv) > 1 else "."
for name, pixels in (("default.ico", program_icon()), ("folder.ico", folder_icon())):
    with open(os.path.join(out, name), "wb") as f:
        f.write(ico(pixels))
