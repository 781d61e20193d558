#!/usr/bin/python3
"""Draws the animated and multi-image test files with real tools (Pillow,
ImageMagick, libwebp's img2webp and cwebp) into the folder given as the first
argument, and beside each animation the frames as Pillow composes them
(NAME.frames: count, then per frame width, height and RGBA rows, all 32-bit
little-endian), against which the viewer's own composition is checked.
With "bench" as the second argument it draws only the benchmark's files."""
import os
import shutil
import struct
import subprocess
import sys

from PIL import Image, ImageDraw

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
os.chdir(out)
im = shutil.which("convert-im6.q16") or "convert"


def run(*args):
    subprocess.run(args, check=True)


def write_frames(name):
    """Pillow's own composition of every frame of NAME, as RGBA."""
    with Image.open(name) as picture:
        count = getattr(picture, "n_frames", 1)
        # Pillow counts an APNG's default image as a frame even when it is not
        # part of the animation.
        first = 1 if picture.info.get("default_image") else 0
        with open(name + ".frames", "wb") as f:
            f.write(struct.pack("<I", count - first))
            for i in range(first, count):
                picture.seek(i)
                rgba = picture.convert("RGBA")
                f.write(struct.pack("<II", *rgba.size))
                f.write(rgba.tobytes())


def palette_frames(size, shapes, transparent=True):
    """P-mode frames: index 0 transparent, then a few colours; each frame is a
    list of (box, colour index) drawn on a fresh transparent frame."""
    palette = [0, 0, 0, 255, 0, 0, 0, 160, 0, 0, 0, 255, 255, 255, 0, 255, 0, 255, 0, 200, 200, 250, 250, 250]
    frames = []
    for boxes in shapes:
        frame = Image.new("P", size, 0)
        frame.putpalette(palette + [0] * (768 - len(palette)))
        draw = ImageDraw.Draw(frame)
        for box, colour in boxes:
            draw.rectangle(box, fill=colour)
        frames.append(frame)
    return frames


def save_gif(name, frames, durations, disposals, loop=0):
    frames[0].save(name, save_all=True, append_images=frames[1:], duration=durations, disposal=disposals,
                   loop=loop, transparency=0, optimize=False)


