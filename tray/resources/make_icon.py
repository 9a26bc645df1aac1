#!/usr/bin/env python3
"""Draws OrbTray's notification icon (resource 128): a 32 by 32 shaded blue orb with a light
ring, written as a 32-bit ICO (BMP image with alpha plus the 1-bit AND mask).

    python3 make_icon.py orb.ico
"""
import math
import struct
import sys

SIZE = 32


def pixel(x, y):
    """BGRA of one pixel; y counts from the top."""
    cx = cy = (SIZE - 1) / 2.0
    r = math.hypot(x - cx, y - cy)
    radius = 14.5
    if r > radius + 0.5:
        return (0, 0, 0, 0)
    coverage = max(0.0, min(1.0, radius + 0.5 - r))  # anti-aliased rim
    # Light from the upper left: brighter towards (10, 9).
    light = max(0.0, 1.0 - math.hypot(x - 10, y - 9) / 24.0)
    blue = 150 + 105 * light
    green = 60 + 150 * light
    red = 20 + 120 * light * light
    if 10.5 <= r <= 12.0:  # the ring
        red, green, blue = 230, 240, 255
    alpha = int(round(255 * coverage))
    return (int(blue), int(green), int(red), alpha)


def icon_bytes():
    rows = []
    mask_rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        row = bytearray()
        mask = 0
        for x in range(SIZE):
            b, g, r, a = pixel(x, y)
            row += bytes((b, g, r, a))
            if a == 0:
                mask |= 1 << (SIZE - 1 - x)
        rows.append(bytes(row))
        mask_rows.append(struct.pack(">I", mask))  # 32 pixels: one DWORD a row, MSB first
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = header + b"".join(rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "orb.ico", "wb") as out:
        out.write(icon_bytes())
