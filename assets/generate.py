#!/usr/bin/python3
"""Build the game's binary art from the text sources in this folder.

Run from the repository root:  /usr/bin/python3 assets/generate.py

Outputs are byte-identical on every run, so a diff after regenerating
means a source changed.
"""

import io
import os
import struct
import sys

from PIL import Image

import progressive_jpeg

HERE = os.path.dirname(os.path.abspath(__file__))

# Sheet layout the game expects: columns are facings, rows are walk frames.
DIRECTIONS = ("down", "up", "left", "right")
FRAMES = 3
ICO_SIZES = (16, 32, 48, 256)
ICON_SIZES = (16, 32, 48, 64, 128, 256, 192, 512)
# Installed web pages want these; the maskable ones keep the face inside the
# circle (four fifths of the side across) that every launcher shape leaves.
MASKABLE_SIZES = (192, 512)
MASKABLE_SAFE = 0.4

# The font built into the game: only the characters it can ever draw (every
# text it shows is printable ASCII), under a family name of its own, as the
# original's licence asks of a modified version.
FONT_SOURCE = "LiberationSans-Regular.ttf"
FONT_SUBSET = "BrennowSans-Regular.ttf"
FONT_FAMILY = "Brennow Sans"
FONT_CHARACTERS = range(0x20, 0x7F)


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


def decode(data):
    """The pixels the game sees: Pillow decodes with libjpeg-turbo as SDL_image
    does (RGB out, the default accurate integer IDCT, nothing else set)."""
    img = Image.open(io.BytesIO(data))
    img.load()
    if img.mode != "RGB":
        raise SourceError(f"the decoder gave {img.mode}, not RGB")
    return list(img.getdata())


