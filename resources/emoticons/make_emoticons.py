#!/usr/bin/env python3
"""Build the emoticon picture strips from the pixel-art cell sources.

emoticons.bmp is the strip drawn at 96 dots per inch: 863 x 19 pixels, 8 bits per
pixel, white background; cell k is the 19 x 19 square at x = 19 k and the columns
after the last cell stay white. emoticons-29.bmp and emoticons-38.bmp are the same
strip for 150 % and 200 % screens: cells of 29 and 38 pixels at x = 29 k and
x = 38 k, widths 863 scaled by 29 / 19 and 38 / 19 (1317 and 1726), made from the
same 19-pixel cells by the pixel-art scalers of ../pixel_scale.py (no new colours).

Sources (all beside this script):
  palette.txt        one colour per line: <character> <RRGGBB> <name>
  cells/NN-name.txt  cell NN: 19 lines of 19 palette characters, or one line
                     "same as NN", "mirror of NN" (left-right) or "flip of NN"
                     (upside-down) for a cell that is drawn from another one

Lines starting with "#" are comments in both kinds of file. The palette order of
the bitmaps is the order of palette.txt (a colour listed twice keeps its first
index), so the output depends on the sources alone.

Usage: python3 make_emoticons.py [--check] [-d FOLDER]
  --check  rebuild in memory and fail if a strip differs from the sources
  -d       the folder of the strips (default: beside this script)
"""

import argparse
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import pixel_scale  # noqa: E402  (resources/pixel_scale.py, shared with the program's pictures)

CELL = 19
CELLS = 44
WIDTH = 863
MAX_COLOURS = 120
BACKGROUND = "."


def _cells_29(grid):
    # Scale3x rounds the steps of curves and diagonals at 57 pixels; taking 29 of its 57
    # columns and rows, spread evenly, keeps those hard edges, and a lone dot (an eye, a
    # highlight) keeps a pixel: it became 3 x 3, wider than the step of 57 / 29 between samples.
    return pixel_scale.sample(pixel_scale.scale3x(grid), 29)


# Cell size -> file name and how a 19-pixel cell becomes a cell of that size.
STRIPS = (
    (19, "emoticons.bmp", lambda grid: grid),
    (29, "emoticons-29.bmp", _cells_29),
    (38, "emoticons-38.bmp", pixel_scale.scale2x),
)


def strip_width(cell):
    """The 19-pixel strip's 863 columns scaled to the cell size, rounded: 1317 for 29."""
    return (2 * WIDTH * cell + CELL) // (2 * CELL)


class SourceError(Exception):
    pass


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        return [ln.rstrip("\r\n") for ln in f if not ln.startswith("#")]


def load_palette(path):
    """Returns (characters -> palette index, list of (r, g, b) in index order)."""
    index_of_char = {}
    colours = []
    for number, line in enumerate(read_lines(path), 1):
        if not line.strip():
            continue
        parts = line.split(None, 2)
        if len(parts) < 2 or len(parts[0]) != 1 or not re.fullmatch(r"[0-9A-Fa-f]{6}", parts[1]):
            raise SourceError(f"{path}:{number}: expected '<char> <RRGGBB> <name>'")
        char, hexrgb = parts[0], parts[1]
        if char in index_of_char:
            raise SourceError(f"{path}:{number}: character {char!r} defined twice")
        rgb = tuple(int(hexrgb[i : i + 2], 16) for i in (0, 2, 4))
        if rgb not in colours:
            colours.append(rgb)
        index_of_char[char] = colours.index(rgb)
    if BACKGROUND not in index_of_char or colours[index_of_char[BACKGROUND]] != (255, 255, 255):
        raise SourceError(f"{path}: {BACKGROUND!r} must be white")
    if len(colours) > MAX_COLOURS:
        raise SourceError(f"{path}: {len(colours)} colours, at most {MAX_COLOURS} allowed")
    return index_of_char, colours


def find_cell_files(folder):
    files = {}
    for name in sorted(os.listdir(folder)):
        m = re.fullmatch(r"(\d\d)-[a-z0-9-]+\.txt", name)
        if not m:
            continue
        k = int(m.group(1))
        if k in files:
            raise SourceError(f"{folder}: two files for cell {k}")
        files[k] = os.path.join(folder, name)
    missing = [k for k in range(CELLS) if k not in files]
    extra = [k for k in files if k >= CELLS]
    if missing or extra:
        raise SourceError(f"{folder}: missing cells {missing}, unexpected cells {extra}")
    return files


