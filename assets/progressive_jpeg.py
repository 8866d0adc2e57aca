"""A progressive JPEG written from planes of samples that may leave 0..255.

Pillow's encoder takes 8-bit samples and rounds every DCT coefficient of
them, so a pixel at pure black or white can come back a level off with no
8-bit input to correct it. Here the planes are floats: a pure white pixel
can ask for 256, which the decoder clamps back to 255. The stream is what
Pillow writes at quality 100 without subsampling: JFIF, 8 bits, three
components Y, Cb, Cr sampled 1x1, quantisation tables of ones, progressive
(a DC scan, then one AC scan per component), Huffman tables made for each
scan.
"""

import math
import random
import struct

ZIGZAG = (
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
)

# COS[u][x] = C(u) / 2 * cos((2x + 1) u pi / 16): the 8-point DCT, so that a
# block's coefficients are COS . block . COS^T, as the standard defines them.
COS = [[(math.sqrt(0.5) if u == 0 else 1.0) / 2 * math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)]
       for u in range(8)]


def forward_dct(block):
    """64 samples, row by row, to 64 coefficients (unrounded), row by row."""
    rows = [[sum(COS[u][x] * block[y * 8 + x] for x in range(8)) for u in range(8)] for y in range(8)]
    return [sum(COS[v][y] * rows[y][u] for y in range(8)) for v in range(8) for u in range(8)]


def ycbcr(r, g, b):
    """The JFIF colour transform, unrounded."""
    return (0.299 * r + 0.587 * g + 0.114 * b,
            -0.168735892 * r - 0.331264108 * g + 0.5 * b + 128,
            0.5 * r - 0.418687589 * g - 0.081312411 * b + 128)


def split(plane, width, height):
    """A plane (row by row) as 8 x 8 blocks in raster order, the edge blocks
    filled out by repeating the last column and row."""
    return [[plane[min(by + y, height - 1) * width + min(bx + x, width - 1)] for y in range(8) for x in range(8)]
            for by in range(0, height, 8) for bx in range(0, width, 8)]


