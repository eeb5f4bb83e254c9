#!/usr/bin/env python3
"""Draws the program's three icons (32x32 and 16x16, 32-bit) as .ico files, without any imaging
library: the program icon 101 (a blue board with a white arrow going down into it), the tray icon
105 while connected (a green disc) and the tray icon 106 when idle (a grey ring).

    scripts/draw_icons.py component_updater/src/res
"""
import struct
import sys
from pathlib import Path


def program_pixel(x, y, n):
    s = n / 32.0
    border = 2 * s
    if border <= x < n - border and border <= y < n - border:
        cx = n / 2.0
        # A white arrow: shaft then head, pointing down.
        if abs(x + 0.5 - cx) < 3 * s and 6 * s <= y < 17 * s:
            return (255, 255, 255, 255)
        if 17 * s <= y < 26 * s and abs(x + 0.5 - cx) < (26 * s - y):
            return (255, 255, 255, 255)
        return (40, 90, 170, 255)
    return (0, 0, 0, 0)


def disc_pixel(colour, ring):
    def pixel(x, y, n):
        c = (n - 1) / 2.0
        r = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
        outer = n / 2.0 - 1
        if r > outer:
            return (0, 0, 0, 0)
        if ring and r < outer * 0.55:
            return (0, 0, 0, 0)
        return colour + (255,)
    return pixel


def image(pixel, n):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the 1-bit AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    for y in reversed(range(n)):
        row = b''
        bits = 0
        mask = b''
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
            if x % 8 == 7:
                mask += bytes((bits,))
                bits = 0
        mask += b'\0' * ((4 - len(mask) % 4) % 4)
        rows.append(row)
        mask_rows.append(mask)
    return header + b''.join(rows) + b''.join(mask_rows)


def icon_file(pixel):
    images = [image(pixel, n) for n in (32, 16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    folder.mkdir(parents=True, exist_ok=True)
    (folder / 'program.ico').write_bytes(icon_file(program_pixel))
    (folder / 'connected.ico').write_bytes(icon_file(disc_pixel((30, 160, 60), ring=False)))
    (folder / 'idle.ico').write_bytes(icon_file(disc_pixel((130, 130, 130), ring=True)))


if __name__ == '__main__':
    main()