def load_cells(folder, index_of_char):
    """Returns a list of CELLS grids, each CELL rows of CELL palette indices."""
    files = find_cell_files(folder)
    raw = {}
    for k, path in files.items():
        lines = [ln for ln in read_lines(path) if ln.strip()]
        if len(lines) == 1:
            m = re.fullmatch(r"(same as|mirror of|flip of) (\d\d)", lines[0].strip())
            if not m:
                raise SourceError(f"{path}: unknown directive {lines[0]!r}")
            raw[k] = (m.group(1), int(m.group(2)))
            continue
        if len(lines) != CELL or any(len(ln) != CELL for ln in lines):
            raise SourceError(f"{path}: expected {CELL} lines of {CELL} characters")
        grid = []
        for y, ln in enumerate(lines):
            unknown = set(ln) - set(index_of_char)
            if unknown:
                raise SourceError(f"{path}:{y + 1}: characters not in the palette: {sorted(unknown)}")
            grid.append([index_of_char[c] for c in ln])
        raw[k] = grid

    grids = {}

    def resolve(k, seen):
        if k in grids:
            return grids[k]
        if k in seen:
            raise SourceError(f"{files[k]}: derived cells form a loop")
        src = raw[k]
        if isinstance(src, tuple):
            how, other = src
            if other >= CELLS:
                raise SourceError(f"{files[k]}: no cell {other}")
            base = resolve(other, seen | {k})
            if how == "same as":
                grid = [row[:] for row in base]
            elif how == "mirror of":
                grid = [row[::-1] for row in base]
            else:
                grid = [row[:] for row in base[::-1]]
        else:
            grid = src
        grids[k] = grid
        return grid

    grids = [resolve(k, frozenset()) for k in range(CELLS)]
    check_sides(grids, index_of_char[BACKGROUND], lambda k: files[k])
    return grids


def check_sides(grids, white, where):
    # Emoticons stand 1 pixel apart in a message, so a picture that reached the side of its
    # cell would touch its neighbour.
    for k, grid in enumerate(grids):
        if any(row[0] != white or row[-1] != white for row in grid):
            raise SourceError(f"{where(k)}: the first and last columns must stay white")


def compose_strip(grids, background_index, cell):
    width = strip_width(cell)
    pixels = [[background_index] * width for _ in range(cell)]
    for k, grid in enumerate(grids):
        for y in range(cell):
            pixels[y][cell * k : cell * (k + 1)] = grid[y]
    return pixels


def encode_bmp(pixels, colours):
    """A bottom-up 8-bit BMP with a BITMAPINFOHEADER and len(colours) palette entries."""
    width, height = len(pixels[0]), len(pixels)
    stride = (width + 3) & ~3
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    rows = b"".join(bytes(pixels[y]) + bytes(stride - width) for y in reversed(range(height)))
    offset = 14 + 40 + len(palette)
    info = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        width,
        height,  # positive: rows stored bottom-up
        1,  # biPlanes
        8,  # biBitCount
        0,  # BI_RGB
        len(rows),  # biSizeImage
        2835,  # 72 dpi, as pixels per metre
        2835,
        len(colours),  # biClrUsed
        len(colours),  # biClrImportant
    )
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def build(source_dir):
    """[(file name, BMP bytes, width, cell size)] for every strip, and the palette size."""
    index_of_char, colours = load_palette(os.path.join(source_dir, "palette.txt"))
    grids = load_cells(os.path.join(source_dir, "cells"), index_of_char)
    white = index_of_char[BACKGROUND]
    strips = []
    for cell, name, scale in STRIPS:
        cells = [scale(grid) for grid in grids]
        check_sides(cells, white, lambda k, name=name: f"{name}, cell {k}")
        pixels = compose_strip(cells, white, cell)
        strips.append((name, encode_bmp(pixels, colours), len(pixels[0]), cell))
    return strips, len(colours)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-d", "--dir", default=HERE)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    try:
        strips, ncolours = build(HERE)
    except SourceError as e:
        print(f"make_emoticons: {e}", file=sys.stderr)
        return 1
    stale = []
    for name, data, width, cell in strips:
        path = os.path.join(args.dir, name)
        if args.check:
            try:
                with open(path, "rb") as f:
                    if f.read() == data:
                        continue
            except OSError:
                pass
            stale.append(path)
            continue
        with open(path, "wb") as f:
            f.write(data)
        print(f"wrote {path}: {width} x {cell}, 8 bpp, {ncolours} palette entries")
    if stale:
        print(f"make_emoticons: out of date: {', '.join(stale)}; rerun the script",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
