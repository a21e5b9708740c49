#!/usr/bin/env python3
"""Draws the demo shop's 96x96 monochrome logo (a chef's hat over a pot) and
prints it as a 1-bit BMP in hex, the x'...' literal of FOLI_IMAGEN in demo.sql.
Run by hand only when the logo changes: make-logo.py [preview.png]"""
import struct, sys, zlib

W = H = 96

def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def ink(x, y):
    # round frame
    d = (x - 47.5) ** 2 + (y - 47.5) ** 2
    if 45 ** 2 <= d <= 47.5 ** 2:
        return True
    # chef's hat: three puffs and a band
    puffs = [(34, 26, 11), (48, 20, 13), (62, 26, 11)]
    if any(inside_circle(x, y, *p) for p in puffs) and y <= 36:
        return not any(inside_circle(x, y, cx, cy, r - 3) for cx, cy, r in puffs) or y > 33
    if 33 <= x <= 63 and 30 <= y <= 46:
        if y >= 42:
            return True  # band
        return x <= 35 or x >= 61
    # pot: rim, body, handles
    if 54 <= y <= 57 and 20 <= x <= 76:
        return True
    if 57 < y <= 78 and 24 <= x <= 72:
        inner = 27 <= x <= 69 and y <= 75
        return not inner or y in (63, 64)
    if 59 <= y <= 62 and (16 <= x < 24 or 72 < x <= 80):
        return True
    return False

rows = [[ink(x, y) for x in range(W)] for y in range(H)]

def bmp():
    stride = (W + 31) // 32 * 4
    pixels = bytearray()
    for y in reversed(range(H)):  # BMP rows go bottom-up
        row = bytearray(stride)
        for x in range(W):
            if not rows[y][x]:  # palette: 0 = black, 1 = white
                row[x // 8] |= 0x80 >> (x % 8)
        pixels += row
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return head + info + palette + bytes(pixels)

def png(path):
    raw = b''.join(b'\0' + bytes(0 if p else 255 for p in r) for r in rows)
    chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 0, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

if len(sys.argv) > 1:
    png(sys.argv[1])
data = bmp()
print(len(data), file=sys.stderr)
print(data.hex().upper())
