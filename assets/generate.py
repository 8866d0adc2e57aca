#!/usr/bin/python3
"""Build the game's binary art from the text sources in this folder.

Run from the repository root:  /usr/bin/python3 assets/generate.py

Outputs are byte-identical on every run, so a diff after regenerating
means a source changed.
"""

import os
import struct
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))

# Sheet layout the game expects: columns are facings, rows are walk frames.
DIRECTIONS = ("down", "up", "left", "right")
FRAMES = 3
ICON_SIZES = (16, 32, 48, 64, 128, 256)


class SourceError(Exception):
    pass


def parse(path):
    """Read a picture source: size, palette and named cells of characters.

    Returns (width, height, palette, cells) where palette maps a character
    to an (r, g, b) tuple or None for transparent, and cells maps a name to
    a list of row strings.
    """
    width = height = None
    palette = {}
    cells = {}
    current = None
    name = os.path.basename(path)

    def fail(lineno, msg):
        raise SourceError(f"{name}:{lineno}: {msg}")

    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()

    for lineno, raw in enumerate(lines, 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        words = line.split()
        key = words[0]
        if key == "size":
            width, height = int(words[1]), int(words[2])
        elif key == "colour":
            if len(words) < 3 or len(words[1]) != 1 or words[1] == "#":
                fail(lineno, "expected: colour CHAR #RRGGBB|none [name]")
            if words[2] == "none":
                palette[words[1]] = None
            elif len(words[2]) == 7 and words[2][0] == "#":
                v = int(words[2][1:], 16)
                palette[words[1]] = (v >> 16, (v >> 8) & 255, v & 255)
            else:
                fail(lineno, f"bad colour {words[2]!r}")
        elif key == "cell":
            cell_name = " ".join(words[1:])
            if cell_name in cells:
                fail(lineno, f"cell {cell_name!r} defined twice")
            current = cells[cell_name] = []
        elif key == "mirror":
            # "mirror TARGET SOURCE": every "SOURCE n" cell flipped left-right.
            target, source = words[1], words[2]
            for cell_name, rows in list(cells.items()):
                parts = cell_name.split()
                if parts[0] == source:
                    flipped = " ".join([target] + parts[1:])
                    cells[flipped] = [r[::-1] for r in rows]
            current = None
        else:
            if current is None:
                fail(lineno, "picture row outside a cell")
            if width is None:
                fail(lineno, "size must come before the cells")
            if len(line) != width:
                fail(lineno, f"row is {len(line)} wide, expected {width}")
            unknown = set(line) - set(palette)
            if unknown:
                fail(lineno, f"unknown colour chars {''.join(sorted(unknown))}")
            if len(current) == height:
                fail(lineno, f"cell has more than {height} rows")
            current.append(line)

    for cell_name, rows in cells.items():
        if len(rows) != height:
            raise SourceError(f"{name}: cell {cell_name!r} has {len(rows)} rows, expected {height}")
    return width, height, palette, cells


def render(rows, palette, background=(0, 0, 0, 0)):
    """One cell as an RGBA image; transparent characters take `background`."""
    img = Image.new("RGBA", (len(rows[0]), len(rows)), background)
    px = img.load()
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            rgb = palette[ch]
            if rgb is not None:
                px[x, y] = rgb + (255,)
    return img


def save_jpeg(img, path):
    # Quality 100 without chroma subsampling keeps the hard pixel edges; the
    # game's loader wants a progressive stream. No EXIF or timestamps.
    img.save(path, "JPEG", quality=100, progressive=True, subsampling=0, optimize=False)


def build_sheet():
    w, h, palette, cells = parse(os.path.join(HERE, "sprites.txt"))
    sheet = Image.new("RGBA", (w * len(DIRECTIONS), h * FRAMES), (0, 0, 0, 0))
    for col, direction in enumerate(DIRECTIONS):
        for frame in range(FRAMES):
            key = f"{direction} {frame}"
            if key not in cells:
                raise SourceError(f"sprites.txt: missing cell {key!r}")
            sheet.paste(render(cells[key], palette), (col * w, frame * h))

    alpha = sheet.getchannel("A")
    # Colour sheet: figure colours on black.  Mask: black figure on white.
    colour = Image.new("RGB", sheet.size, (0, 0, 0))
    colour.paste(sheet.convert("RGB"), (0, 0), alpha)
    mask = Image.new("RGB", sheet.size, (255, 255, 255))
    mask.paste((0, 0, 0), (0, 0, sheet.width, sheet.height), alpha)

    save_jpeg(colour, os.path.join(HERE, "sprite.jpg"))
    save_jpeg(mask, os.path.join(HERE, "mask.jpg"))


def bmp24(img):
    """Plain 24-bit bottom-up BMP with a BITMAPINFOHEADER and no palette."""
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    data = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b = px[x, y][:3]
            data += bytes((b, g, r))
        data += bytes(stride - w * 3)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def bmp32(img):
    """32-bit bottom-up BMP with explicit channel masks, so the alpha channel
    survives SDL_LoadBMP (a plain BITMAPINFOHEADER leaves alpha ambiguous)."""
    w, h = img.size
    px = img.load()
    data = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            data += bytes((b, g, r, a))
    offset = 14 + 108
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    bi_bitfields = 3
    info = struct.pack("<IiiHHIIiiII", 108, w, h, 1, 32, bi_bitfields, len(data), 2835, 2835, 0, 0)
    masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    lcs_srgb = 0x73524742
    colour_space = struct.pack("<I", lcs_srgb) + bytes(36 + 12)  # endpoints, gamma unused
    return header + info + masks + colour_space + bytes(data)


def build_obstacle():
    w, h, palette, cells = parse(os.path.join(HERE, "obstacle.txt"))
    img = render(cells["obstacle"], palette, background=(0, 0, 0, 255))
    with open(os.path.join(HERE, "obstacle.bmp"), "wb") as f:
        f.write(bmp24(img))


def build_icons():
    w, h, palette, cells = parse(os.path.join(HERE, "icon.txt"))
    src = render(cells["icon"], palette)
    out = os.path.join(HERE, "icons")
    os.makedirs(out, exist_ok=True)
    for size in ICON_SIZES:
        if size % w:
            raise SourceError(f"icon.txt: {w}px source does not scale evenly to {size}px")
        big = src.resize((size, size), Image.NEAREST)
        big.save(os.path.join(out, f"brennow-{size}.png"), "PNG", optimize=True)
        if size == 64:
            with open(os.path.join(out, "brennow-64.bmp"), "wb") as f:
                f.write(bmp32(big))


def main():
    try:
        build_sheet()
        build_obstacle()
        build_icons()
    except SourceError as e:
        sys.exit(f"generate.py: {e}")


if __name__ == "__main__":
    main()
