#!/usr/bin/env python3
"""Draws Quenvale's icons in code and writes them as Windows .ico files,
and the popup's close button as a .bmp strip.

    draw_icons.py OUTDIR [--preview SHEET.png]

Runs at build time, so it uses only the standard library and its output is
byte-for-byte reproducible.  Shapes are signed-distance functions; a pixel's
coverage comes from the distance at its centre, which gives smooth edges at
every size for one evaluation per pixel (fast enough for 256 px in Python).
Layouts are drawn on a 16-unit grid and snapped to whole pixels so the small
tray sizes stay crisp.
"""
import argparse
import math
import os
import struct
import zlib

APP_SIZES = (16, 32, 48, 256)
CLOSE_CELL = 13
CLOSE_STATES = ('normal', 'hot', 'pressed')
TRAY_SIZES = (16, 20, 24, 32)
ANIM_FRAMES = 4


def rgb(hexstr, a=1.0):
    v = int(hexstr.lstrip('#'), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, a)


def mix(c1, c2, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


BOARD = rgb('#1fa37c')
BOARD_DARK = rgb('#137457')
BOARD_EDGE = rgb('#0a3d2f')
TRACE = rgb('#48c79c')
CHIP = rgb('#1a1d21')
CHIP_TOP = rgb('#3b4148')
CHIP_LEG = rgb('#9aa4ad')
GOLD = rgb('#ffd35a')
GOLD_DARK = rgb('#c28a1e')
ARROW_EDGE = rgb('#06281f')
ARROW_TOP = rgb('#ffffff')
ARROW_BOTTOM = rgb('#9dffd2')
GLOW = rgb('#7dffd0')


# --- shapes: each returns a distance function (negative inside) with a bbox

def rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def d(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        if qx <= 0 and qy <= 0:
            return (qx if qx > qy else qy) - r
        return math.hypot(qx if qx > 0 else 0.0, qy if qy > 0 else 0.0) - r
    d.bbox = (x0, y0, x1, y1)
    return d


def polygon(pts):
    n = len(pts)

    def d(x, y):
        best = (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2
        sign = 1.0
        j = n - 1
        for i in range(n):
            vx, vy = pts[i]
            ex, ey = pts[j][0] - vx, pts[j][1] - vy
            wx, wy = x - vx, y - vy
            t = (wx * ex + wy * ey) / (ex * ex + ey * ey)
            t = 0.0 if t < 0 else 1.0 if t > 1 else t
            bx, by = wx - ex * t, wy - ey * t
            dd = bx * bx + by * by
            if dd < best:
                best = dd
            c1, c2, c3 = y >= vy, y < pts[j][1], ex * wy > ey * wx
            if (c1 and c2 and c3) or not (c1 or c2 or c3):
                sign = -sign
            j = i
        return sign * math.sqrt(best)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    d.bbox = (min(xs), min(ys), max(xs), max(ys))
    return d


def grow(shape, r):
    def d(x, y):
        return shape(x, y) - r
    x0, y0, x1, y1 = shape.bbox
    d.bbox = (x0 - r, y0 - r, x1 + r, y1 + r)
    return d


def cut(shape, hole):
    def d(x, y):
        a, b = shape(x, y), -hole(x, y)
        return a if a > b else b
    d.bbox = shape.bbox
    return d


def star(cx, cy, r, waist):
    pts = []
    for k in range(8):
        ang = k * math.pi / 4 - math.pi / 2
        rr = r if k % 2 == 0 else r * waist
        pts.append((cx + rr * math.cos(ang), cy + rr * math.sin(ang)))
    return polygon(pts)


class Canvas:
    """Square premultiplied-RGBA float image."""

    def __init__(self, size):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, color, soft=0.5, clip=None, bbox=None):
        """Composites colour over the image where shape covers it.

        soft is the half-width of the edge ramp in pixels (0.5 = one-pixel
        anti-aliasing, larger = blurred, used for shadows and glows).
        """
        n = self.size
        x0, y0, x1, y1 = bbox or shape.bbox
        ix0 = max(0, int(math.floor(x0 - soft)))
        iy0 = max(0, int(math.floor(y0 - soft)))
        ix1 = min(n, int(math.ceil(x1 + soft)))
        iy1 = min(n, int(math.ceil(y1 + soft)))
        k = 0.5 / soft
        paint = color if callable(color) else None
        px = self.px
        for y in range(iy0, iy1):
            cy = y + 0.5
            row = y * n
            for x in range(ix0, ix1):
                cx = x + 0.5
                cov = 0.5 - shape(cx, cy) * k
                if cov <= 0:
                    continue
                if cov > 1:
                    cov = 1.0
                if clip is not None:
                    cc = 0.5 - clip(cx, cy)
                    if cc <= 0:
                        continue
                    if cc < 1:
                        cov *= cc
                r, g, b, a = paint(cx, cy) if paint else color
                a *= cov
                p = px[row + x]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def rgba(self):
        """Straight-alpha 8-bit RGBA rows, top row first."""
        out = bytearray()
        for r, g, b, a in self.px:
            if a <= 0.0:
                out += b'\0\0\0\0'
                continue
            out += bytes((int(min(1.0, r / a) * 255 + 0.5),
                          int(min(1.0, g / a) * 255 + 0.5),
                          int(min(1.0, b / a) * 255 + 0.5),
                          int(min(1.0, a) * 255 + 0.5)))
        return bytes(out)


# --- artwork

class Grid:
    """Maps the 16-unit design grid onto a canvas of the given size."""

    def __init__(self, size, pad=0):
        self.size = size
        self.pad = pad
        self.u = (size - 2 * pad) / 16.0

    def __call__(self, v):
        return self.pad + v * self.u

    def snap(self, v):
        return math.floor(self(v) + 0.5)


def vgrad(top_y, bot_y, top, bottom):
    span = float(bot_y - top_y) or 1.0

    def paint(x, y):
        return mix(top, bottom, (y - top_y) / span)
    return paint


def draw_stick(c, g, top, chips, lit=None):
    """RAM module spanning the grid width, board top edge at grid row top.

    lit, when set, is the tray animation step: the index of the lit chip.
    """
    s = c.size
    big = s >= 48
    edge = max(1, int(round(s / 40.0)))
    x0, x1 = g.snap(0), g.snap(16)
    y0, y1 = g.snap(top), g.snap(15)
    radius = max(1.0, s / 40.0)

    if s >= 128:
        c.fill(rect(x0 + s * 0.02, y0 + s * 0.04, x1 - s * 0.02, y1 + s * 0.01,
                    radius * 2), (0, 0, 0, 0.35), soft=s * 0.03)

    # Gold fingers along the bottom edge, centred, with the key notch cut
    # in place of one finger a little left of the middle.
    pin_top = y1 - max(2, int(round((y1 - y0) * 0.26)))
    pitch = max(2, int(round(s / 16.0)))
    pin_w = pitch - max(1, pitch // 3)
    lo, hi = x0 + edge + (1 if big else 0), x1 - edge - (1 if big else 0)
    count = (hi - lo - pin_w) // pitch + 1
    lo += (hi - lo - (count - 1) * pitch - pin_w) // 2
    key = int(count * 0.4 + 0.5)
    notch_w = max(1, int(round(s / 16.0)))
    notch_x = lo + key * pitch + (pin_w - notch_w) // 2
    notch = rect(notch_x, y1 - max(1, (y1 - pin_top) // 2), notch_x + notch_w,
                 y1 + 1)
    board = cut(rect(x0, y0, x1, y1, radius), notch)
    c.fill(board, BOARD_EDGE)
    inner = cut(rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge,
                     max(0.0, radius - edge)), grow(notch, edge))
    c.fill(inner, vgrad(y0, y1, BOARD, BOARD_DARK))
    if big:
        # Thin highlight just under the top edge gives the board some depth.
        c.fill(rect(x0 + edge, y0 + edge, x1 - edge, y0 + edge + s / 96.0),
               rgb('#7fe6c2', 0.8), clip=inner)
    gold = vgrad(pin_top, y1, GOLD, GOLD_DARK)
    for i in range(count):
        if i != key:
            x = lo + i * pitch
            c.fill(rect(x, pin_top, x + pin_w, y1 - (0 if s <= 24 else edge),
                        pin_w * 0.3 if big else 0), gold, clip=board)

    # Memory chips.
    chip_top = y0 + edge + max(1, int(round((y1 - y0) * 0.10)))
    chip_bot = pin_top - max(1, int(round((y1 - y0) * 0.12)))
    margin = edge + int(round(s / 32.0))
    span_l, span_r = x0 + margin, x1 - margin
    gap = max(1, int(round(s / 20.0)))
    # Whole-pixel chip widths so every chip looks the same at small sizes.
    width = (span_r - span_l - gap * (chips - 1)) // chips
    span_l += (span_r - span_l - width * chips - gap * (chips - 1)) // 2
    chip_boxes = []
    for i in range(chips):
        cx0 = span_l + i * (width + gap)
        cx1 = cx0 + width
        chip_boxes.append((cx0, cx1))
        if big:
            # Leads showing above and below the package.
            lead = max(1, s // 64)
            step = max(3, s // 24)
            for lx in range(cx0 + step // 2, cx1 - 1, step):
                c.fill(rect(lx, chip_top - lead, lx + max(1, step // 2),
                            chip_bot + lead), CHIP_LEG)
        c.fill(rect(cx0, chip_top, cx1, chip_bot, s / 128.0 if big else 0),
               vgrad(chip_top, chip_bot, CHIP_TOP, CHIP))
        if s >= 128:
            dot = s / 40.0
            c.fill(rect(cx0 + dot, chip_top + dot, cx0 + 2 * dot,
                        chip_top + 2 * dot, dot / 2), rgb('#5a626b'))

    if s >= 32:
        # Traces from the chips down to the fingers.
        tw = max(1, s // 64)
        for cx0, cx1 in chip_boxes:
            mid = (cx0 + cx1) // 2
            for off in ((-1, 1) if big else (0,)):
                tx = mid + off * int(round((cx1 - cx0) / 4.0))
                c.fill(rect(tx, chip_bot, tx + tw, pin_top), TRACE)

    if lit is not None:
        # The light steps one chip per frame with a dimmer chip trailing
        # behind it.  Four steps make a loop: with three chips the fourth
        # step is the light just past the end, so the loop still flows.
        trail = (lit - 1) % ANIM_FRAMES
        for i, (cx0, cx1) in enumerate(chip_boxes):
            if i == lit:
                paint = vgrad(chip_top, chip_bot, rgb('#e6fff5'), GLOW)
            elif i == trail:
                paint = vgrad(chip_top, chip_bot, mix(CHIP_TOP, GLOW, 0.55),
                              mix(CHIP, GLOW, 0.45))
            else:
                continue
            c.fill(rect(cx0, chip_top, cx1, chip_bot, s / 128.0 if big else 0), paint)


def draw_arrow(c, g, tip_x, tip_y, head_w, head_h, shaft_w, bottom):
    s = c.size
    outline = max(1.0, s / 24.0 if s < 48 else s / 36.0)
    # Keep the outline of the tip inside the canvas.
    dy = max(0.0, outline - g(tip_y))
    hx = head_w / 2.0
    sx = shaft_w / 2.0
    pts = [(tip_x, tip_y), (tip_x + hx, tip_y + head_h),
           (tip_x + sx, tip_y + head_h), (tip_x + sx, bottom),
           (tip_x - sx, bottom), (tip_x - sx, tip_y + head_h),
           (tip_x - hx, tip_y + head_h)]
    arrow = polygon([(g(x), g(y) + dy) for x, y in pts])
    if s >= 128:
        c.fill(grow(arrow, outline), rgb('#7dffd0', 0.3), soft=s / 24.0)
    c.fill(grow(arrow, outline), ARROW_EDGE)
    c.fill(arrow, vgrad(g(tip_y) + dy, g(bottom), ARROW_TOP, ARROW_BOTTOM))


def draw_app(size):
    c = Canvas(size)
    if size < 48:
        g = Grid(size)
        draw_stick(c, g, 4, 3)
        draw_arrow(c, g, 12.6, 0.6, 6.0, 4.6, 2.6, 10.0)
        return c
    g = Grid(size, pad=size / 32.0)
    draw_stick(c, g, 5.5, 4)
    draw_arrow(c, g, 12.6, 0.3, 5.4, 3.9, 2.1, 8.0)
    if size < 128:
        return c
    for cx, cy, r in ((8.6, 2.5, 1.3), (6.5, 4.1, 0.7)):
        sp = star(g(cx), g(cy), g(r), 0.3)
        c.fill(grow(sp, size / 64.0), ARROW_EDGE)
        c.fill(sp, rgb('#fff3b0'))
    return c


def draw_tray(size, frame=None):
    c = Canvas(size)
    g = Grid(size)
    chips = 3 if size < 24 else 4
    draw_stick(c, g, 3, chips, lit=frame)
    if frame is None:
        draw_arrow(c, g, 12.5, 0.5, 6.4, 4.4, 2.6, 9.0)
    return c


def draw_close_cell(state):
    """One 13x13 cell of the popup's close button: rows of (r, g, b).

    Black is the transparent colour, so the silhouette has hard edges (an
    anti-aliased edge would fringe against whatever lies below) and no pixel
    inside is pure black.  The popup draws the cell at its right edge where
    only the left ten columns show, the last on the popup's border: the box
    takes columns 0-8, vertically centred, and docks onto that border.
    """
    fill_top, fill_bottom, edge, glyph, shadow = {
        'normal': ('#fbfbfb', '#dcdcdc', '#6e6e6e', '#3c3c3c', None),
        'hot': ('#ffffff', '#f3f3f3', '#4d4d4d', '#d21f1f', None),
        'pressed': ('#c4c4c4', '#e2e2e2', '#474747', '#1e1e1e', '#9a9a9a'),
    }[state]
    x0, y0, x1, y1 = 0, 2, 9, 11
    outline = rect(x0, y0, x1, y1, 2.0)
    inside = rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 0.6)
    rows = []
    for y in range(CLOSE_CELL):
        row = []
        for x in range(CLOSE_CELL):
            cx, cy = x + 0.5, y + 0.5
            if outline(cx, cy) > 0:
                row.append((0, 0, 0))
                continue
            if inside(cx, cy) > 0:
                c = rgb(edge)
            elif shadow and (x == x0 + 1 or y == y0 + 1):
                c = rgb(shadow)  # pressed in: shade along the top and left
            else:
                c = mix(rgb(fill_top), rgb(fill_bottom), (cy - y0) / float(y1 - y0))
            # A one-pixel X, five pixels square, centred in the box.
            u, v = x - (x0 + 2), y - (y0 + 2)
            if 0 <= u <= 4 and 0 <= v <= 4 and (u == v or u + v == 4):
                c = rgb(glyph)
            row.append(tuple(max(1, int(ch * 255 + 0.5)) for ch in c[:3]))
        rows.append(row)
    return rows


def render_close_strip():
    """The close button's cells side by side: (width, height, rows)."""
    cells = [draw_close_cell(state) for state in CLOSE_STATES]
    rows = [sum((cell[y] for cell in cells), []) for y in range(CLOSE_CELL)]
    return CLOSE_CELL * len(cells), CLOSE_CELL, rows


# --- file formats

def png_bytes(width, height, rgba):
    def chunk(tag, data):
        body = tag + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    stride = width * 4
    raw = b''.join(b'\0' + rgba[y * stride:(y + 1) * stride] for y in range(height))
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def dib_bytes(size, rgba):
    """32-bit BGRA DIB with the 1-bit AND mask the resource compiler expects."""
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         size * size * 4 + mask_stride * size, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = rgba[y * size * 4:(y + 1) * size * 4]
        bits = bytearray(mask_stride)
        for x in range(size):
            r, gg, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, gg, r, a))
            if a == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def bmp_bytes(width, height, rows):
    """24-bit BMP file, rows given top first as (r, g, b) tuples."""
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def ico_bytes(images):
    """images: list of (size, rgba) in ascending size."""
    blobs = [png_bytes(s, s, px) if s >= 256 else dib_bytes(s, px) for s, px in images]
    offset = 6 + 16 * len(images)
    out = struct.pack('<HHH', 0, 1, len(images))
    for (s, _), blob in zip(images, blobs):
        dim = 0 if s >= 256 else s
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blobs)


def render_all():
    """Returns {file name: [(size, rgba), ...]}."""
    icons = {'app.ico': [(s, draw_app(s).rgba()) for s in APP_SIZES],
             'tray.ico': [(s, draw_tray(s).rgba()) for s in TRAY_SIZES]}
    for f in range(ANIM_FRAMES):
        icons['tray_anim_%d.ico' % (f + 1)] = [(s, draw_tray(s, f).rgba())
                                               for s in TRAY_SIZES]
    return icons


# --- contact sheet for eyeballing the artwork

def preview_png(icons, strip=None, zoom=4, gap=12):
    """Every icon on a dark and a light panel: the 256 px app icon, then one
    row per file with each size at 1:1 followed by each size enlarged; then
    the close button's strip over the two popup colours, 1:1 and enlarged,
    black left out as the popup leaves it out."""
    names = sorted(icons, key=lambda n: (n != 'app.ico', n != 'tray.ico', n))
    rows = []
    for name in names:
        small = [(s, px) for s, px in icons[name] if s <= 48]
        rows.append([(s, px, 1) for s, px in small] + [(s, px, zoom) for s, px in small])
    big = dict(icons['app.ico'])[256]
    panel_w = max(256, max(sum(s * z + gap for s, _, z in r) for r in rows)) + 2 * gap
    panel_h = 2 * gap + 256 + sum(max(s * z for s, _, z in r) + gap for r in rows)
    strip_zoom = 8
    if strip:
        strip_w, strip_h, strip_rows = strip
        panel_w = max(panel_w, 2 * gap + strip_w * (1 + strip_zoom) + 2 * gap)
        panel_h += 2 * (strip_h * strip_zoom + 2 * 4 + gap)
    width = panel_w * 2
    img = bytearray(width * panel_h * 4)

    def blit(px, s, z, left, top):
        for y in range(s * z):
            src_row = (y // z) * s
            out = ((top + y) * width + left) * 4
            for x in range(s * z):
                j = (src_row + x // z) * 4
                a = px[j + 3] / 255.0
                i = out + x * 4
                for ch in range(3):
                    img[i + ch] = int(px[j + ch] * a + img[i + ch] * (1 - a) + 0.5)

    for panel, bg in enumerate((b'\x20\x20\x20\xff', b'\xf3\xf3\xf3\xff')):
        ox = panel * panel_w
        for y in range(panel_h):
            i = (y * width + ox) * 4
            img[i:i + panel_w * 4] = bg * panel_w
        blit(big, 256, 1, ox + gap, gap)
        y = 2 * gap + 256
        for r in rows:
            h = max(s * z for s, _, z in r)
            x = ox + gap
            for s, px, z in r:
                blit(px, s, z, x, y + h - s * z)
                x += s * z + gap
            y += h + gap
        if strip:
            for backdrop in (b'\xff\x00\x00\xff', b'\x00\xff\x00\xff'):
                band = strip_h * strip_zoom + 8
                for yy in range(y, y + band):
                    i = (yy * width + ox + gap) * 4
                    img[i:i + (panel_w - 2 * gap) * 4] = backdrop * (panel_w - 2 * gap)
                for z, left in ((1, ox + 2 * gap), (strip_zoom, ox + 3 * gap + strip_w)):
                    for yy in range(strip_h * z):
                        for xx in range(strip_w * z):
                            r, g, b = strip_rows[yy // z][xx // z]
                            if (r, g, b) != (0, 0, 0):
                                i = ((y + 4 + yy) * width + left + xx) * 4
                                img[i:i + 3] = bytes((r, g, b))
                y += band + gap
    return png_bytes(width, panel_h, bytes(img))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('outdir')
    ap.add_argument('--preview', metavar='PNG',
                    help='also write a contact sheet of every icon')
    args = ap.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    icons = render_all()
    for name, images in icons.items():
        with open(os.path.join(args.outdir, name), 'wb') as f:
            f.write(ico_bytes(images))
    strip = render_close_strip()
    with open(os.path.join(args.outdir, 'popup_close.bmp'), 'wb') as f:
        f.write(bmp_bytes(*strip))
    if args.preview:
        with open(args.preview, 'wb') as f:
            f.write(preview_png(icons, strip))


if __name__ == '__main__':
    main()
