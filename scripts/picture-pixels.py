#!/usr/bin/env python3
"""Writes the decoded pixels of PNG files beside them, for the program to show without decoding.

    scripts/picture-pixels.py resources/icons/logo-161x96.png ...

For NAME.png it writes NAME.png.rgb (an opaque picture: red, green, blue bytes) or NAME.png.rgba
(red, green, blue, alpha, not premultiplied), rows from the top, nothing between them. Only 8-bit
RGB and RGBA files without interlacing are taken. Run it again whenever such a PNG changes; the
pictures test checks that every stored file holds its PNG's pixels.
"""
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def decode(path):
    data = open(path, "rb").read()
    if data[:8] != SIGNATURE:
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGB or RGBA without interlacing")
    bpp = 3 if colour == 2 else 4
    stride = width * bpp
    raw = zlib.decompress(idat)
    out, prev, at = bytearray(), bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        out += line
        prev = line
    return bytes(out), bpp


for png in sys.argv[1:]:
    pixels, bpp = decode(png)
    with open(png + (".rgb" if bpp == 3 else ".rgba"), "wb") as f:
        f.write(pixels)
