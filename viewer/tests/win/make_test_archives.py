#!/usr/bin/env python3
"""Writes the archives of the archive tests into the folder given: zip files
made with Python's zipfile (pictures among text files, a member over the size
limit, hostile member names, a member that inflates beyond its declared size),
a zip written byte by byte whose directory names one inner zip a thousand
times, three levels deep, and archives of the test archive plug-in's own
"TARC" format."""
import struct
import sys
import zipfile
import zlib
from pathlib import Path


def png(width, height, rgb):
    """A truecolour PNG filled with one colour."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    row = b"\0" + bytes(rgb) * width
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(row * height)) + chunk(b"IEND", b""))


def write_zip(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in members:
            archive.writestr(zipfile.ZipInfo(name), data, zipfile.ZIP_DEFLATED)


def fan_out_zip(member_name, data, count):
    """A zip whose central directory lists `count` names over one local header
    (stored, so the data is the member as it is). Every name has the length of
    the local header's, as readers compare the two."""
    crc = zlib.crc32(data)
    name = member_name(0).encode()
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0x21, crc, len(data), len(data), len(name), 0)
    out = local + name + data
    directory = b""
    for i in range(count):
        entry = member_name(i).encode()
        assert len(entry) == len(name)
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 0, 0, 0x21, crc, len(data), len(data),
                                 len(entry), 0, 0, 0, 0, 0, 0) + entry
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(directory), len(out), 0)
    return out + directory + end


def write_tarc(path, members):
    out = b"TARC"
    for name, data in members:
        encoded = name.encode("latin-1")
        out += bytes([len(encoded)]) + encoded + struct.pack("<I", len(data)) + data
    path.write_bytes(out)


def main(folder):
    out = Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    red, green, blue = png(4, 3, (255, 0, 0)), png(5, 4, (0, 255, 0)), png(6, 5, (0, 0, 255))
    write_zip(out / "pictures.zip", [("readme.txt", b"text\n"), ("a.png", red), ("notes.txt", b"more\n"),
                                     ("dir/", b""), ("dir/b.png", green), ("c.txt", b"end\n")])
    big = b"\0" * (30 << 20)
    write_zip(out / "toolarge.zip", [("big.png", big), ("readme.txt", b"text\n")])
    write_zip(out / "large-then-small.zip", [("big.png", big), ("small.png", blue)])
    hostile = ["../x.png", "..\\x.png", "C:\\x.png", "/abs/x.png", "CON.png", "a/../../x.png", "n" * 300 + ".png"]
    write_zip(out / "hostile.zip", [(name, png(i + 1, 2, (i * 30, 0, 0))) for i, name in enumerate(hostile)])

    # A member whose data inflate to 5 MiB while its headers declare 100 bytes.
    bomb = out / "bomb.zip"
    write_zip(bomb, [("bomb.png", red + b"\0" * (5 << 20))])
    data = bytearray(bomb.read_bytes())
    local = data.find(b"PK\x03\x04")
    struct.pack_into("<I", data, local + 22, 100)
    central = data.find(b"PK\x01\x02")
    struct.pack_into("<I", data, central + 24, 100)
    bomb.write_bytes(bytes(data))

    # Zips inside zips: two levels deep shows the picture, five levels do not.
    level = [("deep.png", blue)]
    for depth in range(1, 6):
        (out / f"nested{depth}.zip").unlink(missing_ok=True)
        write_zip(out / f"nested{depth}.zip", [("readme.txt", b"text\n")] + level)
        level = [(f"level{depth}.zip", (out / f"nested{depth}.zip").read_bytes())]

    # 1,000 names of a zip of 1,000 names of a zip of 1,000 names of a file
    # that is no picture: a billion members to try.
    level = b"no picture\n"
    for extension in ("png", "zip", "zip"):
        level = fan_out_zip(lambda i, e=extension: f"m{i:04}.{e}", level, 1000)
    (out / "fan-out.zip").write_bytes(level)

    # 1,000 names of one stored bitmap of 700 x 700 (1.9 MB decoded), each
    # extracted in full: more than a small read-ahead budget takes.
    row = bytes([40, 80, 120]) * 700
    bitmap = (b"BM" + struct.pack("<IHHI", 54 + len(row) * 700, 0, 0, 54)
              + struct.pack("<IiiHHIIiiII", 40, 700, 700, 1, 24, 0, len(row) * 700, 0, 0, 0, 0) + row * 700)
    (out / "over-budget.zip").write_bytes(fan_out_zip(lambda i: f"m{i:04}.bmp", bitmap, 1000))

    # 1,500 empty members before the picture: more than one picture's search.
    write_zip(out / "long-run.zip", [(f"e{i:04}.txt", b"") for i in range(1500)] + [("a.png", red)])

    write_tarc(out / "pictures.tarc", [("readme.txt", b"text\n"), ("a.png", red), ("..\\evil.png", green)])
    (out / "pictures.txt").write_text("done\n")


if __name__ == "__main__":
    main(sys.argv[1])