def rgba_frames(size, count, seed, half=True):
    """RGBA frames; with `half` their rectangles are half-transparent."""
    frames = []
    for i in range(count):
        frame = Image.new("RGBA", size, (0, 0, 0, 0))
        draw = ImageDraw.Draw(frame)
        draw.rectangle((0, 0, size[0] - 1, size[1] // 3), fill=(40, 90, 200, 255))
        x = (seed * 7 + i * 9) % (size[0] - 16)
        draw.rectangle((x, 6 + i % 4 * 3, x + 15, 22 + i % 4 * 3), fill=(230, 40 + 30 * i % 200, 30, 128 + 40 * (i % 3) if half else 255))
        draw.ellipse((i * 5 % size[0], size[1] - 14, i * 5 % size[0] + 12, size[1] - 2), fill=(20, 220, 90, 255))
        frames.append(frame)
    return frames


def pixel_gif(name, frames, screen=(100, 100), version=b"GIF89a", tables=True):
    """A GIF written byte by byte whose frames are single pixels: `frames`
    lists (left, top, colour index) and each frame keeps what lies below it
    for 10 ms. Without `tables` it has no colour table at all."""
    out = bytearray(version + struct.pack("<HH", *screen))
    out += bytes([0x81 if tables else 0, 0, 0])
    if tables:
        out += bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    for left, top, colour in frames:
        if version == b"GIF89a":
            out += bytes([0x21, 0xF9, 4, 1 << 2, 1, 0, 0, 0])
        out += b"," + struct.pack("<HHHH", left, top, 1, 1) + b"\0"
        # LZW of code size 2: clear (4), the pixel, end (5), three bits each.
        codes = 4 | (colour << 3) | (5 << 6)
        out += bytes([2, 2, codes & 0xFF, codes >> 8, 0])
    out += b";"
    open(name, "wb").write(bytes(out))


if len(sys.argv) > 2 and sys.argv[2] == "bench":
    # 200 frames of 500 x 500 at 20 ms, 1,000 small frames, 100 APNG frames.
    frames = []
    for i in range(200):
        frame = Image.new("P", (500, 500), 0)
        frame.putpalette([(k * 37) % 256 for k in range(768)])
        draw = ImageDraw.Draw(frame)
        for k in range(12):
            draw.rectangle(((i * 5 + k * 40) % 460, (k * 41 + i * 3) % 460, (i * 5 + k * 40) % 460 + 40,
                            (k * 41 + i * 3) % 460 + 40), fill=1 + (i + k) % 200)
        frames.append(frame)
    frames[0].save("bench200.gif", save_all=True, append_images=frames[1:], duration=20, loop=0)
    small = palette_frames((64, 64), [[((i % 60, 0, i % 60 + 3, 63), 1 + i % 6)] for i in range(1000)])
    save_gif("bench1000.gif", small, 20, 1)
    # 100,000 frames of one pixel each (2.3 MB), for the step back from frame 0.
    pixel_gif("bench100000.gif", [(i % 100, i // 100 % 100, 1 + i % 3) for i in range(100000)])
    apng = rgba_frames((300, 300), 100, 3)
    apng[0].save("bench100.png", save_all=True, append_images=apng[1:], duration=20, loop=0)
    sys.exit(0)

# GIF: every disposal, transparency, frames cropped by Pillow to what changes.
shapes = [
    [((0, 0, 59, 39), 3), ((20, 10, 39, 29), 0)],          # 0: blue with a hole, none
    [((5, 5, 24, 19), 1)],                                 # 1: red, then background
    [((30, 8, 49, 27), 2)],                                # 2: green, then previous
    [((10, 25, 40, 35), 4)],                               # 3: yellow, keep
    [((0, 0, 15, 15), 5), ((44, 24, 59, 39), 6)],          # 4: magenta and teal, then previous
    [((25, 12, 34, 21), 7)],                               # 5: near white, keep
]
# (Pillow's reader lets a frame with disposal 0 inherit the disposal of the
# frame before, where every browser leaves it; so 0 comes first only.)
save_gif("disposals.gif", palette_frames((60, 40), shapes), 20, [0, 2, 3, 1, 3, 1])
write_frames("disposals.gif")
# Restore-to-previous on the first frame: the state before it is empty.
save_gif("first_previous.gif", palette_frames((40, 30), [[((0, 0, 39, 29), 2)], [((10, 10, 19, 19), 1)]]),
         20, [3, 1])
write_frames("first_previous.gif")

# Frames beyond the first frame's size: ImageMagick places them, and the
# logical screen is then set to the first frame's size.
run(im, "-size", "40x30", "xc:red", "f0.png")
run(im, "-size", "40x30", "xc:blue", "f1.png")
run(im, "-size", "10x10", "xc:lime", "f2.png")
run(im, "-delay", "2", "-dispose", "none", "-page", "60x40+0+0", "f0.png", "-page", "+20+10", "f1.png",
    "-page", "+50+30", "f2.png", "-loop", "0", "beyond.gif")
data = bytearray(open("beyond.gif", "rb").read())
data[6:10] = struct.pack("<HH", 40, 30)
open("beyond.gif", "wb").write(bytes(data))
write_frames("beyond.gif")
for name in ("f0.png", "f1.png", "f2.png"):
    os.remove(name)

# Photographic frames as ImageMagick writes them: interlaced, 256 colours of
# their own each, and cropped to the area that changed ("-layers Optimize"),
# or full-size with unchanged pixels made transparent.
def gradient(k, moving):
    """Frame k: a fixed gradient with a box that moves, or a gradient whose
    hue shifts from frame to frame."""
    shift = 0 if moving else k * 40
    picture = Image.new("RGB", (80, 60))
    picture.putdata([((x * 3 + shift) % 256, (y * 4) % 256, (x * y) % 256) for y in range(60) for x in range(80)])
    if moving:
        ImageDraw.Draw(picture).rectangle((10 + k * 10, 10 + k * 6, 25 + k * 10, 21 + k * 6), fill=(255, k * 50, 0))
    return picture


for name, layers, moving in (("cropped.gif", "Optimize", True), ("shimmer.gif", "OptimizeTransparency", False)):
    names = []
    for k in range(5):
        names.append("g%d.png" % k)
        gradient(k, moving).save(names[-1])
    run(im, "-delay", "5", *names, "-interlace", "GIF", "-layers", layers, "-loop", "0", name)
    write_frames(name)
    for frame in names:
        os.remove(frame)

# Ten frames, one more stripe each; for the step back from frame 0.
ten = [[((i * 6, 0, i * 6 + 5, 19), 1 + i % 7)] for i in range(10)]
save_gif("ten.gif", palette_frames((60, 20), ten), 10, 1)
write_frames("ten.gif")
# Timing: 100 ms frames; a loop count of 2; delay 0.
twelve = [[((i * 4, 0, i * 4 + 3, 9), 1 + i % 7)] for i in range(12)]
save_gif("tenth.gif", palette_frames((48, 10), twelve), 100, 1)
save_gif("loop2.gif", palette_frames((48, 10), twelve[:3]), 30, 1, loop=2)
write_frames("loop2.gif")
save_gif("zero.gif", palette_frames((48, 10), twelve[:4]), 0, 1)

# APNG: every dispose operation and both blend operations, over transparent
# areas; once with frame 0 in "IDAT", once with a default image outside the
# animation. (Pillow lays the first frame over the default image, so that one
# replaces its area; and Pillow blends an APNG frame with a paste that also scales the
# alpha below it, so half-transparent pixels over half-transparent ones would
# not be a fair reference; the WebP files below have them.)
frames = rgba_frames((48, 32), 6, 1, half=False)
frames[0].save("ops.png", save_all=True, append_images=frames[1:], duration=20, loop=0,
               disposal=[0, 1, 2, 0, 2, 1], blend=[0, 1, 1, 0, 1, 1])
write_frames("ops.png")
frames[0].save("default.png", save_all=True, append_images=frames[1:], duration=[20, 30, 40, 50, 60, 70],
               loop=3, default_image=True, disposal=[1, 0, 2, 1, 0, 0], blend=[0, 1, 0, 1, 1, 0])
write_frames("default.png")

# WebP: still (lossy, and lossless with alpha) and animated by img2webp with
# its own choice of disposal and blending per frame.
names = []
for i, frame in enumerate(rgba_frames((48, 32), 6, 2)):
    names.append("w%d.png" % i)
    frame.save(names[-1])
run("img2webp", "-loop", "0", "-lossless", "-d", "30", names[0], "-d", "40", names[1], names[2],
    "-d", "50", names[3], names[4], "-d", "60", names[5], "-o", "anim.webp")
write_frames("anim.webp")
# webpmux sets each frame's place, disposal and blending as asked: half-
# transparent frames blended over and replacing, cleared to background.
parts = []
for i, (box, colour) in enumerate([((0, 0, 47, 31), (30, 60, 200, 255)), ((4, 4, 27, 19), (250, 20, 20, 120)),
                                   ((10, 8, 41, 27), (20, 250, 20, 200)), ((20, 2, 45, 29), (250, 250, 0, 90))]):
    part = Image.new("RGBA", (box[2] - box[0] + 1, box[3] - box[1] + 1), colour)
    ImageDraw.Draw(part).rectangle((2, 2, 7, 7), fill=(0, 0, 0, 0))
    part.save("m%d.png" % i)
    run("cwebp", "-quiet", "-lossless", "m%d.png" % i, "-o", "m%d.webp" % i)
    parts.append(box)
frame_args = []
for i, (box, rule) in enumerate(zip(parts, ["+0-b", "+1+b", "+0-b", "+0+b"])):
    frame_args += ["-frame", "m%d.webp" % i, "+%d+%d+%d%s" % (30 + 10 * i, box[0], box[1], rule)]
run("webpmux", *frame_args, "-loop", "2", "-bgcolor", "255,255,255,255", "-o", "mux.webp")
write_frames("mux.webp")
for i in range(4):
    os.remove("m%d.png" % i)
    os.remove("m%d.webp" % i)
run("cwebp", "-quiet", "-q", "90", names[0], "-o", "alpha.webp")
run("cwebp", "-quiet", "-q", "90", "-noalpha", names[0], "-o", "opaque.webp")
for name in names:
    os.remove(name)

# An icon of three images: two bitmaps (8-bit palette and 32-bit) and a PNG.
run(im, "-size", "16x16", "xc:red", "-type", "Palette", "-depth", "8", "i16.bmp")
run(im, "-size", "32x32", "xc:rgba(0,0,255,0.5)", "i32.png")
run(im, "-size", "256x256", "gradient:rgba(0,255,0,0.6)-rgba(0,0,255,1)", "PNG32:i256.png")
run(im, "i16.bmp", "i32.png", "i256.png", "icons.ico")
for name in ("i16.bmp", "i32.png", "i256.png"):
    os.remove(name)

# TIFF depths 1, 8, 16 (grey with alpha), 24 and 32, in both byte orders.
kinds = [("1", ["-monochrome", "-depth", "1", "-type", "Bilevel"]), ("8", ["-type", "Grayscale", "-depth", "8"]),
         ("16", ["-type", "GrayscaleAlpha", "-depth", "8", "-alpha", "on"]),
         ("24", ["-type", "TrueColor", "-depth", "8"]), ("32", ["-type", "TrueColorAlpha", "-depth", "8"])]
for depth, options in kinds:
    for order in ("LSB", "MSB"):
        run(im, "-size", "20x10", "gradient:rgba(10,200,30,0.5)-rgba(250,30,90,1)", *options,
            "-define", "tiff:endian=" + order.lower(), "-compress", "None", "depth%s_%s.tif" % (depth, order))

# Hostile animations written byte by byte. A frame placed at (23169, 23169)
# would need a canvas of 2 GiB; one at frame 0 and one later.
pixel_gif("far_later.gif", [(0, 0, 1), (1, 0, 2), (23169, 23169, 3), (2, 0, 3)], screen=(3, 1))
pixel_gif("far_first.gif", [(23169, 23169, 1), (0, 0, 2)], screen=(3, 1))
# Neither a global nor a local colour table, as GIF87a allows: one frame, and two.
pixel_gif("no_tables.gif", [(0, 0, 1)], screen=(1, 1), version=b"GIF87a", tables=False)
pixel_gif("no_tables2.gif", [(0, 0, 1), (1, 0, 2)], screen=(2, 1), version=b"GIF87a", tables=False)
# 400,000 frames of one pixel: a step back from frame 0 composes them all, which
# takes well over the tenth of a second after which it gives way to a key.
pixel_gif("many.gif", [(i % 100, i // 100 % 100, 1 + i % 3) for i in range(400000)])
# 2,000 frames of one pixel on a 50 x 40 canvas, every pixel drawn once.
pixel_gif("pixels.gif", [(i % 50, i // 50, 1 + i % 3) for i in range(2000)], screen=(50, 40))
# An animated WebP of two 1 x 1 frames on a canvas of 32,767 x 32,767 (4 GiB of
# pixels): Pillow writes it, and its canvas size is then set.
Image.new("RGBA", (1, 1), (255, 0, 0, 255)).save(
    "big_canvas.webp", save_all=True, append_images=[Image.new("RGBA", (1, 1), (0, 0, 255, 255))], duration=50,
    lossless=True)
data = bytearray(open("big_canvas.webp", "rb").read())
assert data[12:16] == b"VP8X"
data[24:30] = struct.pack("<I", 32766)[:3] + struct.pack("<I", 32766)[:3]
open("big_canvas.webp", "wb").write(bytes(data))
