#!/usr/bin/env python3
"""Checks the generated icons, cursor and logo as Windows will read them.

    python3 tests/host/test_images.py <out_dir>

Reads every file that tools/make_images.py writes and checks sizes, colour
depths, image counts, the cursor's hot spot, the 256-colour logo and that each
icon has both transparent and opaque pixels. It also rebuilds the images from
src/res/images into a scratch folder and compares the bytes, so stale or
non-reproducible output fails. Exit status 0 when everything passes.
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

ICON, CURSOR = 1, 2

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import make_images  # noqa: E402  (its reader of the drawings, the one list of images)

DRAWINGS = [make_images.parse_drawing(os.path.join(ROOT, "src", "res", "images", name))
            for name in sorted(os.listdir(os.path.join(ROOT, "src", "res", "images"))) if name.endswith(".txt")]
LOGO = ("tarn.bmp", 80, 140)

failures = []


def check(condition, where, message):
    if not condition:
        failures.append("%s: %s" % (where, message))
    return condition


def stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def pixel(rows_bottom_up, row_bytes, bits, x, y, height):
    """Value of pixel (x, y), y counted from the top, in a bottom-up bitmap."""
    row = rows_bottom_up[(height - 1 - y) * row_bytes:(height - y) * row_bytes]
    per_byte = 8 // bits
    byte = row[x // per_byte]
    shift = 8 - bits * (x % per_byte + 1)
    return (byte >> shift) & ((1 << bits) - 1)


def check_icon_image(where, data, offset, size, width, height, hotspot):
    if not check(offset + size <= len(data), where, "image runs past the end of the file"):
        return
    (hsize, w, h, planes, bits, compression, size_image,
     _, _, _, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    check(hsize == 40, where, "header size %d, not 40" % hsize)
    check((w, h) == (width, height * 2), where,
          "header says %dx%d, expected %dx%d (height doubled)" % (w, h, width, height * 2))
    check(planes == 1 and bits == 4, where, "planes %d, %d bits a pixel; expected 1, 4" % (planes, bits))
    check(compression == 0, where, "compression %d, expected none" % compression)
    palette = [struct.unpack_from("<BBBB", data, offset + 40 + 4 * i) for i in range(16)]
    check([(r, g, b) for b, g, r, _ in palette] == VGA16, where, "palette is not the 16 VGA colours")
    xor_size, and_size = stride(width, 4) * height, stride(width, 1) * height
    check(size == 40 + 64 + xor_size + and_size, where,
          "directory size %d, expected %d" % (size, 40 + 64 + xor_size + and_size))
    check(size_image in (0, xor_size + and_size), where, "image size field %d" % size_image)
    xor = data[offset + 104:offset + 104 + xor_size]
    mask = data[offset + 104 + xor_size:offset + 104 + xor_size + and_size]
    transparent = opaque = inverted = 0
    for y in range(height):
        for x in range(width):
            if pixel(mask, stride(width, 1), 1, x, y, height):
                transparent += 1
                # A set mask bit with a non-black colour inverts the screen there.
                if pixel(xor, stride(width, 4), 4, x, y, height):
                    inverted += 1
            else:
                opaque += 1
    check(transparent > 0, where, "no transparent pixels")
    check(opaque > 0, where, "no opaque pixels")
    check(inverted == 0, where, "%d transparent pixels carry a colour (they would invert)" % inverted)
    if hotspot is not None:
        hx, hy = hotspot
        check(pixel(mask, stride(width, 1), 1, hx, hy, height) == 0, where,
              "hot spot (%d, %d) lies on a transparent pixel" % hotspot)


def check_icon_file(out_dir, name, kind, sizes, hotspot):
    path = os.path.join(out_dir, name)
    if not check(os.path.isfile(path), name, "missing"):
        return
    with open(path, "rb") as f:
        data = f.read()
    if not check(len(data) >= 6, name, "too short for a directory"):
        return
    reserved, dir_type, count = struct.unpack_from("<HHH", data, 0)
    check(reserved == 0 and dir_type == kind, name,
          "directory reserved %d, type %d; expected 0, %d" % (reserved, dir_type, kind))
    if not check(count == len(sizes) and len(data) >= 6 + 16 * count, name,
                 "%d images, expected %d" % (count, len(sizes))):
        return
    found = []
    for i in range(count):
        where = "%s image %d" % (name, i)
        w, h, colours, reserved, field1, field2, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        found.append((w, h))
        check(colours == 16 and reserved == 0, where, "entry says %d colours" % colours)
        if kind == CURSOR:
            check((field1, field2) == hotspot, where,
                  "hot spot (%d, %d), expected %s" % (field1, field2, hotspot))
        else:
            check((field1, field2) == (1, 4), where, "entry planes %d, bits %d" % (field1, field2))
        check_icon_image(where, data, offset, size, w, h, hotspot)
    check(sorted(found) == sorted(sizes), name, "sizes %s, expected %s" % (found, sizes))


# The icons for Vista and later: one 32-bit PNG image with alpha a size.
ALPHA_SIZES = [16, 20, 24, 32, 48]


def check_alpha_icon_file(out_dir, name):
    with open(os.path.join(out_dir, name), "rb") as f:
        data = f.read()
    _, dir_type, count = struct.unpack_from("<HHH", data, 0)
    if not check(dir_type == ICON and count == len(ALPHA_SIZES), name, "type %d, %d images" % (dir_type, count)):
        return
    for i, size in enumerate(ALPHA_SIZES):
        where = "%s image %d" % (name, i)
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        check((w, h, colours, planes, bits) == (size, size, 0, 1, 32), where,
              "entry %dx%d, %d colours, planes %d, %d bits" % (w, h, colours, planes, bits))
        png = data[offset:offset + length]
        if not check(png[:8] == b"\x89PNG\r\n\x1a\n" and len(png) == length, where, "not a PNG image"):
            continue
        pw, ph, depth, colour_type = struct.unpack_from(">IIBB", png, 16)
        check((pw, ph, depth, colour_type) == (size, size, 8, 6), where,
              "PNG %dx%d, depth %d, colour type %d; expected RGBA" % (pw, ph, depth, colour_type))
        raw = zlib.decompress(png[41:41 + struct.unpack_from(">I", png, 33)[0]])
        alphas = {raw[y * (size * 4 + 1) + 1 + x * 4 + 3] for y in range(size) for x in range(size)}
        check(0 in alphas and 255 in alphas, where, "needs transparent and opaque pixels")


def check_logo(out_dir):
    name, width, height = LOGO
    path = os.path.join(out_dir, name)
    if not check(os.path.isfile(path), name, "missing"):
        return
    with open(path, "rb") as f:
        data = f.read()
    if not check(len(data) >= 54 and data[:2] == b"BM", name, "not a BMP file"):
        return
    _, file_size, _, _, bits_offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bits, compression, _,
     _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    check(file_size == len(data), name, "file size field %d, file is %d" % (file_size, len(data)))
    check(hsize == 40, name, "info header size %d" % hsize)
    check((w, h) == (width, height), name, "%dx%d, expected %dx%d bottom-up" % (w, h, width, height))
    check(planes == 1 and bits == 8 and compression == 1, name,
          "planes %d, %d bits, compression %d; expected 1, 8, RLE8" % (planes, bits, compression))
    check(1 < used <= 256, name, "%d palette entries, expected 2 to 256" % used)
    check(bits_offset == 14 + 40 + used * 4, name, "pixels at %d, after a %d-entry palette" % (bits_offset, used))
    pixels = decode_rle8(data[bits_offset:], width, height, name)
    if pixels is not None:
        check(len(set(pixels)) > 1, name, "the picture is a single colour")
        check(max(pixels) < used, name, "a pixel uses a colour beyond the palette")


def decode_rle8(encoded, width, height, name):
    """Decodes BI_RLE8 data the way the system does; None when it is broken."""
    rows, row, i = [], [], 0
    while i + 1 < len(encoded):
        count, value = encoded[i], encoded[i + 1]
        i += 2
        if count:
            row += [value] * count
        elif value == 0:
            rows.append(row)
            row = []
        elif value == 1:
            rows.append(row)
            break
        elif value == 2:
            check(False, name, "delta escape: the encoder never writes one")
            return None
        else:
            row += list(encoded[i:i + value])
            i += value + (value % 2)
    ok = check(len(rows) == height, name, "%d rows decoded, expected %d" % (len(rows), height))
    ok = ok and check(all(len(r) == width for r in rows), name, "a decoded row is not %d pixels" % width)
    ok = ok and check(i == len(encoded), name, "data after the end-of-bitmap mark")
    return [p for r in rows for p in r] if ok else None


def check_reproducible(out_dir):
    """Builds the images afresh from the drawings and compares the bytes."""
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    tool = os.path.join(root, "tools", "make_images.py")
    drawings = os.path.join(root, "src", "res", "images")
    if not (os.path.isfile(tool) and os.path.isdir(drawings)):
        print("test_images: sources not found, skipping the rebuild comparison")
        return
    with tempfile.TemporaryDirectory() as scratch:
        result = subprocess.run([sys.executable, tool, drawings, scratch],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if not check(result.returncode == 0, "make_images.py", result.stdout.decode(errors="replace")):
            return
        for name in sorted(os.listdir(scratch)):
            built = os.path.join(out_dir, name)
            with open(os.path.join(scratch, name), "rb") as f:
                fresh = f.read()
            if check(os.path.isfile(built), name, "not in %s" % out_dir):
                with open(built, "rb") as f:
                    check(f.read() == fresh, name, "differs from a fresh build of the drawings")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: test_images.py <out_dir>\n")
        return 2
    out_dir = argv[1]
    with open(os.path.join(out_dir, "images.rc"), encoding="ascii") as f:
        listed = [line.split() for line in f if not line.startswith("//")]
    check([row[0] for row in listed] == [d["resource"] for d in DRAWINGS], "images.rc", "not one row a drawing")
    check_logo(out_dir)
    for (_, kind, name), drawing in zip(listed, DRAWINGS):
        name = name.strip('"')
        if kind == "BITMAP":
            check(name == LOGO[0], name, "the one bitmap is the logo")
        elif drawing["rgba"]:
            check_alpha_icon_file(out_dir, name)
        else:
            check_icon_file(out_dir, name, CURSOR if kind == "CURSOR" else ICON,
                            [(w, h) for w, h, _ in drawing["images"]], drawing["hotspot"])
    check_reproducible(out_dir)
    for failure in failures:
        print("FAIL", failure)
    print("test_images: %d files, %d failures" % (len(listed), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
