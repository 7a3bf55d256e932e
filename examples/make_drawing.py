#!/usr/bin/env python3
"""Writes examples/drawing.job: an A1 sheet (portrait, 600 dpi device pixels) of a
bearing flange with a frame and grid references, a title block, a front view and a
section with dimensions, centre lines, hatching and a filled rib.

    python3 examples/make_drawing.py > examples/drawing.job
"""

import math

MM = 600 / 25.4           # device pixels per millimetre
W, H = 13795, 19595       # the printable area of the sheet on the ZQ1 (A1)
K = 0.5522847498          # control distance of a quarter circle as a curve

out = []


def emit(line):
    out.append(line)


def f(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def mm(v):
    return v * MM


def pts(*xy):
    return " ".join(f(v) for v in xy)


def circle(cx, cy, r):
    c = K * r
    return "M %s C %s C %s C %s C %s Z" % (
        pts(cx + r, cy),
        pts(cx + r, cy + c, cx + c, cy + r, cx, cy + r),
        pts(cx - c, cy + r, cx - r, cy + c, cx - r, cy),
        pts(cx - r, cy - c, cx - c, cy - r, cx, cy - r),
        pts(cx + c, cy - r, cx + r, cy - c, cx + r, cy))


def rect(l, t, r, b):
    return "R " + pts(l, t, r, b)


def line(*xy):
    s = "M " + pts(xy[0], xy[1])
    if len(xy) > 2:
        s += " L " + pts(*xy[2:])
    return s


# Pens of the sheet: a pen is a colour and a line width in millimetres.
def pen(colour, width_mm, dash=None):
    emit("pen %s" % colour)
    emit("line geometric %s join round cap round" % f(mm(width_mm)))
    emit("dash none" if not dash else "dash " + " ".join(f(mm(d)) for d in dash))


# A stroke font on a grid 4 wide and 6 high: each glyph is a list of polylines.
GLYPHS = {
    "0": [[(0, 0), (4, 0), (4, 6), (0, 6), (0, 0)], [(0, 6), (4, 0)]],
    "1": [[(1, 1), (2, 0), (2, 6)], [(1, 6), (3, 6)]],
    "2": [[(0, 0), (4, 0), (4, 3), (0, 3), (0, 6), (4, 6)]],
    "3": [[(0, 0), (4, 0), (4, 6), (0, 6)], [(1, 3), (4, 3)]],
    "4": [[(0, 0), (0, 3), (4, 3)], [(3, 0), (3, 6)]],
    "5": [[(4, 0), (0, 0), (0, 3), (4, 3), (4, 6), (0, 6)]],
    "6": [[(4, 0), (0, 0), (0, 6), (4, 6), (4, 3), (0, 3)]],
    "7": [[(0, 0), (4, 0), (1, 6)]],
    "8": [[(0, 0), (4, 0), (4, 6), (0, 6), (0, 0)], [(0, 3), (4, 3)]],
    "9": [[(4, 3), (0, 3), (0, 0), (4, 0), (4, 6), (0, 6)]],
    "A": [[(0, 6), (2, 0), (4, 6)], [(1, 3.5), (3, 3.5)]],
    "B": [[(0, 0), (3, 0), (4, 1.5), (3, 3), (0, 3)], [(3, 3), (4, 4.5), (3, 6), (0, 6), (0, 0)]],
    "C": [[(4, 0), (0, 0), (0, 6), (4, 6)]],
    "D": [[(0, 0), (3, 0), (4, 1.5), (4, 4.5), (3, 6), (0, 6), (0, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "G": [[(4, 0), (0, 0), (0, 6), (4, 6), (4, 3), (2, 3)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "I": [[(2, 0), (2, 6)], [(1, 0), (3, 0)], [(1, 6), (3, 6)]],
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 3.5)], [(1.2, 2.6), (4, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "M": [[(0, 6), (0, 0), (2, 3), (4, 0), (4, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [[(0, 0), (4, 0), (4, 6), (0, 6), (0, 0)]],
    "P": [[(0, 6), (0, 0), (4, 0), (4, 3), (0, 3)]],
    "Q": [[(0, 0), (4, 0), (4, 6), (0, 6), (0, 0)], [(2.5, 4), (4, 6.5)]],
    "R": [[(0, 6), (0, 0), (4, 0), (4, 3), (0, 3), (4, 6)]],
    "S": [[(4, 0), (0, 0), (0, 3), (4, 3), (4, 6), (0, 6)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 6), (4, 6), (4, 0)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "W": [[(0, 0), (1, 6), (2, 3), (3, 6), (4, 0)]],
    "X": [[(0, 0), (4, 6)], [(4, 0), (0, 6)]],
    "Y": [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]],
    "Z": [[(0, 0), (4, 0), (0, 6), (4, 6)]],
    "-": [[(1, 3), (3, 3)]],
    ":": [[(2, 1.5), (2, 2)], [(2, 4.5), (2, 5)]],
    ".": [[(2, 5.5), (2, 6)]],
    "/": [[(4, 0), (0, 6)]],
}


def text(x, y, height_mm, s, colour="#000000"):
    """Lettering with its top left corner at (x, y)."""
    u = mm(height_mm) / 6
    pen(colour, max(0.18, height_mm / 14))
    steps = []
    for i, ch in enumerate(s):
        for poly in GLYPHS.get(ch, []):
            xy = []
            for gx, gy in poly:
                xy += [x + (i * 6 + gx) * u, y + gy * u]
            steps.append(line(*xy))
    if steps:
        emit("stroke " + " ".join(steps))


def text_width(height_mm, s):
    return len(s) * 6 * mm(height_mm) / 6 - 2 * mm(height_mm) / 6


def arrow(x, y, dx, dy, colour):
    """A filled arrowhead with its tip at (x, y) pointing along (dx, dy)."""
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    length, half = mm(3.5), mm(0.9)
    bx, by = x - ux * length, y - uy * length
    emit("brush solid %s" % colour)
    emit("fill M %s L %s %s Z" % (pts(x, y), pts(bx - uy * half, by + ux * half),
                                  pts(bx + uy * half, by - ux * half)))


def dimension(x1, y1, x2, y2, offset_mm, label, colour="#0000c0"):
    """A linear dimension between two points, its line `offset_mm` off to the left
    of the direction from the first point to the second."""
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy)
    nx, ny = dy / n, -dx / n
    o = mm(offset_mm)
    a = (x1 + nx * o, y1 + ny * o)
    b = (x2 + nx * o, y2 + ny * o)
    gap, over = mm(1.5), mm(2.5)
    pen(colour, 0.25)
    sign = 1 if o > 0 else -1
    emit("stroke " + line(x1 + nx * gap * sign, y1 + ny * gap * sign,
                          a[0] + nx * over * sign, a[1] + ny * over * sign) + " " +
         line(x2 + nx * gap * sign, y2 + ny * gap * sign,
              b[0] + nx * over * sign, b[1] + ny * over * sign) + " " + line(*a, *b))
    arrow(a[0], a[1], -dx, -dy, colour)
    arrow(b[0], b[1], dx, dy, colour)
    h = 5
    cx, cy = (a[0] + b[0]) / 2, (a[1] + b[1]) / 2
    if abs(dy) < 1:  # horizontal: the value above the line
        text(cx - text_width(h, label) / 2, cy - mm(h + 1.5), h, label, colour)
    else:  # vertical: the value beside the line
        text(cx + mm(2), cy - mm(h) / 2, h, label, colour)


def centre_cross(cx, cy, r):
    pen("#c00000", 0.25, [12, 3, 2, 3])
    e = r + mm(4)
    emit("stroke " + line(cx - e, cy, cx + e, cy) + " " + line(cx, cy - e, cx, cy + e))


def sheet():
    emit("# A bearing flange on an A1 sheet, written by examples/make_drawing.py.")
    emit("# One unit is one device pixel of the ZQ1 at 600 dpi (23.62 to the millimetre).")
    emit('document "Bearing flange QX-1001"')
    emit("start-document")
    emit("start-page")
    margin = mm(10)
    left, top, right, bottom = margin, margin, W - margin, H - margin
    # Frame: the trimmed edge in a thin pen, the drawing border in the widest.
    emit("# Frame and grid references")
    pen("#000000", 0.35)
    emit("stroke " + rect(mm(2), mm(2), W - mm(2), H - mm(2)))
    pen("#000000", 1.0)
    emit("stroke " + rect(left, top, right, bottom))
    cols, rows = 8, 12
    pen("#000000", 0.35)
    ticks = []
    for i in range(1, cols):
        x = left + (right - left) * i / cols
        ticks += [line(x, mm(2), x, top), line(x, bottom, x, H - mm(2))]
    for j in range(1, rows):
        y = top + (bottom - top) * j / rows
        ticks += [line(mm(2), y, left, y), line(right, y, W - mm(2), y)]
    emit("stroke " + " ".join(ticks))
    for i in range(cols):
        x = left + (right - left) * (i + 0.5) / cols - mm(1.3)
        text(x, mm(3.2), 3.5, str(i + 1))
        text(x, H - mm(8.2), 3.5, str(i + 1))
    for j in range(rows):
        y = top + (bottom - top) * (j + 0.5) / rows - mm(1.75)
        letter = "ABCDEFGHJKLM"[j]
        text(mm(4.7), y, 3.5, letter)
        text(W - mm(7.3), y, 3.5, letter)

    title_block(right, bottom)
    front_view(mm(210), mm(260))
    section_view(mm(450), mm(260))
    detail_notes(left + mm(20), mm(520))
    emit("end-page")
    emit("end-document")


def title_block(right, bottom):
    emit("# Title block")
    w, h = mm(180), mm(56)
    l, t = right - w, bottom - h
    emit("brush hatch horizontal #000000 #ffffff")
    emit("fill " + rect(l + mm(110), t, right, t + mm(14)))
    pen("#000000", 0.7)
    emit("stroke " + rect(l, t, right, bottom))
    pen("#000000", 0.35)
    rows = [t + mm(14), t + mm(28), t + mm(42)]
    emit("stroke " + " ".join(line(l, y, right, y) for y in rows) + " " +
         line(l + mm(110), t + mm(14), l + mm(110), bottom) + " " +
         line(l + mm(145), t + mm(28), l + mm(145), bottom))
    text(l + mm(4), t + mm(3.5), 7, "BEARING FLANGE")
    text(l + mm(4), t + mm(18), 5, "QX-1001")
    text(l + mm(114), t + mm(18), 5, "STEEL")
    text(l + mm(4), t + mm(32), 3.5, "DRAWN: K. SATO")
    text(l + mm(114), t + mm(32), 3.5, "SCALE 1:1")
    text(l + mm(149), t + mm(32), 3.5, "SHEET A1")
    text(l + mm(4), t + mm(46), 3.5, "CHECKED: T. MORI  2026-12-11")
    text(l + mm(114), t + mm(46), 3.5, "MM")
    text(l + mm(149), t + mm(46), 3.5, "REV B")


def front_view(cx, cy):
    emit("# Front view: the flange plate with its bore and bolt holes")
    R, bore, pitch, hole = mm(120), mm(40), mm(90), mm(9)
    # The plate: a square with rounded corners, in the outline pen.
    s, rc = mm(125), mm(20)
    l, t, r, b = cx - s, cy - s, cx + s, cy + s
    c = K * rc
    plate = ("M %s L %s C %s %s %s L %s C %s %s %s L %s C %s %s %s L %s C %s %s %s Z" % (
        pts(l + rc, t), pts(r - rc, t), pts(r - rc + c, t), pts(r, t + rc - c), pts(r, t + rc),
        pts(r, b - rc), pts(r, b - rc + c), pts(r - rc + c, b), pts(r - rc, b),
        pts(l + rc, b), pts(l + rc - c, b), pts(l, b - rc + c), pts(l, b - rc),
        pts(l, t + rc), pts(l, t + rc - c), pts(l + rc - c, t), pts(l + rc, t)))
    holes = [circle(cx, cy, bore)]
    for k in range(4):
        a = math.pi / 4 + k * math.pi / 2
        holes.append(circle(cx + pitch * math.cos(a), cy + pitch * math.sin(a), hole))
    # The bore's chamfer ring, filled with the bore left open (alternate fill).
    emit("brush solid #000000")
    emit("fillmode alternate")
    emit("fill " + circle(cx, cy, bore + mm(2)) + " " + circle(cx, cy, bore))
    pen("#000000", 0.7)
    emit("stroke " + plate + " " + " ".join(holes))
    # Hidden edge of the hub behind the plate.
    pen("#000000", 0.35, [6, 2])
    emit("stroke " + circle(cx, cy, mm(60)))
    # Centre lines: the pitch circle and a cross at every hole.
    pen("#c00000", 0.25, [12, 3, 2, 3])
    emit("stroke " + circle(cx, cy, pitch))
    centre_cross(cx, cy, R + mm(6) - mm(4))
    for k in range(4):
        a = math.pi / 4 + k * math.pi / 2
        centre_cross(cx + pitch * math.cos(a), cy + pitch * math.sin(a), hole)
    dimension(l, b, r, b, -15, "250")
    dimension(r, t, r, b, -15, "250")
    dimension(cx - bore, cy, cx + bore, cy, 50, "80")
    hx = cx + pitch * math.cos(math.pi / 4)
    dimension(cx, t, hx, t, 12, "63.6")
    text(cx + mm(70), cy + mm(105), 5, "4X 18 THRU")
    text(cx - mm(40), b + mm(45), 7, "FRONT VIEW")


def section_view(cx, cy):
    emit("# Section A-A: hatched where the cut goes through metal")
    s, thick, hub, hub_r, bore = mm(125), mm(20), mm(60), mm(60), mm(40)
    x0 = cx - thick / 2
    top, bottom = cy - s, cy + s
    # The cut faces: the plate above and below the bore, and the hub.
    upper = "M %s L %s %s %s %s %s %s Z" % (pts(x0, top), pts(x0 + thick, top),
                                            pts(x0 + thick, cy - hub_r), pts(x0 + thick + hub, cy - hub_r),
                                            pts(x0 + thick + hub, cy - bore), pts(x0, cy - bore),
                                            pts(x0, top))
    lower = "M %s L %s %s %s %s %s %s Z" % (pts(x0, cy + bore), pts(x0 + thick + hub, cy + bore),
                                            pts(x0 + thick + hub, cy + hub_r), pts(x0 + thick, cy + hub_r),
                                            pts(x0 + thick, bottom), pts(x0, bottom),
                                            pts(x0, cy + bore))
    emit("brush hatch fdiagonal #008000 #ffffff")
    emit("fill " + upper + " " + lower)
    pen("#000000", 0.7)
    emit("stroke " + upper + " " + lower)
    # The rib under the hub, filled solid (a web shown in section is not hatched).
    rib = "M %s L %s %s Z" % (pts(x0 + thick, cy + hub_r), pts(x0 + thick + hub * 0.8, cy + hub_r),
                              pts(x0 + thick, cy + hub_r + mm(70)))
    emit("brush solid #a0a0a0")
    emit("pen #000000")
    emit("line geometric %s join miter cap butt" % f(mm(0.5)))
    emit("dash none")
    emit("strokefill " + rib)
    # Bolt hole in section: hidden lines.
    hy = cy - mm(90) * math.sin(math.pi / 4)
    pen("#000000", 0.35, [6, 2])
    emit("stroke " + line(x0, hy - mm(9), x0 + thick, hy - mm(9)) + " " +
         line(x0, hy + mm(9), x0 + thick, hy + mm(9)))
    pen("#c00000", 0.25, [12, 3, 2, 3])
    emit("stroke " + line(x0 - mm(10), cy, x0 + thick + hub + mm(10), cy) + " " +
         line(x0 - mm(5), hy, x0 + thick + mm(5), hy))
    dimension(x0, top, x0 + thick, top, 12, "20")
    dimension(x0, cy - hub_r, x0 + thick + hub, cy - hub_r, 80, "80")
    dimension(x0 + thick + hub, cy - hub_r, x0 + thick + hub, cy + hub_r, -15, "120")
    text(cx - mm(40), bottom + mm(45), 7, "SECTION A-A")
    # The cutting plane in the front view, with its arrows.
    fx = mm(210)
    pen("#000000", 0.7, [12, 3, 2, 3])
    emit("stroke " + line(fx, cy - s - mm(25), fx, cy - s - mm(5)) + " " +
         line(fx, cy + s + mm(5), fx, cy + s + mm(25)))
    arrow(fx + mm(12), cy - s - mm(25), 1, 0, "#000000")
    arrow(fx + mm(12), cy + s + mm(25), 1, 0, "#000000")
    pen("#000000", 0.5)
    emit("stroke " + line(fx, cy - s - mm(25), fx + mm(9), cy - s - mm(25)) + " " +
         line(fx, cy + s + mm(25), fx + mm(9), cy + s + mm(25)))
    text(fx + mm(15), cy - s - mm(28), 5, "A")
    text(fx + mm(15), cy + s + mm(22), 5, "A")


def detail_notes(x, y):
    emit("# Notes and the parts list")
    text(x, y, 5, "NOTES")
    notes = ["1. BREAK ALL EDGES 0.5 X 45", "2. BORE TO H7", "3. PAINT: RAL 7035"]
    for i, n in enumerate(notes):
        text(x, y + mm(10 + 9 * i), 3.5, n)
    # A parts list table with a shaded head row.
    t = y + mm(50)
    widths, row = [mm(15), mm(70), mm(20), mm(40)], mm(9)
    total = sum(widths)
    emit("brush hatch cross #606060 #ffffff")
    emit("fill " + rect(x, t, x + total, t + row))
    pen("#000000", 0.5)
    emit("stroke " + rect(x, t, x + total, t + row * 4))
    pen("#000000", 0.25)
    steps = [line(x, t + row * k, x + total, t + row * k) for k in range(1, 4)]
    cx = x
    for wd in widths[:-1]:
        cx += wd
        steps.append(line(cx, t, cx, t + row * 4))
    emit("stroke " + " ".join(steps))
    cells = [["POS", "PART", "QTY", "MATERIAL"], ["1", "FLANGE", "1", "S355"],
             ["2", "BOLT M16", "4", "8.8"], ["3", "WASHER 17", "4", "ST"]]
    for r_, cells_row in enumerate(cells):
        cx = x
        for wd, cell in zip(widths, cells_row):
            text(cx + mm(2), t + row * r_ + mm(2.5), 3.5, cell)
            cx += wd


sheet()
print("\n".join(out))