def exact_jpeg(pixels, size, exact, name):
    """Progressive JPEG bytes whose decoded pixels equal `pixels` wherever
    `exact` is true, and whose other samples come within two levels of
    theirs.

    Encode, decode and correct: the coefficients are chosen so that the
    samples of the exact pixels land inside the range the decoder rounds
    (and, for black and white, clamps) to the wanted value, with a margin
    for the decoder's integer arithmetic; a block that still decodes wrong
    is chosen again with a wider margin and other nudges. The game decodes
    with the same libjpeg-turbo, and tests/assets_test.cpp checks its
    decode."""
    width, height = size
    wanted = [progressive_jpeg.ycbcr(*p) for p in pixels]
    planes = [progressive_jpeg.split([c[i] for c in wanted], width, height) for i in range(3)]
    flags = progressive_jpeg.split(exact, width, height)
    blocks_across = (width + 7) // 8
    attempts = [0] * len(flags)

    def bounds(value, must, margin):
        if not must:
            return None
        goal = min(max(round(value), 0), 255) - 128
        low = -progressive_jpeg.UNBOUNDED if goal == -128 else goal - 0.5 + margin
        high = progressive_jpeg.UNBOUNDED if goal == 127 else goal + 0.5 - margin
        return low, high

    def choose(i, b):
        margin = min(0.05 * (1 + attempts[b]), 0.25)
        return progressive_jpeg.coefficients([v - 128 for v in planes[i][b]],
                                             [bounds(v, f, margin) for v, f in zip(planes[i][b], flags[b])],
                                             seed=attempts[b])

    coefficients = [[choose(i, b) for b in range(len(flags))] for i in range(3)]
    for iteration in range(1, 21):
        data = progressive_jpeg.encode(coefficients, width, height)
        decoded = decode(data)
        wrong = {(n // width // 8) * blocks_across + (n % width) // 8
                 for n in range(len(pixels)) if exact[n] and decoded[n] != pixels[n]}
        if not wrong:
            return data, iteration
        for b in wrong:
            attempts[b] += 1
            for i in range(3):
                coefficients[i][b] = choose(i, b)
    raise SourceError(f"{name}: {len(wrong)} blocks still decode wrong after {iteration} tries")


def build_sheet():
    w, h, palette, cells = parse(os.path.join(HERE, "sprites.txt"))
    sheet = Image.new("RGBA", (w * len(DIRECTIONS), h * FRAMES), (0, 0, 0, 0))
    for col, direction in enumerate(DIRECTIONS):
        for frame in range(FRAMES):
            key = f"{direction} {frame}"
            if key not in cells:
                raise SourceError(f"sprites.txt: missing cell {key!r}")
            sheet.paste(render(cells[key], palette), (col * w, frame * h))

    # Colour sheet: figure colours on black.  Mask: black figure on white.
    # Drawn through the mask, a sheet pixel a level off would change the
    # background: the mask must decode to exact black and white everywhere,
    # the colour sheet to exact black wherever the mask is white.
    transparent = [a == 0 for a in sheet.getchannel("A").getdata()]
    colour = [(0, 0, 0) if t else p[:3] for t, p in zip(transparent, sheet.getdata())]
    mask = [(255, 255, 255) if t else (0, 0, 0) for t in transparent]
    for pixels, exact, name in ((colour, transparent, "sprite.jpg"), (mask, [True] * len(mask), "mask.jpg")):
        data, iterations = exact_jpeg(pixels, sheet.size, exact, name)
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print(f"{name}: exact after {iterations} encodings")


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
    with open(os.path.join(out, "brennow.ico"), "wb") as f:
        f.write(ico([open(os.path.join(out, f"brennow-{size}.png"), "rb").read() for size in ICO_SIZES], ICO_SIZES))
    for size in MASKABLE_SIZES:
        maskable(src, size).save(os.path.join(out, f"brennow-maskable-{size}.png"), "PNG", optimize=True)


def maskable(src, size):
    """The icon on black, scaled by the largest whole number that keeps every
    opaque pixel inside the safe circle."""
    w, h = src.size
    alpha = src.getchannel("A").load()
    opaque = [(x, y) for y in range(h) for x in range(w) if alpha[x, y]]
    # Farthest corner of an opaque pixel from the centre, in source pixels.
    reach = max(max(abs(cx - w / 2), 0) ** 2 + max(abs(cy - h / 2), 0) ** 2
                for x, y in opaque for cx in (x, x + 1) for cy in (y, y + 1)) ** 0.5
    scale = int(MASKABLE_SAFE * size // reach)
    while scale * reach > MASKABLE_SAFE * size:
        scale -= 1
    big = src.resize((w * scale, h * scale), Image.NEAREST)
    out = Image.new("RGBA", (size, size), (0, 0, 0, 255))
    at = ((size - big.width) // 2, (size - big.height) // 2)
    out.alpha_composite(big, at)
    return out.convert("RGB")


def build_font():
    """The embedded font: a subset of the original with its hinting, its
    kerning and all its layout features kept, so that every character in it
    renders to the same pixels (tests/font_test.cpp compares them)."""
    from fontTools import subset  # Debian: python3-fonttools

    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_legacy = True
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.legacy_kern = True
    options.hinting = True
    options.drop_tables += ["FFTM"]  # the font editor's timestamps
    fonts = os.path.join(HERE, "fonts")
    font = subset.load_font(os.path.join(fonts, FONT_SOURCE), options)
    font.recalcTimestamp = False  # byte-identical from run to run
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=FONT_CHARACTERS)
    subsetter.subset(font)
    names = font["name"]
    old_family = names.getDebugName(1)
    postscript = FONT_FAMILY.replace(" ", "") + "-Regular"
    replaced = {
        1: FONT_FAMILY,
        3: f"{FONT_FAMILY} Regular; {names.getDebugName(5)}",
        4: FONT_FAMILY,
        6: postscript,
        16: FONT_FAMILY,
        17: "Regular",
        10: f"The printable ASCII characters of {old_family}, under another name as its licence asks "
            f"of a modified version; made for Brennow.",
    }
    for record in list(names.names):
        if record.nameID in replaced:
            names.removeNames(nameID=record.nameID)
    for name_id, text in sorted(replaced.items()):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    font["post"].formatType = 3.0  # no glyph names: the game never asks for them
    subset.save_font(font, os.path.join(fonts, FONT_SUBSET), options)


def ico(pngs, sizes):
    """A Windows icon holding the PNG pictures as they are (Windows reads PNG
    entries since Vista): the program's icon in Explorer and the title bar."""
    header = struct.pack("<HHH", 0, 1, len(pngs))
    offset = len(header) + 16 * len(pngs)
    entries = b""
    for png, size in zip(pngs, sizes):
        side = 0 if size == 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    return header + entries + b"".join(pngs)


def main():
    try:
        build_sheet()
        build_obstacle()
        build_icons()
        build_font()
    except SourceError as e:
        sys.exit(f"generate.py: {e}")


if __name__ == "__main__":
    main()
