#!/usr/bin/env python3
"""Turns the text drawings in src/res/images into the .ico, .cur and .bmp
files that the resource script includes, so the images stay reviewable.

    python3 tools/make_images.py <images_dir> <out_dir>

Every <name>.txt in images_dir becomes <name>.ico, <name>.cur or <name>.bmp
in out_dir. The drawings are the one list of the program's images: out_dir
also gets images.rc, the resource statement of each (which the resource
script includes), and image_names.h, the names of the icons (with which the
program's code checks that every icon it names is drawn). The output depends
on the drawings only (no dates, no machine details), so two runs give the
same bytes.

Drawing format, one statement a line ('#' starts a comment line):

    kind icon | cursor | bitmap
    resource NAME                the resource's name in the program (Icon_1, TARN)
    palette vga16 | own | rgba   vga16: the 16 standard colours (icons, cursors)
                                 own: the colours listed below, in order (bitmaps)
                                 rgba: any colours, with alpha (icons for current Windows)
    hotspot X Y                  cursors only
    sizes N N ...                rgba icons only: the image sizes made from the drawing
    colour C transparent         C is one character of the grids
    colour C N [name]            vga16: N is the palette index 0..15
    colour C #RRGGBB [name]      own and rgba: the next palette entry
    colour C #RRGGBBAA [name]    rgba: a colour with its opacity
    image WxH                    followed by H rows of W characters and 'end'

Icons and cursors are 4 bits a pixel with an AND mask; the transparent
character sets the mask bit and colour 0. Bitmaps are 8 bits a pixel with a
256-entry palette. An rgba icon has one square drawing at its largest size;
every size it lists is that drawing scaled down by area (so the edges of the
smaller ones are smoothed by their alpha), stored as a 32-bit PNG image.
"""

import os
import struct
import sys
import zlib

# The standard 16-colour VGA palette in Windows order, as (R, G, B).
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

EXTENSIONS = {"icon": ".ico", "cursor": ".cur", "bitmap": ".bmp"}
TRANSPARENT = -1


class DrawingError(Exception):
    pass


