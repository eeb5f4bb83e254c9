#!/usr/bin/env python3
"""Converts the 24-bit BMP files that box_probe writes into PNG files, without any imaging
library (zlib and the PNG chunk format are enough).

    scripts/bmp_to_png.py shot.bmp shot.png [crop_left,crop_top,crop_right,crop_bottom]
"""
import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{path}: {bits}-bit BMP, expected 24-bit")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y  # positive height: bottom-up rows
        start = offset + source * stride
        row = bytearray()
        for x in range(width):
            b, g, r = data[start + 3 * x:start + 3 * x + 3]
            row += bytes((r, g, b))
        rows.append(bytes(row))
    return width, abs(height), rows


def chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    width, height, rows = read_bmp(sys.argv[1])
    if len(sys.argv) == 4:
        left, top, right, bottom = (int(v) for v in sys.argv[3].split(","))
        rows = [row[3 * left:3 * right] for row in rows[top:bottom]]
        width, height = right - left, bottom - top
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