# BASIS[k][p]: what coefficient k (row by row) adds to sample p of its block.
BASIS = [[COS[k // 8][p // 8] * COS[k % 8][p % 8] for p in range(64)] for k in range(64)]

UNBOUNDED = float("inf")


def coefficients(targets, bounds, seed=0, restarts=50):
    """Whole-number coefficients of one block whose samples (level-shifted
    by 128, before the decoder rounds them) keep within bounds: per sample
    (low, high), or None for a free sample that stays near its target, no
    more than two levels off.

    Rounding the exact DCT of the targets leaves samples up to a level or two
    off. Single steps of one coefficient, each taken while it brings the
    block closer, move the bounded samples inside; where no single step
    helps, a few coefficients are nudged at random (from seed, so that the
    result is the same on every run) and the steps go on."""
    def cost(p, value):
        if bounds[p] is None:
            # Near the target, and never more than two levels away.
            off = abs(value - targets[p])
            return off * off + (1e6 * (off - 2) ** 2 if off > 2 else 0)
        low, high = bounds[p]
        outside = low - value if value < low else value - high if value > high else 0
        return 1e6 * outside * outside

    def score(samples):
        """How far the bounded samples are outside, then how far the free
        ones are from their targets."""
        return (sum(cost(p, samples[p]) for p in range(64) if bounds[p] is not None),
                sum(cost(p, samples[p]) for p in range(64) if bounds[p] is None))

    nudges = random.Random(seed)
    block = [round(c) for c in forward_dct(targets)]
    samples = [sum(BASIS[k][p] * block[k] for k in range(64)) for p in range(64)]
    best = (score(samples), list(block))
    for _ in range(restarts):
        improved = True
        while improved:
            improved = False
            for k in range(64):
                column = BASIS[k]
                for step in (1, -1):
                    change = sum(cost(p, samples[p] + step * column[p]) - cost(p, samples[p]) for p in range(64))
                    if change < -1e-9:
                        block[k] += step
                        for p in range(64):
                            samples[p] += step * column[p]
                        improved = True
                        break
        if score(samples) < best[0]:
            best = (score(samples), list(block))
        if best[0][0] == 0:
            break
        for _ in range(3):
            k = nudges.randrange(64)
            step = nudges.choice((1, -1))
            block[k] += step
            for p in range(64):
                samples[p] += step * BASIS[k][p]
    return [best[1][z] for z in ZIGZAG]


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.bits = 0
        self.count = 0

    def put(self, value, length):
        for i in range(length - 1, -1, -1):
            self.bits = self.bits << 1 | (value >> i & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.bits)
                if self.bits == 0xFF:
                    self.out.append(0)
                self.bits = self.count = 0

    def flush(self):
        if self.count:
            self.put((1 << (8 - self.count)) - 1, 8 - self.count)
        return bytes(self.out)


def magnitude(value):
    """The size category of a coefficient and the bits that follow it."""
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def optimal_table(frequencies):
    """Code lengths for the symbols used, no code longer than 16 bits and none
    all ones, built as the standard's Annex K.2 (and libjpeg) builds them."""
    freq = [0] * 257
    for symbol, count in frequencies.items():
        freq[symbol] = count
    freq[256] = 1  # reserves the all-ones code
    size = [0] * 257
    others = [-1] * 257

    used = sorted(s for s in range(257) if freq[s])

    def smallest(skip):
        found, least = -1, None
        for i in used:  # ties go to the larger symbol
            if freq[i] and i != skip and (least is None or freq[i] <= least):
                found, least = i, freq[i]
        return found

    while True:
        c1 = smallest(-1)
        c2 = smallest(c1)
        if c2 < 0:
            break
        freq[c1] += freq[c2]
        freq[c2] = 0
        # Both chains grow one bit; the second hangs from the end of the first.
        size[c1] += 1
        while others[c1] >= 0:
            c1 = others[c1]
            size[c1] += 1
        others[c1] = c2
        size[c2] += 1
        while others[c2] >= 0:
            c2 = others[c2]
            size[c2] += 1
    bits = [0] * 33
    for length in size:
        if length:
            bits[length] += 1
    for i in range(32, 16, -1):
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    i = 16
    while bits[i] == 0:
        i -= 1
    bits[i] -= 1  # drop the reserved code
    symbols = [s for length in range(1, 33) for s in range(256) if size[s] == length]
    counts = bits[1:17]
    codes = {}
    code = k = 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return counts, symbols, codes


def dht(table_class, table_id, counts, symbols):
    body = bytes([table_class << 4 | table_id]) + bytes(counts) + bytes(symbols)
    return b"\xff\xc4" + struct.pack(">H", 2 + len(body)) + body


def sos(components, start, end):
    body = bytes([len(components)])
    for component_id, dc_table, ac_table in components:
        body += bytes([component_id, dc_table << 4 | ac_table])
    body += bytes([start, end, 0])
    return b"\xff\xda" + struct.pack(">H", 2 + len(body)) + body


def dc_scan(planes):
    """The DC scan of all three components, interleaved."""
    symbols = ([], [])  # per table: (symbol, extra value, extra length)
    coded = []
    for index, blocks in enumerate(planes):
        table = 0 if index == 0 else 1
        previous = 0
        for number, block in enumerate(blocks):
            size, extra = magnitude(block[0] - previous)
            if size > 11:
                raise ValueError("a DC difference too large for 8-bit samples")
            previous = block[0]
            coded.append((number, index, table, size, extra))
    coded.sort(key=lambda c: (c[0], c[1]))  # block by block, Y Cb Cr in each
    for _, _, table, size, extra in coded:
        symbols[table].append((size, extra, size))
    tables = []
    out = bytearray()
    for table in (0, 1):
        counts, order, codes = optimal_table(count_symbols(symbols[table]))
        out += dht(0, table, counts, order)
        tables.append(codes)
    writer = BitWriter()
    for _, _, table, size, extra in coded:
        code, length = tables[table][size]
        writer.put(code, length)
        writer.put(extra, size)
    out += sos([(1, 0, 0), (2, 1, 0), (3, 1, 0)], 0, 0)
    return bytes(out) + writer.flush()


def count_symbols(items):
    counts = {}
    for symbol, _, _ in items:
        counts[symbol] = counts.get(symbol, 0) + 1
    return counts


def ac_scan(component_id, table, blocks):
    """The first and only AC scan of one component: coefficients 1 to 63."""
    items = []  # (symbol, extra value, extra length)
    run_of_ends = 0

    def end_run():
        nonlocal run_of_ends
        if run_of_ends:
            size = run_of_ends.bit_length() - 1
            items.append((size << 4, run_of_ends - (1 << size), size))
            run_of_ends = 0

    for block in blocks:
        zeros = 0
        for k in range(1, 64):
            value = block[k]
            if value == 0:
                zeros += 1
                continue
            end_run()
            while zeros > 15:
                items.append((0xF0, 0, 0))
                zeros -= 16
            size, extra = magnitude(value)
            if size > 10:
                raise ValueError("an AC coefficient too large for 8-bit samples")
            items.append((zeros << 4 | size, extra, size))
            zeros = 0
        if zeros:
            run_of_ends += 1
            if run_of_ends == 0x7FFF:
                end_run()
    end_run()
    counts, order, codes = optimal_table(count_symbols(items))
    writer = BitWriter()
    for symbol, extra, size in items:
        code, length = codes[symbol]
        writer.put(code, length)
        writer.put(extra, size)
    return dht(1, table, counts, order) + sos([(component_id, 0, table)], 1, 63) + writer.flush()


def encode(blocks, width, height):
    """Three components' coefficient blocks (Y, Cb, Cr; zigzag order, raster
    order of blocks) as a progressive JPEG of width x height."""
    jfif = b"\xff\xe0" + struct.pack(">H5sBBBHHBB", 16, b"JFIF\0", 1, 1, 0, 1, 1, 0, 0)
    tables = b"".join(b"\xff\xdb" + struct.pack(">HB", 67, table) + bytes([1] * 64) for table in (0, 1))
    frame = b"\xff\xc2" + struct.pack(">HBHHB", 17, 8, height, width, 3)
    frame += bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1])
    scans = dc_scan(blocks) + b"".join(ac_scan(i + 1, 0 if i == 0 else 1, blocks[i]) for i in range(3))
    return b"\xff\xd8" + jfif + tables + frame + scans + b"\xff\xd9"
