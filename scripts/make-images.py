#!/usr/bin/env python3
"""Draws the configurator's bitmaps and icons.

Writes into src/resources:
  logo.bmp           bitmap 215, 171 x 57, 8-bit palette, run-length encoded
  lanternbook.ico    icon 203, the window's: 16 x 16 at 8 and 32 bits
  file.ico           icon 128, the module's own (the lowest id): 16 and 32 at 4 bits
  key.ico            icon 210, the download key: 16 and 32 at 4 bits
  key.bmp            bitmap 204, the download key on the dialog face, 4-bit
  lantern-small.bmp  bitmap 214, the small lantern on the dialog face, 4-bit
Standard library only; the output is committed so the build never needs Python.
Run it again after changing a drawing. The DLL must stay small: every image
here is stored in the fewest bits that hold it exactly.
"""

import os
import struct

RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources")

LOGO_WIDTH = 171
LOGO_HEIGHT = 57
# The dialog blits the logo with this colour as transparent, so nothing drawn may use it.
BACKGROUND = (240, 240, 240)
EDGE_NEAR_BACKGROUND = (238, 238, 239)

NAVY = (22, 44, 94)
SLATE = (60, 88, 138)
AMBER = (236, 150, 28)
AMBER_DARK = (196, 108, 12)
GLOW_CENTRE = (255, 222, 128)
FLAME_CORE = (255, 248, 214)
FLAME_EDGE = (232, 104, 18)

SUPERSAMPLING = 4


# --- pixel fonts -----------------------------------------------------------

# Word mark: 7 rows, proportional widths, drawn at twice the size.
WORDMARK_GLYPHS = {
    "L": ["#...", "#...", "#...", "#...", "#...", "#...", "####"],
    "a": ["....", "....", "###.", "...#", ".###", "#..#", ".###"],
    "n": ["....", "....", "###.", "#..#", "#..#", "#..#", "#..#"],
    "t": [".#.", ".#.", "###", ".#.", ".#.", ".#.", "..#"],
    "e": ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    "r": ["....", "....", "#.##", "##..", "#...", "#...", "#..."],
    "b": ["#...", "#...", "###.", "#..#", "#..#", "#..#", "###."],
    "o": ["....", "....", ".##.", "#..#", "#..#", "#..#", ".##."],
    "k": ["#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"],
}

# Strap line: 5 x 7 capitals at natural size.
CAPITAL_GLYPHS = {
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
}


def text_width(glyphs, text, scale, spacing):
    widths = [len(glyphs[ch][0]) * scale for ch in text]
    return sum(widths) + spacing * scale * (len(text) - 1)


def draw_text(canvas, glyphs, text, left, top, scale, spacing, colour):
    x = left
    for ch in text:
        rows = glyphs[ch]
        for row_index, row in enumerate(rows):
            for col_index, cell in enumerate(row):
                if cell != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        canvas[top + row_index * scale + dy][x + col_index * scale + dx] = colour
        x += (len(rows[0]) + spacing) * scale


# --- lantern -----------------------------------------------------------------

def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def in_trapezoid(x, y, top, bottom, top_left, top_right, bottom_left, bottom_right):
    if not top <= y < bottom:
        return False
    t = (y - top) / (bottom - top)
    return top_left + (bottom_left - top_left) * t <= x < top_right + (bottom_right - top_right) * t


def lantern_colour(x, y, cx):
    """Colour of the lantern at a sub-pixel point, or None outside it."""
    # Flame: a drop whose round end sits low in the glass.
    fy = 36.5
    dx, dy = x - cx, y - fy
    in_drop_bottom = dx * dx + dy * dy <= 4.2 ** 2
    in_drop_top = 25.0 <= y < fy and abs(dx) <= 4.2 * (y - 25.0) / (fy - 25.0)
    if in_drop_bottom or in_drop_top:
        inner = (dx * dx + (dy + 1.5) ** 2) <= 2.4 ** 2 or (28.5 <= y < fy and abs(dx) <= 2.2 * (y - 28.5) / (fy - 28.5))
        return FLAME_CORE if inner else FLAME_EDGE

    # Frame bars and the central glazing bar cross.
    if 20.0 <= y < 44.0 and (cx - 13.0 <= x < cx - 11.0 or cx + 11.0 <= x < cx + 13.0):
        return NAVY
    # Glass: warm glow, brightest around the flame.
    if 20.0 <= y < 44.0 and cx - 11.0 <= x < cx + 11.0:
        distance = ((x - cx) ** 2 + ((y - 34.0) * 0.8) ** 2) ** 0.5
        # Six steps of glow keep the palette, and the DLL, small.
        return mix(GLOW_CENTRE, AMBER, round(min(distance / 12.0, 1.0) * 5) / 5)

    # Handle ring.
    rx, ry = x - cx, y - 6.5
    ring = rx * rx + ry * ry
    if 2.6 ** 2 <= ring <= 5.0 ** 2 and y < 11.5:
        return NAVY
    # Cap, its rim, the base rim and the foot.
    if in_trapezoid(x, y, 11.0, 17.0, cx - 5.0, cx + 5.0, cx - 13.0, cx + 13.0):
        return NAVY
    if 17.0 <= y < 20.0 and cx - 15.5 <= x < cx + 15.5:
        return SLATE if y < 18.0 else NAVY
    if 44.0 <= y < 47.0 and cx - 15.5 <= x < cx + 15.5:
        return NAVY if y >= 45.0 else SLATE
    if in_trapezoid(x, y, 47.0, 52.0, cx - 11.0, cx + 11.0, cx - 13.0, cx + 13.0):
        return NAVY
    return None


