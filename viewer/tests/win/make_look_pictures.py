#!/usr/bin/python3
"""Pictures for the orientation and colour tests, made by Pillow at build time.

orient<N>.jpg carries EXIF orientation N over one asymmetric picture; beside
it, orient<N>.expect holds what Pillow's ImageOps.exif_transpose makes of it.
<profile>.png and <profile>.jpg carry one of colord's RGB profiles (Debian's
colord-data) over a few colour patches; <profile>.<ext>.expect holds the sRGB
values that littleCMS (Pillow's ImageCms) gives. damaged.png carries a profile
that does not inflate. An .expect file is the width and height (32-bit little
endian) and the RGBA rows. With "large", only the benchmark's 6000 x 4000 JPEG
with an Adobe RGB profile is made, from large.jpg in the same folder.
"""
import io
import os
import struct
import sys
import zipfile
import zlib

from PIL import Image, ImageCms, ImageDraw, ImageOps

COLORD = "/usr/share/color/icc/colord/"
PROFILES = ["AdobeRGB1998", "ProPhotoRGB", "SwappedRedAndGreen", "sRGB"]
# Flat patches, large enough that JPEG keeps their middles exact.
PATCHES = [(255, 0, 0), (0, 255, 0), (200, 120, 40), (20, 40, 90), (128, 128, 128), (240, 230, 250)]

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def expect(name, image):
    rgba = image.convert("RGBA")
    with open(os.path.join(out, name + ".expect"), "wb") as f:
        f.write(struct.pack("<II", *rgba.size))
        f.write(rgba.tobytes())


def srgb_of(image, profile):
    source = ImageCms.ImageCmsProfile(io.BytesIO(profile))
    target = ImageCms.createProfile("sRGB")
    return ImageCms.profileToProfile(image, source, target, renderingIntent=ImageCms.Intent.PERCEPTUAL)


if len(sys.argv) > 2 and sys.argv[2] == "large":
    # The benchmark's 6000 x 4000 photograph with the profile put in after its
    # start marker, so that both decode the same pixels.
    profile = open(COLORD + "AdobeRGB1998.icc", "rb").read()
    photo = open(os.path.join(out, "large.jpg"), "rb").read()
    body = b"ICC_PROFILE\0\x01\x01" + profile
    segment = b"\xff\xe2" + struct.pack(">H", len(body) + 2) + body
    open(os.path.join(out, "large_adobe.jpg"), "wb").write(photo[:2] + segment + photo[2:])
    sys.exit(0)

# Orientation: a picture whose every turn and mirror differs from the others.
base = Image.new("RGB", (64, 40), (255, 255, 255))
draw = ImageDraw.Draw(base)
draw.rectangle([0, 0, 31, 19], fill=(220, 30, 30))
draw.rectangle([32, 0, 63, 19], fill=(30, 160, 30))
draw.rectangle([0, 20, 31, 39], fill=(30, 30, 220))
draw.rectangle([48, 32, 63, 39], fill=(0, 0, 0))
for n in range(1, 9):
    exif = Image.Exif()
    exif[0x0112] = n
    path = os.path.join(out, "orient%d.jpg" % n)
    base.save(path, quality=95, subsampling=0, exif=exif.tobytes())
    expect("orient%d.jpg" % n, ImageOps.exif_transpose(Image.open(path)))
# The same tag in a PNG's "eXIf" chunk.
exif = Image.Exif()
exif[0x0112] = 6
base.save(os.path.join(out, "orient6.png"), exif=exif.tobytes())
expect("orient6.png", ImageOps.exif_transpose(Image.open(os.path.join(out, "orient6.png"))))

patches = Image.new("RGBA", (16 * len(PATCHES), 32))
draw = ImageDraw.Draw(patches)
for i, colour in enumerate(PATCHES):
    draw.rectangle([16 * i, 0, 16 * i + 15, 15], fill=colour + (255,))
    draw.rectangle([16 * i, 16, 16 * i + 15, 31], fill=colour + (128,))
for name in PROFILES:
    profile = open(COLORD + name + ".icc", "rb").read()
    # PNG with alpha: half of every patch is half transparent.
    patches.save(os.path.join(out, name + ".png"), icc_profile=profile)
    rgb = srgb_of(patches.convert("RGB"), profile).convert("RGBA")
    rgb.putalpha(patches.getchannel("A"))
    expect(name + ".png", rgb)
    # JPEG: the expected values from Pillow's own decode of it.
    path = os.path.join(out, name + ".jpg")
    patches.convert("RGB").save(path, quality=98, subsampling=0, icc_profile=profile)
    expect(name + ".jpg", srgb_of(Image.open(path).convert("RGB"), profile))

# A CMYK JPEG with Ghostscript's CMYK profile (Debian's libgs-common), when
# it is installed: converted from its CMYK samples.
CMYK = "/usr/share/color/icc/ghostscript/default_cmyk.icc"
if os.path.exists(CMYK):
    cmyk_profile = open(CMYK, "rb").read()
    srgb_profile = ImageCms.createProfile("sRGB")
    to_cmyk = ImageCms.buildTransform(srgb_profile, ImageCms.ImageCmsProfile(io.BytesIO(cmyk_profile)), "RGB", "CMYK")
    ImageCms.applyTransform(patches.convert("RGB"), to_cmyk).save(os.path.join(out, "cmyk.jpg"), quality=98,
                                                                  icc_profile=cmyk_profile)
    stored = Image.open(os.path.join(out, "cmyk.jpg"))
    # A display profile of matrix and curves has no perceptual table: the
    # colour system renders colorimetrically, without the black point
    # scaling that littleCMS's own sRGB would have it add.
    expect("cmyk.jpg", ImageCms.profileToProfile(stored, ImageCms.ImageCmsProfile(io.BytesIO(cmyk_profile)),
                                                  srgb_profile, outputMode="RGB",
                                                  renderingIntent=ImageCms.Intent.RELATIVE_COLORIMETRIC))

# An animated PNG with a profile: each composed frame is converted.
profile = open(COLORD + "AdobeRGB1998.icc", "rb").read()
frames = [Image.new("RGB", (32, 16), colour) for colour in PATCHES[2:4]]
frames[0].save(os.path.join(out, "anim_adobe.png"), save_all=True, append_images=frames[1:], duration=100, loop=0,
               icc_profile=profile)
for k, frame in enumerate(frames):
    expect("anim_adobe.png.%d" % k, srgb_of(frame, profile))

# A zip holding a turned photograph: members follow the same rule.
with zipfile.ZipFile(os.path.join(out, "turned.zip"), "w") as archive:
    archive.write(os.path.join(out, "orient6.jpg"), "photo.jpg")

# A profile that does not inflate: shown as stored.
buffer = io.BytesIO()
patches.convert("RGB").save(buffer, "PNG", icc_profile=open(COLORD + "SwappedRedAndGreen.icc", "rb").read())
data = bytearray(buffer.getvalue())
at = data.index(b"iCCP")
length = struct.unpack(">I", data[at - 4:at])[0]
body = at + 4
start = data.index(b"\0", body) + 2
data[start + 10:start + 30] = b"\x55" * 20
data[body + length:body + length + 4] = struct.pack(">I", zlib.crc32(bytes(data[at:body + length])))
open(os.path.join(out, "damaged.png"), "wb").write(bytes(data))
expect("damaged.png", patches.convert("RGB"))