def parse_drawing(path):
    """Reads one drawing: returns a dict with kind, palette, hotspot and a list
    of images, each a (width, height, rows of palette indices) tuple."""
    with open(path, "r", encoding="ascii") as f:
        lines = f.read().split("\n")
    kind = None
    resource = None
    palette_kind = None
    hotspot = None
    sizes = None
    legend = {}
    own_palette = []
    images = []
    i = 0

    def fail(message):
        raise DrawingError("%s:%d: %s" % (path, i + 1, message))

    while i < len(lines):
        line = lines[i].strip()
        if not line or line.startswith("#"):
            i += 1
            continue
        words = line.split()
        if words[0] == "kind" and len(words) == 2 and words[1] in EXTENSIONS:
            kind = words[1]
        elif words[0] == "resource" and len(words) == 2 and words[1].replace("_", "").isalnum():
            resource = words[1]
        elif words[0] == "palette" and len(words) == 2 and words[1] in ("vga16", "own", "rgba"):
            palette_kind = words[1]
        elif words[0] == "sizes" and len(words) >= 2 and all(w.isdigit() and 0 < int(w) <= 256 for w in words[1:]):
            sizes = sorted(set(int(w) for w in words[1:]))
        elif words[0] == "hotspot" and len(words) == 3 and all(w.isdigit() for w in words[1:]):
            hotspot = (int(words[1]), int(words[2]))
        elif words[0] == "colour" and len(words) >= 3 and len(words[1]) == 1:
            ch, value = words[1], words[2]
            if ch in legend:
                fail("colour %r given twice" % ch)
            if value == "transparent":
                legend[ch] = TRANSPARENT
            elif palette_kind == "vga16" and value.isdigit() and int(value) < 16:
                legend[ch] = int(value)
            elif (palette_kind in ("own", "rgba") and value[:1] == "#"
                  and len(value) in ((7, 9) if palette_kind == "rgba" else (7,))
                  and all(d in "0123456789abcdefABCDEF" for d in value[1:])):
                if len(own_palette) == 256:
                    fail("more than 256 colours")
                own_palette.append(tuple(int(value[k:k + 2], 16) for k in range(1, len(value), 2)))
                legend[ch] = len(own_palette) - 1
            else:
                fail("bad colour line (palette given first?)")
        elif words[0] == "image" and len(words) == 2:
            size = words[1].split("x")
            if len(size) != 2 or not all(n.isdigit() for n in size):
                fail("image size must be WxH")
            width, height = int(size[0]), int(size[1])
            if not (0 < width <= 256 and 0 < height <= 4096):
                fail("bad image size")
            rows = []
            for _ in range(height):
                i += 1
                if i >= len(lines):
                    fail("image ends early")
                row = lines[i].rstrip("\r")
                if len(row) != width:
                    fail("row is %d characters wide, not %d" % (len(row), width))
                try:
                    rows.append([legend[ch] for ch in row])
                except KeyError as e:
                    fail("character %s is not in the legend" % e)
            i += 1
            if i >= len(lines) or lines[i].strip() != "end":
                fail("'end' expected after %d rows" % height)
            images.append((width, height, rows))
        else:
            fail("cannot read %r" % line)
        i += 1

    if kind is None or resource is None or palette_kind is None or not images:
        raise DrawingError("%s: kind, resource, palette and at least one image are needed" % path)
    if kind == "bitmap":
        if palette_kind != "own" or len(images) != 1:
            raise DrawingError("%s: a bitmap has its own palette and one image" % path)
        if any(TRANSPARENT in row for row in images[0][2]):
            raise DrawingError("%s: a bitmap has no transparent pixels" % path)
    elif palette_kind == "rgba":
        width, height, _ = images[0]
        if kind != "icon" or len(images) != 1 or width != height or not sizes or sizes[-1] != width:
            raise DrawingError("%s: an rgba icon has one square drawing at the largest of its sizes" % path)
    else:
        if palette_kind != "vga16" or any(w > 255 or h > 255 for w, h, _ in images):
            raise DrawingError("%s: icons and cursors use vga16 and are below 256 pixels" % path)
    if (palette_kind == "rgba") != (sizes is not None):
        raise DrawingError("%s: sizes are given for rgba icons, and only for them" % path)
    if (kind == "cursor") != (hotspot is not None):
        raise DrawingError("%s: a cursor, and only a cursor, has a hot spot" % path)
    if kind == "cursor":
        if len(images) != 1:
            raise DrawingError("%s: a cursor has one image" % path)
        if not (hotspot[0] < images[0][0] and hotspot[1] < images[0][1]):
            raise DrawingError("%s: the hot spot lies outside the image" % path)
    palette = VGA16 if palette_kind == "vga16" else own_palette
    return {"kind": kind, "resource": resource, "palette": palette, "hotspot": hotspot, "images": images,
            "rgba": palette_kind == "rgba", "sizes": sizes}


BI_RLE8 = 1


