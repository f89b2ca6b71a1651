"""Pixel-art scalers shared by the picture generators (Python 3 standard library only).

A picture is a list of rows; a pixel is any value that compares with == (a palette index, an
RGBA tuple). The scalers never mix colours: every output pixel is a copy of an input pixel,
so an 8-bit picture keeps its palette and a monochrome cursor stays monochrome.

scale2x  EPX / Scale2x: doubles a picture and rounds its diagonal steps; keeps hard edges.
scale3x  Scale3x (AdvMAME3x): the same rule at three times the size.
sample   nearest-neighbour resampling to any size, taking the pixel under the centre of each
         output pixel; after scale2x or scale3x it gives the sizes in between (29 from 19 is
         scale3x to 57, then 29 samples spread evenly across it).

Outside its edges a picture is taken to repeat its border pixels.
"""


def _at(rows, x, y):
    h, w = len(rows), len(rows[0])
    return rows[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]


def scale2x(rows):
    h, w = len(rows), len(rows[0])
    out = [[None] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            b, d, e, f, hh = (_at(rows, x, y - 1), _at(rows, x - 1, y), rows[y][x],
                              _at(rows, x + 1, y), _at(rows, x, y + 1))
            e0 = e1 = e2 = e3 = e
            if b != hh and d != f:
                e0 = d if d == b else e
                e1 = f if b == f else e
                e2 = d if d == hh else e
                e3 = f if hh == f else e
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e0, e1
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e2, e3
    return out


def scale3x(rows):
    h, w = len(rows), len(rows[0])
    out = [[None] * (3 * w) for _ in range(3 * h)]
    for y in range(h):
        for x in range(w):
            a, b, c = _at(rows, x - 1, y - 1), _at(rows, x, y - 1), _at(rows, x + 1, y - 1)
            d, e, f = _at(rows, x - 1, y), rows[y][x], _at(rows, x + 1, y)
            g, hh, i = _at(rows, x - 1, y + 1), _at(rows, x, y + 1), _at(rows, x + 1, y + 1)
            r = [e] * 9
            if b != hh and d != f:
                r[0] = d if d == b else e
                r[1] = b if (d == b and e != c) or (b == f and e != a) else e
                r[2] = f if b == f else e
                r[3] = d if (d == b and e != g) or (d == hh and e != a) else e
                r[5] = f if (b == f and e != i) or (hh == f and e != c) else e
                r[6] = d if d == hh else e
                r[7] = hh if (d == hh and e != i) or (hh == f and e != g) else e
                r[8] = f if hh == f else e
            for k in range(9):
                out[3 * y + k // 3][3 * x + k % 3] = r[k]
    return out


def sample(rows, width, height=None):
    """Nearest neighbour to width x height (square if height is omitted)."""
    height = width if height is None else height
    h, w = len(rows), len(rows[0])
    # The centre of output pixel x lies at (2x + 1) / (2 width) of the way across.
    xs = [(2 * x + 1) * w // (2 * width) for x in range(width)]
    return [[rows[(2 * y + 1) * h // (2 * height)][sx] for sx in xs] for y in range(height)]
