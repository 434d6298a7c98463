#!/usr/bin/env python3
"""Draws the configurator's logo bitmap and window icon.

Writes src/resources/logo.bmp (171 x 57, 24-bit) and src/resources/lanternbook.ico
(16 x 16 at 8 and 32 bits). Standard library only; the output is committed so the
build never needs Python. Run it again after changing a drawing.
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
        return mix(GLOW_CENTRE, AMBER, min(distance / 12.0, 1.0))

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


def bmp_bytes(canvas):
    height = len(canvas)
    width = len(canvas[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(canvas):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


# --- icon --------------------------------------------------------------------

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
}
EDGE_ALPHA = 128


def icon_pixels():
    """Rows top-down of (r, g, b, alpha)."""
    rows = []
    for line in ICON_ART:
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


def and_mask(rows, opaque):
    stride = ((ICON_SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if not opaque(pixel):
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return mask


def icon_image_8bit(rows):
    palette = [(0, 0, 0)]
    for colour in ICON_COLOURS.values():
        if colour not in palette:
            palette.append(colour)
    opaque = lambda pixel: pixel[3] >= EDGE_ALPHA
    pixels = bytearray()
    for row in reversed(rows):
        for pixel in row:
            pixels.append(palette.index(pixel[:3]) if opaque(pixel) else 0)
    palette_bytes = bytearray()
    for index in range(256):
        r, g, b = palette[index] if index < len(palette) else (0, 0, 0)
        palette_bytes += bytes((b, g, r, 0))
    mask = and_mask(rows, opaque)
    info = struct.pack("<IiiHHIIiiII", 40, ICON_SIZE, ICON_SIZE * 2, 1, 8, 0,
                       len(pixels) + len(mask), 0, 0, 256, 0)
    return info + palette_bytes + pixels + mask


def icon_image_32bit(rows):
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = and_mask(rows, lambda pixel: pixel[3] > 0)
    info = struct.pack("<IiiHHIIiiII", 40, ICON_SIZE, ICON_SIZE * 2, 1, 32, 0,
                       len(pixels) + len(mask), 0, 0, 0, 0)
    return info + pixels + mask


def ico_bytes():
    rows = icon_pixels()
    images = [(8, icon_image_8bit(rows)), (32, icon_image_32bit(rows))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = bytearray()
    for bits, image in images:
        directory += struct.pack("<BBBBHHII", ICON_SIZE, ICON_SIZE, 0, 0, 1, bits,
                                 len(image), offset + len(data))
        data += image
    return directory + data


def main():
    with open(os.path.join(RESOURCES, "logo.bmp"), "wb") as out:
        out.write(bmp_bytes(draw_logo()))
    with open(os.path.join(RESOURCES, "lanternbook.ico"), "wb") as out:
        out.write(ico_bytes())


if __name__ == "__main__":
    main()