def stride(width, bits):
    """Bytes in one bitmap row, padded to a multiple of four."""
    return ((width * bits + 31) // 32) * 4


def pack_row(values, bits, width):
    """Packs pixel values, most significant bits first, into a padded row."""
    out = bytearray(stride(width, bits))
    per_byte = 8 // bits
    for x, value in enumerate(values):
        shift = 8 - bits * (x % per_byte + 1)
        out[x // per_byte] |= value << shift
    return bytes(out)


def palette_bytes(palette, entries):
    colours = list(palette) + [(0, 0, 0)] * (entries - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def icon_image(width, height, rows):
    """One icon or cursor image: header, 16 colours, colour bits, mask bits."""
    xor = b"".join(pack_row([0 if v == TRANSPARENT else v for v in row], 4, width)
                   for row in reversed(rows))
    mask = b"".join(pack_row([1 if v == TRANSPARENT else 0 for v in row], 1, width)
                    for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + palette_bytes(VGA16, 16) + xor + mask


def build_icon_file(drawing):
    """An .ico or .cur file: directory, entries, then the images."""
    is_cursor = drawing["kind"] == "cursor"
    images = drawing["images"]
    blobs = [icon_image(w, h, rows) for w, h, rows in images]
    out = struct.pack("<HHH", 0, 2 if is_cursor else 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h, _), blob in zip(images, blobs):
        if is_cursor:
            field1, field2 = drawing["hotspot"]
        else:
            field1, field2 = 1, 4          # planes, bits per pixel
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, field1, field2,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def rgba_pixels(drawing):
    """The drawing as rows of (r, g, b, a) tuples."""
    _, _, rows = drawing["images"][0]
    colours = [c if len(c) == 4 else c + (255,) for c in drawing["palette"]]
    return [[(0, 0, 0, 0) if v == TRANSPARENT else colours[v] for v in row] for row in rows]


def scale_down(pixels, size):
    """Scales a square image down to size x size. Each new pixel covers an
    area of the drawing: its opacity is the covered area's average, so the
    outline is smoothed; its colour is the drawing's colour that covers most
    of the area's opaque part, so the inside keeps the drawing's flat colours
    (sharp, and small once compressed)."""
    source = len(pixels)
    step = source / size
    out = []
    for ty in range(size):
        row = []
        for tx in range(size):
            opacity = 0.0
            colours = {}
            y = ty * step
            while y < (ty + 1) * step - 1e-9:
                sy = int(y)
                hy = min(sy + 1, (ty + 1) * step) - y
                x = tx * step
                while x < (tx + 1) * step - 1e-9:
                    sx = int(x)
                    hx = min(sx + 1, (tx + 1) * step) - x
                    r, g, b, a = pixels[sy][sx]
                    opacity += hx * hy * a
                    if a:
                        colours[(r, g, b)] = colours.get((r, g, b), 0) + hx * hy
                    x += hx
                y += hy
            clear = step * step - sum(colours.values())
            if clear >= max(colours.values(), default=0):
                row.append((0, 0, 0, 0))
            else:
                # The largest share; ties go to the colour that sorts first.
                colour = min(colours, key=lambda c: (-round(colours[c], 6), c))
                row.append(colour + (255,))
        out.append(row)
    return out


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def filter_row(kind, row, previous):
    """One PNG scan line filtered with filter `kind` (0 to 4), 4 bytes a pixel."""
    out = bytearray()
    for i, value in enumerate(row):
        left = row[i - 4] if i >= 4 else 0
        up = previous[i]
        corner = previous[i - 4] if i >= 4 else 0
        if kind == 1:
            value -= left
        elif kind == 2:
            value -= up
        elif kind == 3:
            value -= (left + up) // 2
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            value -= left if pa <= pb and pa <= pc else up if pb <= pc else corner
        out.append(value & 0xFF)
    return bytes(out)


def png_image(pixels):
    """A 32-bit RGBA PNG. Each way of choosing the row filters (one filter for
    all rows, or per row the one with the smallest differences) is tried, and
    the smallest result kept."""
    size = len(pixels)
    rows = [bytes(v for p in row for v in p) for row in pixels]

    def cost(line):
        return sum(min(v, 256 - v) for v in line)

    def scan_lines(choose):
        out, previous = bytearray(), bytes(len(rows[0]))
        for row in rows:
            kind = choose(row, previous)
            out += bytes((kind,)) + filter_row(kind, row, previous)
            previous = row
        return bytes(out)

    choices = [lambda row, previous, k=k: k for k in range(5)]
    choices.append(lambda row, previous: min(range(5), key=lambda k: cost(filter_row(k, row, previous))))
    data = min((zlib.compress(scan_lines(choose), 9) for choose in choices), key=len)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", data)
            + png_chunk(b"IEND", b""))


def build_png_icon_file(drawing):
    """An .ico file of 32-bit PNG images, one for each size of the drawing."""
    pixels = rgba_pixels(drawing)
    blobs = [png_image(pixels if size == len(pixels) else scale_down(pixels, size))
             for size in drawing["sizes"]]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in zip(drawing["sizes"], blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def rle8_row(row):
    """One row in BI_RLE8, as short as the format allows: each stretch is
    either a run of one colour (count, colour) or, from three pixels on, the
    pixels themselves in absolute mode (0, count, pixels, padded to a word);
    the cheapest split of the row into stretches is found from its end.
    Then the end-of-line mark."""
    width = len(row)
    cost = [0] * (width + 1)       # bytes to encode row[x:]
    step = [None] * (width + 1)    # (absolute?, length) of the first stretch
    for x in range(width - 1, -1, -1):
        best = None
        run = 1
        while x + run <= width and run <= 255 and row[x + run - 1] == row[x]:
            if best is None or 2 + cost[x + run] < best[0]:
                best = (2 + cost[x + run], False, run)
            run += 1
        for length in range(3, min(255, width - x) + 1):
            total = 2 + length + length % 2 + cost[x + length]
            if total < best[0]:
                best = (total, True, length)
        cost[x], step[x] = best[0], best[1:]
    out = bytearray()
    x = 0
    while x < width:
        absolute, length = step[x]
        if absolute:
            out += bytes((0, length)) + bytes(row[x:x + length]) + b"\x00" * (length % 2)
        else:
            out += bytes((length, row[x]))
        x += length
    return bytes(out) + b"\x00\x00"


def build_bitmap_file(drawing):
    """A bottom-up 8-bit (256-colour) .bmp whose palette lists only the
    colours drawn, run-length encoded (BI_RLE8): the logo's large plain areas
    shrink to a fraction."""
    width, height, rows = drawing["images"][0]
    colours = len(drawing["palette"])
    bits = b"".join(rle8_row(row) for row in reversed(rows))[:-2] + b"\x00\x01"
    offset = 14 + 40 + colours * 4
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, BI_RLE8, len(bits),
                              2835, 2835, colours, 0)
    return file_header + info_header + palette_bytes(drawing["palette"], colours) + bits


RESOURCE_TYPES = {"icon": "ICON", "cursor": "CURSOR", "bitmap": "BITMAP"}


def write_lists(out_dir, built):
    """images.rc and image_names.h from (resource, kind, file) of every image."""
    names = [resource for resource, _, _ in built]
    if len(set(names)) != len(names):
        raise DrawingError("a resource name is given to two drawings")
    with open(os.path.join(out_dir, "images.rc"), "w", encoding="ascii", newline="\n") as f:
        f.write("// Written by tools/make_images.py from the drawings: every image's resource.\n")
        for resource, kind, target in built:
            f.write('%s %s "%s"\n' % (resource, RESOURCE_TYPES[kind], target))
    with open(os.path.join(out_dir, "image_names.h"), "w", encoding="ascii", newline="\n") as f:
        f.write("// Written by tools/make_images.py from the drawings: the icons' resource names.\n")
        f.write("#define DORVA_ICON_NAMES")
        f.write(",".join(' "%s"' % resource for resource, kind, _ in built if kind == "icon"))
        f.write("\n")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_images.py <images_dir> <out_dir>\n")
        return 2
    images_dir, out_dir = argv[1], argv[2]
    names = sorted(n for n in os.listdir(images_dir) if n.endswith(".txt"))
    if not names:
        sys.stderr.write("make_images.py: no drawings in %s\n" % images_dir)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    built = []
    for name in names:
        try:
            drawing = parse_drawing(os.path.join(images_dir, name))
        except (DrawingError, UnicodeDecodeError) as e:
            sys.stderr.write("make_images.py: %s\n" % e)
            return 1
        if drawing["kind"] == "bitmap":
            data = build_bitmap_file(drawing)
        elif drawing["rgba"]:
            data = build_png_icon_file(drawing)
        else:
            data = build_icon_file(drawing)
        target = name[:-4] + EXTENSIONS[drawing["kind"]]
        with open(os.path.join(out_dir, target), "wb") as f:
            f.write(data)
        built.append((drawing["resource"], drawing["kind"], target))
    try:
        write_lists(out_dir, built)
    except DrawingError as e:
        sys.stderr.write("make_images.py: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