def draw_lantern(canvas, cx):
    samples = SUPERSAMPLING * SUPERSAMPLING
    for py in range(LOGO_HEIGHT):
        for px in range(int(cx) - 18, int(cx) + 18):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    colour = lantern_colour(px + (sx + 0.5) / SUPERSAMPLING,
                                            py + (sy + 0.5) / SUPERSAMPLING, cx)
                    if colour is None:
                        colour = BACKGROUND
                    else:
                        covered += 1
                    for i in range(3):
                        total[i] += colour[i]
            if covered == 0:
                continue
            blended = tuple(int(round(c / samples)) for c in total)
            # An edge pixel blended to exactly the key colour would turn transparent.
            canvas[py][px] = blended if blended != BACKGROUND else EDGE_NEAR_BACKGROUND


def draw_logo():
    canvas = [[BACKGROUND] * LOGO_WIDTH for _ in range(LOGO_HEIGHT)]
    draw_lantern(canvas, cx=26.0)

    word = "Lanternbook"
    word_scale, word_spacing = 2, 1
    word_left = 52
    word_top = 12
    draw_text(canvas, WORDMARK_GLYPHS, word, word_left, word_top, word_scale, word_spacing, NAVY)
    word_width = text_width(WORDMARK_GLYPHS, word, word_scale, word_spacing)

    rule_top = word_top + 7 * word_scale + 4
    for y in (rule_top, rule_top + 1):
        for x in range(word_left, word_left + word_width):
            canvas[y][x] = AMBER

    strap = "KEY CONFIGURATOR"
    strap_width = text_width(CAPITAL_GLYPHS, strap, 1, 1)
    strap_left = word_left + (word_width - strap_width) // 2
    draw_text(canvas, CAPITAL_GLYPHS, strap, strap_left, rule_top + 6, 1, 1, SLATE)
    return canvas


BI_RGB = 0
BI_RLE8 = 1


def palette_of(canvas, limit):
    """Every colour of the canvas, in order of first use; at most limit of them."""
    palette = []
    for row in canvas:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    if len(palette) > limit:
        raise ValueError(f"{len(palette)} colours do not fit a {limit}-colour palette")
    return palette


def rle8_rows(indices, width):
    """Run-length encoding of 8-bit rows (bottom-up): runs of one colour, then end of line."""
    encoded = bytearray()
    for row_start in range(0, len(indices), width):
        row = indices[row_start:row_start + width]
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 255 and row[x + run] == row[x]:
                run += 1
            encoded += bytes((run, row[x]))
            x += run
        encoded += b"\0\0"
    encoded[-2:] = b"\0\1"  # the last end of line becomes the end of the bitmap
    return encoded


