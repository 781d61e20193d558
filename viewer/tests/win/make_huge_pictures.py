#!/usr/bin/python3
"""Pictures past the viewer's pixel limit, made at build time.

giant.png is 30000 x 30000 8-bit grey in four quarters (40 top left, 200 top
right, 120 bottom left, 250 bottom right), written row by row with zlib so
that neither this script nor the file needs much memory. With "bench", only
the benchmark's 40000 x 20000 JPEG (giant.jpg) is made, by Pillow, from a
small smooth picture enlarged (2.4 GB while it is made).
"""
import os
import struct
import sys
import zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def giant_png(path, side):
    half = side // 2
    packer = zlib.compressobj(9)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 0, 0, 0, 0)))
        data = bytearray()
        for top, rows in ((True, half), (False, side - half)):
            left, right = (40, 200) if top else (120, 250)
            row = b"\x00" + bytes([left]) * half + bytes([right]) * (side - half)
            for _ in range(rows):
                data += packer.compress(row)
                if len(data) > 1 << 20:
                    f.write(chunk(b"IDAT", bytes(data)))
                    data = bytearray()
        data += packer.flush()
        f.write(chunk(b"IDAT", bytes(data)))
        f.write(chunk(b"IEND", b""))


def giant_jpeg(path):
    from PIL import Image

    Image.MAX_IMAGE_PIXELS = None
    small = Image.radial_gradient("L").resize((400, 200))
    picture = Image.merge("RGB", (small, small.transpose(Image.Transpose.FLIP_LEFT_RIGHT), small.rotate(180)))
    picture.resize((40000, 20000), Image.Resampling.BILINEAR).save(path, quality=90)


if len(sys.argv) > 2 and sys.argv[2] == "bench":
    giant_jpeg(os.path.join(out, "giant.jpg"))
else:
    giant_png(os.path.join(out, "giant.png"), 30000)
