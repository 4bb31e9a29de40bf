#!/usr/bin/env python3
"""Writes resources/trawlix.ico: one 32x32, 16-colour image, a yellow six-armed star on dark blue.

The icon is generated rather than drawn so that it can be rebuilt and changed without an editor.
Usage: make_icon.py [output path]   (default: resources/trawlix.ico beside this folder)
"""
import math
import struct
import sys
from pathlib import Path

SIZE = 32
# The standard 16-colour palette, in index order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
NAVY, OLIVE, YELLOW = 4, 3, 11

ARM_LENGTH = 14.0    # from the centre to an arm's tip, in pixels
ARM_WIDTH = 3.2      # half-width of an arm at the centre; arms narrow towards the tip
HUB_RADIUS = 4.0     # a round hub where the arms meet
SAMPLES = 4          # per pixel side: edges get the in-between colour instead of jagged steps


def in_star(x, y):
    """True when the point (pixels, centre at 0,0) lies on the star."""
    if x * x + y * y <= HUB_RADIUS * HUB_RADIUS:
        return True
    # Three bars through the centre, 60 degrees apart, one of them upright: six arms.
    for degrees in (90, 30, 150):
        dx, dy = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
        along = abs(x * dx + y * dy)
        across = abs(x * dy - y * dx)
        if along <= ARM_LENGTH and across <= ARM_WIDTH * (1.0 - 0.75 * along / ARM_LENGTH):
            return True
    return False


def pixel_index(px, py):
    """Palette index of pixel (px, py), top row first."""
    centre = SIZE / 2
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES - centre
            y = py + (sy + 0.5) / SAMPLES - centre
            hits += in_star(x, y)
    coverage = hits / (SAMPLES * SAMPLES)
    if coverage >= 0.5:
        return YELLOW
    if coverage >= 0.2:
        return OLIVE
    return NAVY


def icon_bytes():
    rows = [[pixel_index(x, y) for x in range(SIZE)] for y in range(SIZE)]
    # Bitmaps store the bottom row first; two 4-bit pixels per byte, high nibble on the left.
    xor = b"".join(bytes((row[i] << 4) | row[i + 1] for i in range(0, SIZE, 2)) for row in reversed(rows))
    # 1 bit per pixel, rows padded to 4 bytes; all zero keeps every pixel opaque.
    and_mask = bytes(((SIZE + 31) // 32) * 4 * SIZE)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # The height counts the colour image and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    image = header + palette + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    default = Path(__file__).resolve().parent.parent / "resources" / "trawlix.ico"
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else default
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(icon_bytes())
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
