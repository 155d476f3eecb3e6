"""Writes the picture fixtures of the GDI+ tests: small PNG files with known pixels."""
import struct
import sys
import zlib
from pathlib import Path


def png(width, height, rows, colour_type):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw))
            + chunk(b"IEND", b""))


# 8x8 RGBA in four 4x4 quadrants: opaque red, opaque green, half-transparent blue, transparent.
QUADRANTS = [(255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 128), (0, 0, 0, 0)]


def quadrant_rows():
    for y in range(8):
        row = []
        for x in range(8):
            row += QUADRANTS[(y // 4) * 2 + (x // 4)]
        yield row


# 3x2 RGB without alpha.
RGB_ROWS = [[10, 20, 30, 40, 50, 60, 70, 80, 90], [100, 110, 120, 130, 140, 150, 160, 170, 180]]

if __name__ == "__main__":
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "quadrants.png").write_bytes(png(8, 8, list(quadrant_rows()), 6))
    (out / "rgb.png").write_bytes(png(3, 2, RGB_ROWS, 2))