def bmp_bytes(canvas, bits, rle=False):
    """A palette bitmap file (4 or 8 bits a pixel), uncompressed or RLE8."""
    height = len(canvas)
    width = len(canvas[0])
    palette = palette_of(canvas, 1 << bits)
    lookup = {colour: index for index, colour in enumerate(palette)}
    indices = [lookup[colour] for row in reversed(canvas) for colour in row]  # bottom-up
    if rle:
        if bits != 8:
            raise ValueError("run-length encoding is for 8-bit bitmaps")
        pixels = rle8_rows(indices, width)
    else:
        stride = ((width * bits + 31) // 32) * 4
        pixels = bytearray()
        for row_start in range(0, len(indices), width):
            line = bytearray(stride)
            for x, index in enumerate(indices[row_start:row_start + width]):
                if bits == 8:
                    line[x] = index
                else:
                    line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            pixels += line
    palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, BI_RLE8 if rle else BI_RGB,
                       len(pixels), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(palette_bytes)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette_bytes + pixels


# --- icons -------------------------------------------------------------------

ICON_SIZE = 16
# '.' transparent; lower-case letters are half-covered edge pixels of the same colour.
ICON_ART = [
    "......nNNn......",
    ".....NN..NN.....",
    "......nNNn......",
    ".....nNNNNn.....",
    "...nNNNNNNNNn...",
    "..SSSSSSSSSSSS..",
    "...NYYYYYYYYN...",
    "...NYYYWWYYYN...",
    "...NYYWCCWYYN...",
    "...NYYWCCWYYN...",
    "...NYYOCCOYYN...",
    "...NYYYOOYYYN...",
    "...NYYYYYYYYN...",
    "..NNNNNNNNNNNN..",
    "....nNNNNNNn....",
    "................",
]
ICON_COLOURS = {
    "N": NAVY,
    "S": SLATE,
    "Y": AMBER,
    "W": GLOW_CENTRE,
    "C": FLAME_CORE,
    "O": FLAME_EDGE,
    "G": (200, 206, 216),  # the key's metal connector
    "K": (12, 24, 52),  # the connector's contact windows
}
EDGE_ALPHA = 128

# The download key: a stick with its connector up, a card slot and a lamp.
KEY_ART_16 = [
    "................",
    "......GGGG......",
    "......GKKG......",
    "......GGGG......",
    "....NNNNNNNN....",
    "....NSSSSSSN....",
    "....NSYYYYSN....",
    "....NSYYYYSN....",
    "....NSSSSSSN....",
    "....NSSSSSSN....",
    "....NSKKKKSN....",
    "....NSSSSSSN....",
    "....NSSSSSSN....",
    "....NSSCCSSN....",
    "....NNNNNNNN....",
    "................",
]


def art_pixels(art):
    """Rows top-down of (r, g, b, alpha) from character art."""
    rows = []
    for line in art:
        row = []
        for cell in line:
            if cell == ".":
                row.append((0, 0, 0, 0))
            elif cell.islower():
                row.append(ICON_COLOURS[cell.upper()] + (EDGE_ALPHA,))
            else:
                row.append(ICON_COLOURS[cell] + (255,))
        rows.append(row)
    return rows


def doubled(art):
    """Character art at twice the size, each cell two by two."""
    return ["".join(cell * 2 for cell in line) for line in art for _ in range(2)]


def and_mask(rows, opaque):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if not opaque(pixel):
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return mask


def icon_image_palette(rows, bits):
    """A 4- or 8-bit icon image: palette index 0 is black under the mask."""
    size = len(rows)
    opaque = lambda pixel: pixel[3] >= EDGE_ALPHA
    used = {pixel[:3] for row in rows for pixel in row if opaque(pixel)}
    palette = [(0, 0, 0)] + [colour for colour in dict.fromkeys(ICON_COLOURS.values()) if colour in used]
    if len(palette) > (1 << bits):
        raise ValueError(f"{len(palette)} colours do not fit {bits} bits")
    stride = ((size * bits + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            index = palette.index(pixel[:3]) if opaque(pixel) else 0
            if bits == 8:
                line[x] = index
            else:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    palette_bytes = bytearray()
    for index in range(1 << bits):
        r, g, b = palette[index] if index < len(palette) else (0, 0, 0)
        palette_bytes += bytes((b, g, r, 0))
    mask = and_mask(rows, opaque)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                       len(pixels) + len(mask), 0, 0, 1 << bits, 0)
    return info + palette_bytes + pixels + mask


def icon_image_32bit(rows):
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = and_mask(rows, lambda pixel: pixel[3] > 0)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(pixels) + len(mask), 0, 0, 0, 0)
    return info + pixels + mask


def ico_bytes(images):
    """An icon file from (rows, bits) pairs."""
    encoded = []
    for rows, bits in images:
        image = icon_image_32bit(rows) if bits == 32 else icon_image_palette(rows, bits)
        encoded.append((len(rows), bits, image))
    directory = struct.pack("<HHH", 0, 1, len(encoded))
    offset = 6 + 16 * len(encoded)
    data = bytearray()
    for size, bits, image in encoded:
        colours = (1 << bits) if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits,
                                 len(image), offset + len(data))
        data += image
    return directory + data


def on_face(art):
    """Character art as a bitmap canvas on the dialog face; edge cells drawn whole."""
    return [[pixel[:3] if pixel[3] else BACKGROUND for pixel in row] for row in art_pixels(art)]


def main():
    outputs = {
        "logo.bmp": bmp_bytes(draw_logo(), 8, rle=True),
        "lanternbook.ico": ico_bytes([(art_pixels(ICON_ART), 8), (art_pixels(ICON_ART), 32)]),
        "file.ico": ico_bytes([(art_pixels(ICON_ART), 4), (art_pixels(doubled(ICON_ART)), 4)]),
        "key.ico": ico_bytes([(art_pixels(KEY_ART_16), 4), (art_pixels(doubled(KEY_ART_16)), 4)]),
        "key.bmp": bmp_bytes(on_face(doubled(KEY_ART_16)), 4),
        "lantern-small.bmp": bmp_bytes(on_face(ICON_ART), 4),
    }
    for name, data in outputs.items():
        with open(os.path.join(RESOURCES, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
