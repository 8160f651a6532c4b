#!/usr/bin/env python3
"""Draws res/setup.ico: a blue rounded square with a white ring, at 16, 20,
24, 32, 40, 48 and 64 pixels (32-bit images with alpha) and at 256 (PNG), so
the header and the window frame find a sharp image at every scale. Run it
again after changing the drawing; the output is committed."""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM = 256  # this size and up are stored as PNG
SUPERSAMPLE = 8
BLUE = (0, 103, 192)
WHITE = (255, 255, 255)


def coverage(size, x, y, inside):
    # Large images need fewer samples for the same smooth edge.
    samples = SUPERSAMPLE if size <= 64 else 2
    hits = 0
    for sy in range(samples):
        for sx in range(samples):
            px = (x + (sx + 0.5) / samples) / size
            py = (y + (sy + 0.5) / samples) / size
            hits += inside(px, py)
    return hits / (samples * samples)


def in_rounded_square(px, py, radius=0.22, margin=0.03):
    lo, hi = margin, 1 - margin
    if not (lo <= px <= hi and lo <= py <= hi):
        return False
    cx = min(max(px, lo + radius), hi - radius)
    cy = min(max(py, lo + radius), hi - radius)
    return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2


def in_ring(px, py):
    distance = math.hypot(px - 0.5, py - 0.5)
    return 0.19 <= distance <= 0.32


def pixel(size, x, y):
    body = coverage(size, x, y, in_rounded_square)
    ring = coverage(size, x, y, lambda px, py: in_rounded_square(px, py) and in_ring(px, py))
    if body == 0:
        return (0, 0, 0, 0)
    mix = ring / body
    rgb = [round(b * (1 - mix) + w * mix) for b, w in zip(BLUE, WHITE)]
    return (*rgb, round(255 * body))


def bitmap(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up DIB
        rows.append(b"".join(bytes((b, g, r, a)) for r, g, b, a in (pixel(size, x, y) for x in range(size))))
    mask_row = b"\0" * (((size + 31) // 32) * 4)  # alpha decides; the AND mask is all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + mask_row * size


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + b"".join(bytes(pixel(size, x, y)) for x in range(size)) for y in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
            chunk(b"IEND", b""))


def main(target):
    images = [png(size) if size >= PNG_FROM else bitmap(size) for size in SIZES]
    offset = 6 + 16 * len(images)
    directory = b""
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    Path(target).write_bytes(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else str(Path(__file__).resolve().parent.parent / "res" / "setup.ico"))
