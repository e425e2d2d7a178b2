#!/usr/bin/env python3
"""Rewrites an 8-bit RGB PNG as 8-bit RGBA (every pixel opaque), in place.
rsvg-convert writes RGB when a picture has no transparent pixel, and the
game's pictures are all 32-bit. RGBA files are left as they are.

Usage: tools/png_rgba.py FILE.png
"""
import struct
import sys
import zlib


def chunks(data):
    at = 8
    while at < len(data):
        length, = struct.unpack(">I", data[at:at + 4])
        yield data[at + 4:at + 8], data[at + 8:at + 8 + length]
        at += 12 + length


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows = []
    prev = bytearray(stride)
    at = 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
            elif kind != 0:
                raise ValueError("unknown filter %d" % kind)
        rows.append(line)
        prev = line
    return rows


def main(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(path + ": not a PNG")
    parts = list(chunks(data))
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", parts[0][1])
    if colour == 6 and depth == 8:
        return
    if colour != 2 or depth != 8 or interlace != 0:
        sys.exit(path + ": only 8-bit RGB pictures can be made RGBA")
    raw = zlib.decompress(b"".join(body for kind, body in parts if kind == b"IDAT"))
    out = bytearray()
    for line in unfilter(raw, width, height, 3):
        out.append(0)
        for x in range(width):
            out += line[3 * x:3 * x + 3] + b"\xff"
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = (data[:8] + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(out), 9)) +
           chunk(b"IEND", b""))
    open(path, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
