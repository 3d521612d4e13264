#!/usr/bin/env python3
"""Draws the main window's banner, the task icon strip and the Optimize
Memory button picture, and writes them as 24-bit .bmp files.

    draw_banner.py OUTDIR [--preview SHEET.png]

Runs at build time next to draw_icons.py: standard library only, and the
output is byte-for-byte reproducible.  The lettering is our own monoline
sans-serif: every glyph is a handful of strokes (polylines with butt or
round ends) laid out in pixels for the size being drawn, so stems land on
whole pixels and stay crisp; a pixel's coverage comes from its distance to
the nearest stroke.
"""
import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_icons  # noqa: E402  (our icon script: shapes, the app logo, file writers)

BANNER_HEIGHT = 69
LEFT_WIDTH = 432
MIDDLE_WIDTH = 111
RIGHT_WIDTH = 381
STRIP_CELL = 16
STRIP_COUNT = 65
BUTTON_SIZE = (41, 25)
MAGENTA = (255, 0, 255)

PRODUCT_NAME = ('Quenvale', 'Memory Optimizer')
TAG_LINE = 'Free memory. Keep Windows responsive.'


def clamp01(v):
    return 0.0 if v < 0 else 1.0 if v > 1 else v


def hexrgb(s):
    v = int(s.lstrip('#'), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0)


def mixc(c1, c2, t):
    t = clamp01(t)
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


# --- lettering ------------------------------------------------------------

class Metrics:
    """Vertical metrics in pixels for one size and weight of the lettering.

    cap is the capital height, weight the stroke width in pixels.  Heights
    are whole pixels so that baselines, x-heights and cap heights fall on
    pixel edges.
    """

    def __init__(self, cap, weight):
        self.C = float(cap)
        self.X = float(round(cap * 0.72))
        self.A = float(round(cap * 1.04))
        self.D = float(round(cap * 0.24))
        self.w = float(weight)
        self.h = weight / 2.0
        self.ov = max(0.25, cap * 0.012)   # overshoot of round letters

    def r(self, v):
        return float(round(v))


class Glyph:
    """Strokes of one glyph: x from the left ink edge, y up from the baseline."""

    def __init__(self, m):
        self.m = m
        self.strokes = []
        self.width = 0.0

    def path(self, pts, caps='butt', clip=None, weight=None):
        self.strokes.append((list(pts), caps, clip, weight))

    def line(self, *pts, **kw):
        self.path(pts, **kw)

    def dot(self, x, y, radius=None):
        r = radius if radius is not None else self.m.h * 1.2
        self.strokes.append(([(x, y)], 'round', None, 2 * r))


def arc(cx, cy, rx, ry, a0, a1, step=1.2):
    """Points of an elliptic arc from angle a0 to a1 in degrees, anticlockwise
    for a1 > a0 (y up), at most `step` pixels apart."""
    span = math.radians(a1 - a0)
    n = max(4, int(math.ceil(abs(span) * max(rx, ry) / step)))
    a = math.radians(a0)
    return [(cx + rx * math.cos(a + span * i / n), cy + ry * math.sin(a + span * i / n))
            for i in range(n + 1)]


def spline(pts, step=1.0):
    """Catmull-Rom curve through pts (end tangents from the end chords)."""
    ext = [pts[0]] + list(pts) + [pts[-1]]
    out = [pts[0]]
    for i in range(1, len(ext) - 2):
        p0, p1, p2, p3 = ext[i - 1], ext[i], ext[i + 1], ext[i + 2]
        n = max(2, int(math.ceil(math.hypot(p2[0] - p1[0], p2[1] - p1[1]) / step)))
        for k in range(1, n + 1):
            t = k / float(n)
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * (2 * p1[j] + (-p0[j] + p2[j]) * t
                                    + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2
                                    + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3)
                             for j in (0, 1)))
    return out


def boxed(x0, y0, x1, y1, rel):
    """Maps points given as fractions of a box onto it."""
    return [(x0 + (x1 - x0) * u, y0 + (y1 - y0) * v) for u, v in rel]


# Each glyph function draws into g and sets g.width, the ink width.  The
# side kinds say how much space each side takes: straight stems get the full
# side bearing, rounds a little less, open diagonals much less.
GLYPHS = {}


def glyph(chars, left='|', right='|'):
    def register(fn):
        for ch in chars:
            GLYPHS[ch] = (fn, left, right)
        return fn
    return register


def bowl(g, x0, top, bottom, width):
    """Closed round bowl between the ink edges x0..x0+width, bottom..top."""
    m = g.m
    cx = x0 + width / 2.0
    cy = (top + bottom) / 2.0
    rx = width / 2.0 - m.h
    ry = (top - bottom) / 2.0 - m.h + m.ov
    g.path(arc(cx, cy, rx, ry, 0, 360), caps='round')
    return cx, cy, rx, ry


def lower_bowl_width(m):
    return m.r(m.X * 0.96)


@glyph('o', 'o', 'o')
def g_o(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)


@glyph('a', 'o', '|')
def g_a(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    g.line((g.width - m.h, 0), (g.width - m.h, m.X))


@glyph('d', 'o', '|')
def g_d(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    g.line((g.width - m.h, 0), (g.width - m.h, m.A))


@glyph('q', 'o', '|')
def g_q(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    g.line((g.width - m.h, -m.D), (g.width - m.h, m.X))


@glyph('b', '|', 'o')
def g_b(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    g.line((m.h, 0), (m.h, m.A))


@glyph('p', '|', 'o')
def g_p(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    g.line((m.h, -m.D), (m.h, m.X))


@glyph('g', 'o', '|')
def g_g(g, m):
    g.width = lower_bowl_width(m)
    bowl(g, 0, m.X, 0, g.width)
    sx = g.width - m.h
    rx = (g.width - 2 * m.h) / 2.0 * 0.92
    ry = m.D * 0.62
    cy = -m.D + m.h - m.ov + ry
    g.path([(sx, m.X)] + arc(sx - rx, cy, rx, ry, 0, -150))


@glyph('c', 'o', 'c')
def g_c(g, m):
    w = lower_bowl_width(m)
    cx, cy = w / 2.0, m.X / 2.0
    rx, ry = w / 2.0 - m.h, m.X / 2.0 - m.h + m.ov
    g.path(arc(cx, cy, rx, ry, 48, 312))
    g.width = w - m.r(w * 0.06)


@glyph('e', 'o', 'o')
def g_e(g, m):
    w = lower_bowl_width(m)
    cx, cy = w / 2.0, m.X / 2.0
    rx, ry = w / 2.0 - m.h, m.X / 2.0 - m.h + m.ov
    bar = m.r(m.X * 0.5) + (m.h % 1.0)
    g.path([(m.h, bar), (w - m.h, bar)] + arc(cx, cy, rx, ry, math.degrees(
        math.asin(clamp01((bar - cy) / ry))), 318))
    g.width = w


def arch(g, x0, x1, top, bottom):
    """Shoulder from a stem at ink edge x0 over to a leg ending at x1, down
    to bottom."""
    m = g.m
    rx = (x1 - x0) / 2.0 - m.h
    ry = min(rx * 1.05, (top - bottom) * 0.62)
    cy = top - m.h + m.ov - ry
    cx = (x0 + x1) / 2.0
    g.path(arc(cx, cy, rx, ry, 180, 0) + [(x1 - m.h, bottom)])


@glyph('n', '|', '|')
def g_n(g, m):
    g.width = m.r(m.X * 0.86)
    g.line((m.h, 0), (m.h, m.X))
    arch(g, 0, g.width, m.X, 0)


@glyph('h', '|', '|')
def g_h(g, m):
    g.width = m.r(m.X * 0.86)
    g.line((m.h, 0), (m.h, m.A))
    arch(g, 0, g.width, m.X, 0)


@glyph('m', '|', '|')
def g_m(g, m):
    half = m.r(m.X * 0.66)
    g.width = 2 * half - m.r(m.w)
    g.line((m.h, 0), (m.h, m.X))
    arch(g, 0, half, m.X, 0)
    arch(g, half - m.r(m.w), g.width, m.X, 0)


@glyph('u', '|', '|')
def g_u(g, m):
    g.width = m.r(m.X * 0.86)
    w = g.width
    rx = w / 2.0 - m.h
    ry = min(rx * 1.05, m.X * 0.62)
    cy = m.h - m.ov + ry
    g.path([(m.h, m.X)] + arc(w / 2.0, cy, rx, ry, 180, 360))
    g.line((w - m.h, 0), (w - m.h, m.X))


@glyph('r', '|', 'r')
def g_r(g, m):
    g.width = m.r(m.X * 0.56)
    g.line((m.h, 0), (m.h, m.X))
    rx = g.width - m.h * 2
    ry = m.X * 0.5
    cy = m.X - m.h + m.ov - ry
    g.path(arc(m.h + rx, cy, rx, ry, 180, 78))


@glyph('i', '|', '|')
def g_i(g, m):
    g.width = m.w
    g.line((m.h, 0), (m.h, m.X))
    r = m.h * 1.15
    g.dot(m.h, m.A - r, r)


@glyph('j', 'j', '|')
def g_j(g, m):
    g.width = m.r(m.w + m.X * 0.16)
    x = g.width - m.h
    rx = m.X * 0.28
    ry = m.D * 0.55
    cy = -m.D + m.h - m.ov + ry
    g.path([(x, m.X)] + arc(x - rx, cy, rx, ry, 0, -120))
    r = m.h * 1.15
    g.dot(x, m.A - r, r)


@glyph('l', '|', '|')
def g_l(g, m):
    g.width = m.w
    g.line((m.h, 0), (m.h, m.A))


@glyph('f', 'f', 'f')
def g_f(g, m):
    g.width = m.r(m.C * 0.40)
    x = m.r(m.C * 0.08) + m.h
    rx = m.C * 0.20
    ry = m.C * 0.20
    top = m.A
    cy = top - m.h + m.ov - ry
    g.path([(x, 0)] + arc(x + rx, cy, rx, ry, 180, 55))
    bar = m.X - m.h
    g.line((0, bar), (m.r(m.C * 0.36), bar))


@glyph('t', 't', 't')
def g_t(g, m):
    g.width = m.r(m.C * 0.40)
    x = m.r(m.C * 0.08) + m.h
    rx = m.C * 0.18
    ry = m.C * 0.20
    cy = m.h - m.ov + ry
    g.path([(x, m.r(m.C * 0.94))] + arc(x + rx, cy, rx, ry, 180, 300))
    bar = m.X - m.h
    g.line((0, bar), (m.r(m.C * 0.36), bar))


@glyph('k', '|', 'v')
def g_k(g, m):
    g.width = m.r(m.X * 0.80)
    w = g.width
    g.line((m.h, 0), (m.h, m.A))
    arm_top = (w - m.h * 0.9, m.X)
    arm_bot = (m.h, m.X * 0.28)
    dx, dy = arm_top[0] - arm_bot[0], arm_top[1] - arm_bot[1]
    g.line(arm_bot, (arm_top[0] + dx * 0.2, arm_top[1] + dy * 0.2), clip=(0, m.X))
    join = (arm_bot[0] + dx * 0.38, arm_bot[1] + dy * 0.38)
    g.line(join, (w - m.h * 0.8 + 2, -2.0 * (m.X - join[1]) / (w - join[0])), clip=(0, m.X))


def vee(g, x0, x1, top, bottom):
    m = g.m
    mid = (x0 + x1) / 2.0
    ext = m.h * 2.0
    slope = (top - bottom) / (mid - x0 - m.h)
    left_top = (x0 + m.h * 1.05 - ext / slope, top + ext)
    right_top = (x1 - m.h * 1.05 + ext / slope, top + ext)
    tip = (mid, bottom + m.h * 0.55)
    g.line(left_top, tip, right_top, clip=(bottom, top))


@glyph('v', 'v', 'v')
def g_v(g, m):
    g.width = m.r(m.X * 0.88)
    vee(g, 0, g.width, m.X, 0)


@glyph('w', 'v', 'v')
def g_w(g, m):
    g.width = m.r(m.X * 1.34)
    w = g.width
    q = w / 4.0
    ext = m.h * 2
    slope = m.X / (q - m.h)
    tip_y = m.h * 0.5
    g.line((m.h * 1.05 - ext / slope, m.X + ext), (q + m.h * 0.4, tip_y),
           (w / 2.0, m.X + ext * 0.5), (3 * q - m.h * 0.4, tip_y),
           (w - m.h * 1.05 + ext / slope, m.X + ext), clip=(0, m.X))


@glyph('x', 'v', 'v')
def g_x(g, m):
    g.width = m.r(m.X * 0.84)
    w = g.width
    e = m.h * 1.8
    slope = m.X / (w - 2 * m.h)
    g.line((m.h - e / slope, m.X + e), (w - m.h + e / slope, -e), clip=(0, m.X))
    g.line((w - m.h + e / slope, m.X + e), (m.h - e / slope, -e), clip=(0, m.X))


@glyph('y', 'v', 'v')
def g_y(g, m):
    g.width = m.r(m.X * 0.88)
    w = g.width
    mid = w / 2.0
    ext = m.h * 2
    slope = m.X / (mid - m.h)
    tip = (mid, m.h * 0.3)
    g.line((m.h * 1.05 - ext / slope, m.X + ext), tip, clip=(0, m.X))
    right_top = (w - m.h * 1.05 + ext / slope, m.X + ext)
    dx, dy = tip[0] - right_top[0], tip[1] - right_top[1]
    k = (-m.D - 2 - right_top[1]) / dy
    g.line(right_top, (right_top[0] + dx * k, right_top[1] + dy * k), clip=(-m.D, m.X))


@glyph('z', 'z', 'z')
def g_z(g, m):
    g.width = m.r(m.X * 0.76)
    w = g.width
    g.line((m.h * 0.3, m.X - m.h), (w, m.X - m.h))
    g.line((w - m.h * 1.2, m.X - m.w * 0.9), (m.h * 1.2, m.w * 0.9))
    g.line((0, m.h), (w, m.h))


@glyph('s', 's', 's')
def g_s(g, m):
    g.width = m.r(m.X * 0.74)
    x0, x1 = m.h, g.width - m.h
    y0, y1 = m.h - m.ov, m.X - m.h + m.ov
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.96, 0.82), (0.55, 1.0), (0.08, 0.86), (0.07, 0.62), (0.45, 0.50),
        (0.95, 0.36), (0.93, 0.10), (0.47, 0.0), (0.02, 0.17)])))


# Capitals

def cap_bowl_width(m):
    return m.r(m.C * 1.02)


@glyph('O', 'o', 'o')
def g_O(g, m):
    g.width = cap_bowl_width(m)
    bowl(g, 0, m.C, 0, g.width)


@glyph('Q', 'o', 'o')
def g_Q(g, m):
    g.width = cap_bowl_width(m)
    cx, cy, rx, ry = bowl(g, 0, m.C, 0, g.width)
    g.line((cx + rx * 0.30, cy - ry * 0.42), (cx + rx * 1.02, cy - ry * 1.12))


@glyph('C', 'o', 'c')
def g_C(g, m):
    w = cap_bowl_width(m)
    g.path(arc(w / 2.0, m.C / 2.0, w / 2.0 - m.h, m.C / 2.0 - m.h + m.ov, 45, 315))
    g.width = w - m.r(w * 0.08)


@glyph('G', 'o', '|')
def g_G(g, m):
    w = cap_bowl_width(m)
    cx, cy = w / 2.0, m.C / 2.0
    rx, ry = w / 2.0 - m.h, m.C / 2.0 - m.h + m.ov
    g.path(arc(cx, cy, rx, ry, 45, 360) + [(cx + rx, cy)])
    bar = m.r(m.C * 0.48) - m.h
    g.line((cx + m.h, bar + m.h), (w, bar + m.h))
    g.line((w - m.h, cy), (w - m.h, bar + m.h))
    g.width = w


def lobe(g, x_stem, top, bottom, right):
    """Horizontal strokes from the stem joined by a half round: B, D, P, R."""
    m = g.m
    ry = (top - bottom) / 2.0 - m.h
    rx = min(ry * 1.02, right - x_stem - m.h)
    cy = (top + bottom) / 2.0
    cx = right - m.h - rx
    g.path([(x_stem, top - m.h)] + arc(cx, cy, rx, ry, 90, -90) + [(x_stem, bottom + m.h)])


@glyph('D', '|', 'o')
def g_D(g, m):
    g.width = m.r(m.C * 0.86)
    g.line((m.h, 0), (m.h, m.C))
    ry = m.C / 2.0 - m.h
    rx = g.width - m.w - m.C * 0.12
    g.path([(m.h, m.C - m.h)] + arc(g.width - m.h - rx, m.C / 2.0, rx, ry + m.ov * 0.3, 90, -90)
           + [(m.h, m.h)])


@glyph('B', '|', 'o')
def g_B(g, m):
    g.width = m.r(m.C * 0.66)
    g.line((m.h, 0), (m.h, m.C))
    mid = m.r(m.C * 0.54) + m.h
    lobe(g, m.h, m.C, mid - m.h, g.width - m.r(m.C * 0.05))
    lobe(g, m.h, mid + m.h, 0, g.width)


@glyph('P', '|', 'o')
def g_P(g, m):
    g.width = m.r(m.C * 0.64)
    g.line((m.h, 0), (m.h, m.C))
    mid = m.r(m.C * 0.44)
    lobe(g, m.h, m.C, mid, g.width)


@glyph('R', '|', 'v')
def g_R(g, m):
    g.width = m.r(m.C * 0.66)
    g.line((m.h, 0), (m.h, m.C))
    mid = m.r(m.C * 0.44)
    lobe(g, m.h, m.C, mid, g.width - m.r(m.C * 0.03))
    start = (g.width * 0.45, mid + m.h)
    g.line(start, (g.width - m.h * 0.6 + m.h, -m.h * 1.5), clip=(0, m.C))


@glyph('E', '|', 'e')
def g_E(g, m):
    g.width = m.r(m.C * 0.56)
    g.line((m.h, 0), (m.h, m.C))
    mid = m.r(m.C * 0.52) - m.h
    g.line((m.h, m.C - m.h), (g.width, m.C - m.h))
    g.line((m.h, mid), (g.width - m.r(m.C * 0.05), mid))
    g.line((m.h, m.h), (g.width, m.h))


@glyph('F', '|', 'f')
def g_F(g, m):
    g.width = m.r(m.C * 0.54)
    g.line((m.h, 0), (m.h, m.C))
    mid = m.r(m.C * 0.52) - m.h
    g.line((m.h, m.C - m.h), (g.width, m.C - m.h))
    g.line((m.h, mid), (g.width - m.r(m.C * 0.06), mid))


@glyph('H', '|', '|')
def g_H(g, m):
    g.width = m.r(m.C * 0.80)
    g.line((m.h, 0), (m.h, m.C))
    g.line((g.width - m.h, 0), (g.width - m.h, m.C))
    mid = m.r(m.C * 0.52) - m.h
    g.line((m.h, mid), (g.width - m.h, mid))


@glyph('I', '|', '|')
def g_I(g, m):
    g.width = m.w
    g.line((m.h, 0), (m.h, m.C))


@glyph('J', 'j', '|')
def g_J(g, m):
    g.width = m.r(m.C * 0.50)
    x = g.width - m.h
    rx = (g.width - m.w) / 2.0
    ry = rx
    g.path([(x, m.C)] + arc(x - rx, m.h - m.ov + ry, rx, ry, 0, -165))


@glyph('K', '|', 'v')
def g_K(g, m):
    g.width = m.r(m.C * 0.66)
    w = g.width
    g.line((m.h, 0), (m.h, m.C))
    top = (w - m.h * 0.9, m.C)
    bot = (m.h, m.C * 0.30)
    dx, dy = top[0] - bot[0], top[1] - bot[1]
    g.line(bot, (top[0] + dx * 0.15, top[1] + dy * 0.15), clip=(0, m.C))
    join = (bot[0] + dx * 0.36, bot[1] + dy * 0.36)
    g.line(join, (w - m.h * 0.8 + 2, -2.0 * (m.C - join[1]) / (w - join[0])), clip=(0, m.C))


@glyph('L', '|', 'l')
def g_L(g, m):
    g.width = m.r(m.C * 0.52)
    g.line((m.h, m.C), (m.h, m.h), (g.width, m.h))


@glyph('M', '|', '|')
def g_M(g, m):
    g.width = m.r(m.C * 1.02)
    w = g.width
    g.line((m.h, 0), (m.h, m.C + m.w), (w / 2.0, m.h * 0.4), (w - m.h, m.C + m.w),
           (w - m.h, 0), clip=(0, m.C))


@glyph('N', '|', '|')
def g_N(g, m):
    g.width = m.r(m.C * 0.82)
    w = g.width
    g.line((m.h, 0), (m.h, m.C + m.w), (w - m.h, -m.w), (w - m.h, m.C), clip=(0, m.C))


@glyph('S', 's', 's')
def g_S(g, m):
    g.width = m.r(m.C * 0.62)
    x0, x1 = m.h, g.width - m.h
    y0, y1 = m.h - m.ov, m.C - m.h + m.ov
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.95, 0.84), (0.52, 1.0), (0.07, 0.86), (0.08, 0.63), (0.46, 0.51),
        (0.94, 0.37), (0.93, 0.11), (0.48, 0.0), (0.02, 0.16)])))


@glyph('T', 'v', 'v')
def g_T(g, m):
    g.width = m.r(m.C * 0.64)
    w = g.width
    g.line((0, m.C - m.h), (w, m.C - m.h))
    x = m.r(w / 2.0 - m.h) + m.h
    g.line((x, 0), (x, m.C - m.h))


@glyph('U', '|', '|')
def g_U(g, m):
    g.width = m.r(m.C * 0.78)
    w = g.width
    rx = w / 2.0 - m.h
    ry = rx * 0.95
    g.path([(m.h, m.C)] + arc(w / 2.0, m.h - m.ov + ry, rx, ry, 180, 360) + [(w - m.h, m.C)])


@glyph('V', 'v', 'v')
def g_V(g, m):
    g.width = m.r(m.C * 0.86)
    vee(g, 0, g.width, m.C, 0)


@glyph('A', 'v', 'v')
def g_A(g, m):
    g.width = m.r(m.C * 0.88)
    w = g.width
    mid = w / 2.0
    ext = m.h * 2.0
    slope = m.C / (mid - m.h)
    g.line((m.h * 1.05 - ext / slope, -ext), (mid, m.C - m.h * 0.55),
           (w - m.h * 1.05 + ext / slope, -ext), clip=(0, m.C))
    bar = m.r(m.C * 0.30) + m.h
    half = (m.C - bar) / slope
    g.line((mid - half, bar), (mid + half, bar))


@glyph('W', 'v', 'v')
def g_W(g, m):
    g.width = m.r(m.C * 1.30)
    w = g.width
    q = w / 4.0
    ext = m.h * 2
    slope = m.C / (q - m.h)
    g.line((m.h * 1.05 - ext / slope, m.C + ext), (q + m.h * 0.4, m.h * 0.5),
           (w / 2.0, m.C + ext * 0.5), (3 * q - m.h * 0.4, m.h * 0.5),
           (w - m.h * 1.05 + ext / slope, m.C + ext), clip=(0, m.C))


@glyph('X', 'v', 'v')
def g_X(g, m):
    g.width = m.r(m.C * 0.78)
    w = g.width
    e = m.h * 1.8
    slope = m.C / (w - 2 * m.h)
    g.line((m.h - e / slope, m.C + e), (w - m.h + e / slope, -e), clip=(0, m.C))
    g.line((w - m.h + e / slope, m.C + e), (m.h - e / slope, -e), clip=(0, m.C))


@glyph('Y', 'v', 'v')
def g_Y(g, m):
    g.width = m.r(m.C * 0.80)
    w = g.width
    mid = m.r(w / 2.0 - m.h) + m.h
    fork = m.C * 0.44
    g.line((m.h * 0.6, m.C + m.w), (mid, fork), (w - m.h * 0.6, m.C + m.w), clip=(0, m.C))
    g.line((mid, 0), (mid, fork))


@glyph('Z', 'z', 'z')
def g_Z(g, m):
    g.width = m.r(m.C * 0.70)
    w = g.width
    g.line((m.h * 0.4, m.C - m.h), (w, m.C - m.h))
    g.line((w - m.h * 1.2, m.C - m.w * 0.9), (m.h * 1.2, m.w * 0.9))
    g.line((0, m.h), (w, m.h))


# Figures and punctuation

@glyph('0', 'o', 'o')
def g_0(g, m):
    g.width = m.r(m.C * 0.66)
    bowl(g, 0, m.C, 0, g.width)


@glyph('1', 'f', '|')
def g_1(g, m):
    g.width = m.r(m.C * 0.34)
    x = g.width - m.h
    g.line((0, m.C * 0.78), (x, m.C), (x, 0))


@glyph('2', 's', 'z')
def g_2(g, m):
    g.width = m.r(m.C * 0.60)
    x0, x1 = m.h, g.width - m.h
    y0, y1 = m.h, m.C - m.h + m.ov
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.02, 0.78), (0.45, 1.0), (0.94, 0.78), (0.80, 0.48), (0.0, 0.0)])) + [(g.width, m.h)])


@glyph('3', 's', 's')
def g_3(g, m):
    g.width = m.r(m.C * 0.58)
    x0, x1 = m.h, g.width - m.h
    y0, y1 = m.h - m.ov, m.C - m.h + m.ov
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.04, 0.84), (0.48, 1.0), (0.90, 0.80), (0.46, 0.55)])))
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.40, 0.55), (0.98, 0.30), (0.50, 0.0), (0.0, 0.15)])))


@glyph('4', 'v', '|')
def g_4(g, m):
    g.width = m.r(m.C * 0.64)
    x = g.width - m.r(m.C * 0.12) - m.h
    bar = m.r(m.C * 0.28) + m.h
    g.line((x, 0), (x, m.C + m.w), (0.0, bar), (g.width, bar), clip=(0, m.C))


@glyph('5', 's', 's')
def g_5(g, m):
    g.width = m.r(m.C * 0.58)
    x0, x1 = m.h, g.width - m.h
    y0, y1 = m.h - m.ov, m.C - m.h
    g.line((g.width - m.h * 0.5, y1), (x0 + m.C * 0.04, y1), (x0, m.C * 0.56))
    g.path(spline(boxed(x0, y0, x1, y1, [
        (0.02, 0.56), (0.50, 0.64), (0.98, 0.34), (0.50, 0.0), (0.0, 0.14)])))


@glyph('7', 'z', 'v')
def g_7(g, m):
    g.width = m.r(m.C * 0.58)
    g.line((0, m.C - m.h), (g.width - m.h, m.C - m.h), (m.C * 0.18, -m.w), clip=(0, m.C))


@glyph('6', 'o', 'o')
def g_6(g, m):
    g.width = m.r(m.C * 0.60)
    cx, cy, rx, ry = bowl(g, 0, m.C * 0.62, 0, g.width)
    g.path(spline([(g.width * 0.72, m.C - m.h), (g.width * 0.36, m.C * 0.75),
                   (cx - rx, cy)]))


@glyph('9', 'o', 'o')
def g_9(g, m):
    g.width = m.r(m.C * 0.60)
    cx, cy, rx, ry = bowl(g, 0, m.C, m.C * 0.38, g.width)
    g.path(spline([(g.width * 0.28, m.h), (g.width * 0.64, m.C * 0.25),
                   (cx + rx, cy)]))


@glyph('8', 'o', 'o')
def g_8(g, m):
    g.width = m.r(m.C * 0.60)
    bowl(g, m.C * 0.04, m.C, m.r(m.C * 0.52) - m.h, g.width - m.C * 0.08)
    bowl(g, 0, m.r(m.C * 0.52) + m.h, 0, g.width)


@glyph(' ', ' ', ' ')
def g_space(g, m):
    g.width = max(3.0, m.r(m.C * 0.26))


@glyph('.', '.', '.')
def g_period(g, m):
    r = m.h * 1.2
    g.width = 2 * r
    g.dot(r, r, r)


@glyph(',', '.', '.')
def g_comma(g, m):
    r = m.h * 1.2
    g.width = 2 * r
    g.dot(r, r, r)
    g.line((r + m.h * 0.4, r), (r - m.h * 0.6, -m.D * 0.6), caps='round')


@glyph(':', '.', '.')
def g_colon(g, m):
    r = m.h * 1.2
    g.width = 2 * r
    g.dot(r, r, r)
    g.dot(r, m.X - r, r)


@glyph('-', '.', '.')
def g_hyphen(g, m):
    g.width = m.r(m.C * 0.34)
    y = m.r(m.X * 0.5) + m.h % 1.0
    g.line((0, y), (g.width, y))


@glyph('!', '.', '.')
def g_bang(g, m):
    r = m.h * 1.2
    g.width = 2 * r
    g.line((r, m.C), (r, m.C * 0.30))
    g.dot(r, r, r)


@glyph('?', 's', 'o')
def g_question(g, m):
    g.width = m.r(m.C * 0.52)
    x0, x1 = m.h, g.width - m.h
    g.path(spline(boxed(x0, m.C * 0.30, x1, m.C - m.h + m.ov, [
        (0.0, 0.76), (0.48, 1.0), (0.98, 0.74), (0.50, 0.30), (0.48, 0.0)])))
    g.dot(x0 + (x1 - x0) * 0.48, m.h * 1.2, m.h * 1.2)


@glyph("'", '.', '.')
def g_quote(g, m):
    g.width = m.w
    g.line((m.h, m.C), (m.h, m.C * 0.70))


@glyph('/', 'v', 'v')
def g_slash(g, m):
    g.width = m.r(m.C * 0.40)
    g.line((0, -m.D * 0.5), (g.width, m.C * 1.02), clip=(-m.D * 0.5, m.C))


@glyph('(', 'o', 'c')
def g_paren_l(g, m):
    g.width = m.r(m.C * 0.26)
    g.path(arc(m.C * 0.60 + m.h, m.C * 0.38, m.C * 0.60, m.C * 0.72, 135, 225))


@glyph(')', 'c', 'o')
def g_paren_r(g, m):
    g.width = m.r(m.C * 0.26)
    g.path(arc(g.width - m.C * 0.60 - m.h, m.C * 0.38, m.C * 0.60, m.C * 0.72, 45, -45))


@glyph('+', 'o', 'o')
def g_plus(g, m):
    g.width = m.r(m.C * 0.56)
    mid = m.r(g.width / 2.0 - m.h) + m.h
    y = m.r(m.C * 0.40) + m.h % 1.0
    g.line((0, y), (g.width, y))
    g.line((mid, y - g.width / 2.0), (mid, y + g.width / 2.0))


SIDE = {'|': 1.0, 'o': 0.75, 'c': 0.55, 'v': 0.25, 'z': 0.55, 's': 0.65, 'j': 0.3,
        'f': 0.3, 't': 0.35, 'r': 0.2, 'e': 0.45, 'l': 0.2, '.': 0.6, ' ': 0.0}

# Pairs that would otherwise stand too far apart, in units of the cap height.
KERN = {('F', 'r'): -0.05, ('K', 'e'): -0.04, ('W', 'i'): -0.02, ('y', '.'): -0.07,
        ('r', '.'): -0.08, ('T', 'o'): -0.08, ('V', 'a'): -0.06, ('P', 'a'): -0.03,
        ('r', 'y'): 0.02, ('O', 'p'): -0.01}


class Style:
    def __init__(self, cap, weight, tracking=0.0, spacing=0.085):
        self.cap = cap
        self.weight = weight
        self.tracking = tracking
        self.spacing = spacing
        self.metrics = Metrics(cap, weight)


def layout(text, style, x, baseline):
    """Lays the text out from pen position x: (glyphs, right edge), each
    glyph as (Glyph, origin x) with origins on whole pixels."""
    m = style.metrics
    sb = m.C * style.spacing
    placed = []
    pen = float(x)
    prev = None
    for ch in text:
        fn, left, right = GLYPHS[ch]
        g = Glyph(m)
        fn(g, m)
        if prev is not None:
            pen += KERN.get((prev, ch), 0.0) * m.C
        pen += sb * SIDE[left]
        ox = float(round(pen))
        placed.append((g, ox))
        pen = ox + g.width + sb * SIDE[right] + style.tracking
        prev = ch
    return placed, pen


def stroke_segments(g, ox, baseline):
    """Flattens a glyph into segments in image coordinates (y down):
    (ax, ay, bx, by, half width, butt at a, butt at b, clip top, clip bottom)."""
    m = g.m
    segs = []
    for pts, caps, clip, weight in g.strokes:
        hw = (weight if weight is not None else m.w) / 2.0
        if clip is None:
            ctop, cbot = -1e9, 1e9
        else:
            ctop, cbot = baseline - clip[1], baseline - clip[0]
        img = [(ox + px, baseline - py) for px, py in pts]
        if len(img) == 1:
            img = img * 2
        last = len(img) - 2
        for i in range(len(img) - 1):
            (ax, ay), (bx, by) = img[i], img[i + 1]
            butt_a = caps == 'butt' and i == 0
            butt_b = caps == 'butt' and i == last
            segs.append((ax, ay, bx, by, hw, butt_a, butt_b, ctop, cbot))
    return segs


def text_coverage(placed, baseline, width, height):
    """Coverage 0..1 of the laid-out glyphs, as {(x, y): coverage}."""
    cov = {}
    for g, ox in placed:
        segs = stroke_segments(g, ox, baseline)
        if not segs:
            continue
        pad = max(s[4] for s in segs) + 1.0
        x0 = max(0, int(math.floor(min(min(s[0], s[2]) for s in segs) - pad)))
        x1 = min(width, int(math.ceil(max(max(s[0], s[2]) for s in segs) + pad)))
        y0 = max(0, int(math.floor(min(min(s[1], s[3]) for s in segs) - pad)))
        y1 = min(height, int(math.ceil(max(max(s[1], s[3]) for s in segs) + pad)))
        prepared = []
        for ax, ay, bx, by, hw, ba, bb, ct, cb in segs:
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            ln = math.sqrt(ll)
            prepared.append((ax, ay, dx, dy, ll, ln, hw, ba, bb, ct, cb,
                             min(ax, bx) - hw - 1, max(ax, bx) + hw + 1,
                             max(ct, min(ay, by) - hw - 1), min(cb, max(ay, by) + hw + 1)))
        for y in range(y0, y1):
            cy = y + 0.5
            row = [s for s in prepared if s[13] <= cy <= s[14]]
            if not row:
                continue
            for x in range(x0, x1):
                cx = x + 0.5
                best = 1.0
                for (ax, ay, dx, dy, ll, ln, hw, ba, bb, ct, cb,
                     bx0, bx1, _, _) in row:
                    if cx < bx0 or cx > bx1:
                        continue
                    wx, wy = cx - ax, cy - ay
                    if ll == 0.0:
                        d = math.sqrt(wx * wx + wy * wy) - hw
                    else:
                        t = (wx * dx + wy * dy) / ll
                        if t < 0.0:
                            if ba:
                                d = max(abs(wx * dy - wy * dx) / ln - hw, -t * ln)
                            else:
                                d = math.sqrt(wx * wx + wy * wy) - hw
                        elif t > 1.0:
                            if bb:
                                d = max(abs(wx * dy - wy * dx) / ln - hw, (t - 1.0) * ln)
                            else:
                                ex, ey = wx - dx, wy - dy
                                d = math.sqrt(ex * ex + ey * ey) - hw
                        else:
                            d = abs(wx * dy - wy * dx) / ln - hw
                    if ct - cy > d:
                        d = ct - cy
                    if cy - cb > d:
                        d = cy - cb
                    if d < best:
                        best = d
                c = 0.5 - best
                if c <= 0.0:
                    continue
                if c > 1.0:
                    c = 1.0
                key = (x, y)
                if c > cov.get(key, 0.0):
                    cov[key] = c
    return cov


# --- a straightforward RGB canvas -------------------------------------------

class Image:
    def __init__(self, width, height, color=(1.0, 1.0, 1.0)):
        self.width = width
        self.height = height
        self.px = [list(color) for _ in range(width * height)]

    def blend(self, x, y, color, a):
        if a <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        p = self.px[y * self.width + x]
        if a >= 1.0:
            p[0], p[1], p[2] = color[0], color[1], color[2]
            return
        k = 1.0 - a
        p[0] = color[0] * a + p[0] * k
        p[1] = color[1] * a + p[1] * k
        p[2] = color[2] * a + p[2] * k

    def shade(self, fn):
        """Sets every pixel to fn(x, y) -> colour, at the pixel's centre."""
        for y in range(self.height):
            for x in range(self.width):
                c = fn(x + 0.5, y + 0.5)
                p = self.px[y * self.width + x]
                p[0], p[1], p[2] = c

    def fill(self, shape, color, alpha=1.0, soft=0.5, bbox=None):
        """Composites colour (or colour function of x, y) where the distance
        function shape covers the image, like draw_icons.Canvas.fill."""
        x0, y0, x1, y1 = bbox or shape.bbox
        ix0 = max(0, int(math.floor(x0 - soft)))
        iy0 = max(0, int(math.floor(y0 - soft)))
        ix1 = min(self.width, int(math.ceil(x1 + soft)))
        iy1 = min(self.height, int(math.ceil(y1 + soft)))
        k = 0.5 / soft
        for y in range(iy0, iy1):
            cy = y + 0.5
            for x in range(ix0, ix1):
                cx = x + 0.5
                cov = 0.5 - shape(cx, cy) * k
                if cov <= 0:
                    continue
                c = color(cx, cy) if callable(color) else color
                self.blend(x, y, c, min(1.0, cov) * alpha)

    def text(self, placed, baseline, color, alpha=1.0):
        for (x, y), c in text_coverage(placed, baseline, self.width, self.height).items():
            self.blend(x, y, color(x + 0.5, y + 0.5) if callable(color) else color, c * alpha)

    def paste_rgba(self, rgba, size, left, top, alpha=1.0):
        """Composites a square straight-alpha RGBA image (draw_icons output)."""
        for y in range(size):
            for x in range(size):
                i = (y * size + x) * 4
                a = rgba[i + 3] / 255.0 * alpha
                if a > 0:
                    self.blend(left + x, top + y,
                               (rgba[i] / 255.0, rgba[i + 1] / 255.0, rgba[i + 2] / 255.0), a)

    def rows(self):
        """Rows top first of 8-bit (r, g, b)."""
        out = []
        for y in range(self.height):
            row = self.px[y * self.width:(y + 1) * self.width]
            out.append([tuple(int(clamp01(ch) * 255 + 0.5) for ch in p) for p in row])
        return out


# --- banner -----------------------------------------------------------------

SKY_TOP = hexrgb('#2b78ea')
SKY_BOTTOM = hexrgb('#0c3b96')
NAVY = hexrgb('#071f5c')
GLOW = hexrgb('#74b4ff')
MINT = hexrgb('#4fe3b0')


def sky(y):
    """The banner's vertical gradient: the colour of row centre y."""
    t = clamp01(y / float(BANNER_HEIGHT))
    return mixc(SKY_TOP, SKY_BOTTOM, t * t * 0.35 + t * 0.65)


def smoothstep(e0, e1, v):
    t = clamp01((v - e0) / float(e1 - e0))
    return t * t * (3 - 2 * t)


def left_backdrop(x, y):
    c = sky(y)
    # Deeper blue towards the left end; nothing left of it at the right edge,
    # where the middle segment takes over.
    k = (1.0 - x / float(LEFT_WIDTH)) ** 2 * 0.55
    c = mixc(c, NAVY, k)
    # Soft light behind the emblem.
    d = math.hypot((x - 36) / 1.6, y - 34)
    c = mixc(c, GLOW, 0.30 * math.exp(-(d / 30.0) ** 2))
    return c


def emblem(img, cx, cy):
    """The memory chip emblem at the left end: a chip with its pins, an
    upward arrow on it, and traces that run off to the right behind the
    name and fade out."""
    r = draw_icons.rect
    poly = draw_icons.polygon
    white = (1.0, 1.0, 1.0)
    # Traces first, so the chip sits on top of them: one from each pin on
    # the right side, bending away to run along the top and bottom margins,
    # fading out before the end of the segment.
    for dy, lane, run in ((-9, 6, 330), (-3, 11, 178), (3, 61, 160), (9, 65, 350)):
        y0 = cy + dy
        x0 = cx + 18
        kink = x0 + 3 + abs(dy) // 2
        pts = [(x0, y0), (kink, y0), (kink + abs(lane - y0), lane), (run, lane)]
        g = Glyph(Metrics(10, 1.0))
        g.path([(x, -y) for x, y in pts], caps='round')
        ex, ey = pts[-1]
        g.dot(ex, -ey, 2.4)
        for (x, y), c in text_coverage([(g, 0.0)], 0.0, img.width, img.height).items():
            a = 0.30 * (1.0 - smoothstep(cx + 40, LEFT_WIDTH - 30, x))
            img.blend(x, y, white, c * a)
        img.fill(draw_icons.grow(r(ex, ey, ex, ey), 1.2), left_backdrop)
    # Chip body with pins on all four sides.
    half = 15
    pin_len = 4
    for i in range(4):
        off = -9 + i * 6
        for x0, y0, x1, y1 in ((cx + off - 1, cy - half - pin_len, cx + off + 1, cy - half),
                               (cx + off - 1, cy + half, cx + off + 1, cy + half + pin_len),
                               (cx - half - pin_len, cy + off - 1, cx - half, cy + off + 1),
                               (cx + half, cy + off - 1, cx + half + pin_len, cy + off + 1)):
            img.fill(r(x0, y0, x1, y1, 0.5), hexrgb('#d6e6ff'))
    img.fill(r(cx - half - 1, cy - half - 1, cx + half + 1, cy + half + 1, 5), NAVY, alpha=0.35,
             soft=1.5)
    img.fill(r(cx - half, cy - half, cx + half, cy + half, 4.5),
             lambda x, y: mixc(hexrgb('#ffffff'), hexrgb('#cfe0fa'), (y - cy + half) / (2.0 * half)))
    img.fill(r(cx - half + 3, cy - half + 3, cx + half - 3, cy + half - 3, 2.5),
             lambda x, y: mixc(hexrgb('#1d5fd0'), hexrgb('#0d3a94'), (y - cy + half) / (2.0 * half)))
    # Upward arrow: memory given back.
    ax, top = cx, cy - 9
    arrow = poly([(ax, top), (ax + 7, top + 7), (ax + 2.5, top + 7), (ax + 2.5, cy + 9),
                  (ax - 2.5, cy + 9), (ax - 2.5, top + 7), (ax - 7, top + 7)])
    img.fill(arrow, lambda x, y: mixc(hexrgb('#b9ffe4'), MINT, (y - top) / 18.0))


NAME_X = 76
NAME_BASELINE = 36
TAG_BASELINE = 55


def banner_text():
    """Lays out the product name (its first word bold, the rest light) and
    the tag line: a list of (placed glyphs, baseline, colour, right edge)."""
    bold = Style(20, 3.3)
    light = Style(20, 2.1)
    tag = Style(9, 1.2, tracking=0.25)
    first, pen = layout(PRODUCT_NAME[0], bold, NAME_X, NAME_BASELINE)
    second, end = layout(PRODUCT_NAME[1], light, pen + bold.cap * 0.30, NAME_BASELINE)
    line, tag_end = layout(TAG_LINE, tag, NAME_X + 1, TAG_BASELINE)
    return [(first, NAME_BASELINE, (1.0, 1.0, 1.0), pen),
            (second, NAME_BASELINE, hexrgb('#dbe9ff'), end),
            (line, TAG_BASELINE, hexrgb('#b8d3ff'), tag_end)]


def render_banner_left():
    img = Image(LEFT_WIDTH, BANNER_HEIGHT)
    img.shade(left_backdrop)
    emblem(img, 36, 34)
    texts = banner_text()
    # A faint shadow one pixel down under the name lifts it off the blue.
    for placed, base, _, _ in texts[:2]:
        img.text(placed, base + 1, NAVY, 0.35)
    for placed, base, color, _ in texts:
        img.text(placed, base, color)
    return img


def render_banner_middle():
    img = Image(MIDDLE_WIDTH, BANNER_HEIGHT)
    img.shade(lambda x, y: sky(y))
    return img


def right_backdrop(x, y):
    # The blue gives way to white along a gently curved front, so the
    # product logo at the right end stands on white.
    front = 150 + 28 * math.sin((y / float(BANNER_HEIGHT)) * math.pi * 0.9) - y * 0.35
    t = smoothstep(front - 70, front + 90, x)
    c = mixc(sky(y), (1.0, 1.0, 1.0), t)
    # A faint light band riding the front.
    band = math.exp(-((x - front - 10) / 26.0) ** 2)
    return mixc(c, hexrgb('#e9f2ff'), 0.25 * band * (1 - t))


def render_banner_right():
    img = Image(RIGHT_WIDTH, BANNER_HEIGHT)
    img.shade(right_backdrop)
    size = 56
    left, top = RIGHT_WIDTH - size - 14, (BANNER_HEIGHT - size) // 2
    # A soft shadow on the white under the module.
    cx, cy = left + size / 2.0, top + size - 2.5
    shadow = draw_icons.rect(cx - 22, cy - 1.5, cx + 22, cy + 1.5, 1.5)
    img.fill(shadow, hexrgb('#5a6b80'), alpha=0.28, soft=3.0)
    img.paste_rgba(draw_icons.draw_app(size).rgba(), size, left, top)
    return img


# --- task icons ---------------------------------------------------------------
#
# Sixteen-pixel glyphs drawn with hard edges: a pixel belongs to a shape when
# its centre does, and every shape gets a one-pixel outline of its own darker
# colour where it meets anything outside it.  Nothing is blended into the
# transparent magenta, so no pink fringe can appear around a glyph.  Inside a
# glyph, detail may be blended over pixels that are already painted.

def rgb8(s):
    v = int(s.lstrip('#'), 16)
    return (v >> 16, (v >> 8) & 255, v & 255)


PAL = {
    'paper': (rgb8('#ffffff'), rgb8('#e4eaf2'), rgb8('#6b7a8c')),
    'fold': (rgb8('#f4f7fb'), rgb8('#cdd6e2'), rgb8('#6b7a8c')),
    'blue': (rgb8('#6aa8f0'), rgb8('#2e6fd0'), rgb8('#1b4a94')),
    'navy': (rgb8('#3a5f9c'), rgb8('#22406f'), rgb8('#142a4d')),
    'green': (rgb8('#6bdc8c'), rgb8('#25a455'), rgb8('#15703a')),
    'red': (rgb8('#f47a7a'), rgb8('#d8333a'), rgb8('#8e1a1f')),
    'yellow': (rgb8('#ffe07a'), rgb8('#f2b632'), rgb8('#9a6a0c')),
    'orange': (rgb8('#ffb36b'), rgb8('#ec7a22'), rgb8('#9a4a0e')),
    'grey': (rgb8('#dfe4ea'), rgb8('#a4afbc'), rgb8('#56626f')),
    'steel': (rgb8('#b8c4d2'), rgb8('#74849a'), rgb8('#3c4756')),
    'dark': (rgb8('#5b6676'), rgb8('#343d4a'), rgb8('#1c222b')),
    'folder': (rgb8('#ffd98a'), rgb8('#f0b445'), rgb8('#a8751a')),
    'gold': (rgb8('#ffe9a8'), rgb8('#e8b43a'), rgb8('#94680e')),
}
WHITE8 = (255, 255, 255)


def _mix8(a, b, t):
    t = clamp01(t)
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Cell:
    """A small picture of hard-edged shapes; None is transparent."""

    def __init__(self, width=STRIP_CELL, height=STRIP_CELL):
        self.w, self.h = width, height
        self.px = [[None] * width for _ in range(height)]

    # predicates take pixel-centre coordinates
    def shape(self, inside, tone, outline=True, shade=True):
        """Fills the pixels inside with a vertical gradient of the tone, and
        outlines its border in the tone's dark colour."""
        top, bottom, edge = PAL[tone] if isinstance(tone, str) else tone
        w, h = self.w, self.h
        mask = [[inside(x + 0.5, y + 0.5) for x in range(w)] for y in range(h)]
        rows = [y for y in range(h) if any(mask[y])]
        if not rows:
            return mask
        y0, y1 = rows[0], rows[-1]
        for y in range(h):
            for x in range(w):
                if not mask[y][x]:
                    continue
                border = outline and any(
                    not (0 <= x + dx < w and 0 <= y + dy < h and mask[y + dy][x + dx])
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if border:
                    self.px[y][x] = edge
                else:
                    t = (y - y0) / float(max(1, y1 - y0)) if shade else 0.0
                    self.px[y][x] = _mix8(top, bottom, t)
        return mask

    def solid(self, inside, color):
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = color

    def rect(self, x0, y0, x1, y1, color):
        """Pixels x0..x1-1, y0..y1-1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = color

    def dot(self, x, y, color):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = color

    def over(self, inside_cov, color):
        """Blends colour by coverage, but only over painted pixels: detail
        inside a glyph may be smooth, its silhouette stays hard."""
        for y in range(self.h):
            for x in range(self.w):
                p = self.px[y][x]
                if p is None:
                    continue
                c = inside_cov(x + 0.5, y + 0.5)
                if c > 0:
                    self.px[y][x] = _mix8(p, color, c)

    def clear(self, inside):
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = None


def in_rect(x0, y0, x1, y1, r=0.0):
    d = draw_icons.rect(x0, y0, x1, y1, r)
    return lambda x, y: d(x, y) < 0


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < r * r


def in_poly(pts):
    d = draw_icons.polygon(pts)
    return lambda x, y: d(x, y) < 0


def in_line(ax, ay, bx, by, hw):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def inside(x, y):
        t = clamp01(((x - ax) * dx + (y - ay) * dy) / ll) if ll else 0.0
        return (x - ax - dx * t) ** 2 + (y - ay - dy * t) ** 2 < hw * hw
    return inside


def union(*preds):
    return lambda x, y: any(p(x, y) for p in preds)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def cov_line(ax, ay, bx, by, hw):
    """Coverage of a line for detail drawn with Cell.over."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def cov(x, y):
        t = clamp01(((x - ax) * dx + (y - ay) * dy) / ll) if ll else 0.0
        d = math.hypot(x - ax - dx * t, y - ay - dy * t) - hw
        return clamp01(0.5 - d)
    return cov


# Compound pieces shared by several icons.

def paper(c, x0=2, y0=0, x1=14, y1=16, fold=4, lines=False):
    c.shape(in_poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]), 'paper')
    if fold:
        c.shape(in_poly([(x1 - fold - 1, y0), (x1, y0 + fold + 1), (x1 - fold - 1, y0 + fold + 1)]),
                'fold')
    if lines:
        ink = rgb8('#8ea2bb')
        for i, y in enumerate(range(y0 + 6, y1 - 2, 2)):
            c.rect(x0 + 2, y, x1 - 2 - (3 if i % 3 == 2 else 0), y + 1, ink)


def folder(c, open_=False):
    c.shape(in_poly([(1, 3), (6, 3), (7.5, 4.5), (15, 4.5), (15, 14), (1, 14)]), 'folder')
    if open_:
        c.shape(in_poly([(3, 7), (16, 7), (14, 14), (0.5, 14)]), 'yellow')
    else:
        c.shape(in_rect(1, 6, 15, 14), 'yellow')


def window(c, x0=0, y0=1, x1=16, y1=15, title=3):
    c.shape(in_rect(x0, y0, x1, y1, 1.0), 'navy')
    c.rect(x0 + 1, y0 + title, x1 - 1, y1 - 1, WHITE8)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + title, rgb8('#4f86d9'))
    c.dot(x1 - 3, y0 + 1, rgb8('#ff8c8c'))


def badge_plus(c, tone='green'):
    c.shape(union(in_rect(8, 10, 16, 13), in_rect(10.5, 7.5, 13.5, 15.5)), tone, shade=False)


def badge_minus(c, tone='red'):
    c.shape(in_rect(8, 10, 16, 13), tone, shade=False)


def arrow(c, direction, tone='blue', box=(1, 1, 15, 15)):
    x0, y0, x1, y1 = box
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    w = (x1 - x0) / 2.0
    head = [(0, -w), (w, 0), (w * 0.4, 0), (w * 0.4, w), (-w * 0.4, w), (-w * 0.4, 0), (-w, 0)]
    rot = {'up': (1, 0, 0, 1), 'down': (1, 0, 0, -1), 'left': (0, 1, 1, 0), 'right': (0, -1, 1, 0)}
    a, b, cc, d = rot[direction]
    pts = [(cx + a * px + b * py, cy + cc * px + d * py) for px, py in head]
    c.shape(in_poly(pts), tone)


def magnifier(c, lens_tone='blue'):
    c.shape(in_line(9.5, 9.5, 14, 14, 1.7), 'dark', shade=False)
    c.shape(in_circle(6.5, 6.5, 5.6), 'steel')
    c.shape(in_circle(6.5, 6.5, 3.6), (rgb8('#e8f3ff'), rgb8('#a9cdf5'), rgb8('#5b7fa8')))


def gear(c, cx=8, cy=8, outer=7.6, inner=5.6, teeth=8, hole=2.2, tone='steel'):
    def inside(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r < hole:
            return False
        ang = (math.atan2(dy, dx) * teeth / (2 * math.pi)) % 1.0
        tooth = 0.22 < ang < 0.78
        return r < (outer if tooth else inner)
    c.shape(inside, tone)
    # Hub ring, so the gear reads as a wheel and not a star.
    c.shape(lambda x, y: hole <= math.hypot(x - cx, y - cy) < hole + 1.4, 'dark', outline=False)


def check(c, tone='green'):
    c.shape(union(in_line(2.5, 8.5, 6, 12, 1.9), in_line(6, 12, 13.5, 3.5, 1.9)), tone)


def cross(c, tone='red'):
    c.shape(union(in_line(3, 3, 13, 13, 1.9), in_line(13, 3, 3, 13, 1.9)), tone)


def circle_badge(c, tone):
    c.shape(in_circle(8, 8, 7.5), tone)


def spark(c, cx, cy, r, tone='yellow'):
    k = r * 0.40
    c.shape(in_poly([(cx, cy - r), (cx + k, cy - k), (cx + r, cy), (cx + k, cy + k),
                     (cx, cy + r), (cx - k, cy + k), (cx - r, cy), (cx - k, cy - k)]), tone,
            shade=False)


SKIN = (rgb8('#ffe0c2'), rgb8('#f1b98e'), rgb8('#9c5f36'))
INK = rgb8('#2a3340')


def in_ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 < r_out * r_out


def in_sector(cx, cy, r, a0, a1):
    """Disc sector between angles a0..a1 in degrees, clockwise from 3 o'clock
    (y down)."""
    def inside(x, y):
        if (x - cx) ** 2 + (y - cy) ** 2 >= r * r:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a0 <= a < a1) if a0 < a1 else (a >= a0 or a < a1)
    return inside


def person(c, cx, top, tone):
    c.shape(lambda x, y: (x - cx) ** 2 + (y - top - 11) ** 2 < 6.2 ** 2 and y < top + 12.5, tone)
    c.shape(in_circle(cx, top + 3.6, 3.1), SKIN)


def tray(c):
    c.shape(union(in_rect(1, 11, 3.5, 15), in_rect(12.5, 11, 15, 15), in_rect(1, 13, 15, 15.5)),
            'steel', shade=False)


def i_document(c):
    paper(c)


def i_text(c):
    paper(c, lines=True)


def i_new_document(c):
    paper(c, 1, 0, 13, 15, fold=4, lines=True)
    badge_plus(c)


def i_folder(c):
    folder(c)


def i_folder_open(c):
    folder(c, open_=True)


def i_save(c):
    c.shape(in_poly([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)]), 'blue')
    c.shape(in_rect(3.5, 1, 12.5, 7), 'paper', shade=False)
    c.shape(in_rect(4.5, 9.5, 11.5, 15), 'steel', shade=False)
    c.rect(9, 11, 10, 14, INK)


def i_print(c):
    c.shape(in_rect(4, 1, 12, 7), 'paper')
    c.shape(in_rect(1, 5, 15, 12, 1.0), 'steel')
    c.dot(12, 7, rgb8('#35d46a'))
    c.shape(in_rect(3.5, 9, 12.5, 15.5), 'paper', shade=False)
    c.rect(5, 11, 11, 12, rgb8('#8ea2bb'))
    c.rect(5, 13, 10, 14, rgb8('#8ea2bb'))


def i_copy(c):
    paper(c, 1, 0, 10, 11, fold=3)
    paper(c, 6, 5, 15, 16, fold=3, lines=True)


def i_cut(c):
    c.shape(in_line(5, 1.5, 10.5, 10, 1.1), 'steel', shade=False)
    c.shape(in_line(11, 1.5, 5.5, 10, 1.1), 'steel', shade=False)
    c.shape(in_ring(4.5, 12, 3.2, 1.3), 'red')
    c.shape(in_ring(11.5, 12, 3.2, 1.3), 'red')


def i_paste(c):
    c.shape(in_rect(2, 2, 14, 16, 1.0), 'orange')
    c.shape(in_rect(4, 5, 12, 14.5), 'paper', shade=False)
    c.rect(5, 7, 11, 8, rgb8('#8ea2bb'))
    c.rect(5, 9, 11, 10, rgb8('#8ea2bb'))
    c.rect(5, 11, 9, 12, rgb8('#8ea2bb'))
    c.shape(in_rect(5, 0.5, 11, 4, 1.0), 'steel')


def hook_arrow(c, mirror=False):
    """A U-turn: the curve on the right, the head at the top pointing left
    (mirrored for redo)."""
    f = (lambda x: 16 - x) if mirror else (lambda x: x)
    band = lambda x, y: (3.0 ** 2 <= (f(x) - 9) ** 2 + (y - 8.5) ** 2 < 6.2 ** 2 and f(x) >= 9)
    tail = lambda x, y: in_rect(4.5, 11.5, 9.5, 14.7)(f(x), y) or in_rect(6, 2.3, 9.5, 5.5)(f(x), y)
    head = lambda x, y: in_poly([(0.5, 3.9), (7, -1.0), (7, 8.8)])(f(x), y)
    c.shape(union(band, tail, head), 'blue')


def i_undo(c):
    hook_arrow(c)


def i_redo(c):
    hook_arrow(c, mirror=True)


def i_left(c):
    arrow(c, 'left')


def i_right(c):
    arrow(c, 'right')


def i_up(c):
    arrow(c, 'up', 'green')


def i_down(c):
    arrow(c, 'down', 'green')


def i_home(c):
    c.shape(in_rect(3, 7, 13, 15.5), 'paper')
    c.shape(in_rect(6.5, 10, 9.5, 15.5), 'orange', shade=False)
    c.shape(in_poly([(0, 8.5), (8, 0.5), (16, 8.5)]), 'red')


def i_search(c):
    magnifier(c)


def i_processes(c):
    window(c, 0, 1, 16, 15)
    c.rect(1, 4, 15, 7, rgb8('#cfe1fb'))
    rows = ((5, rgb8('#2e6fd0'), 12), (8, rgb8('#25a455'), 10), (11, rgb8('#ec7a22'), 13))
    for y, color, end in rows:
        c.rect(2, y, 4, y + 2, color)
        c.rect(5, y, end, y + 1, rgb8('#5e6f86'))
        c.rect(5, y + 1, end - 3, y + 2, rgb8('#b3c0d1'))


def i_info(c):
    circle_badge(c, 'blue')
    c.rect(7, 3, 9, 5, WHITE8)
    c.rect(7, 6, 9, 12, WHITE8)
    c.rect(6, 11, 10, 12, WHITE8)


def i_warning(c):
    c.shape(in_poly([(8, 0), (16, 15), (0, 15)]), 'yellow')
    c.rect(7, 5, 9, 10, INK)
    c.rect(7, 11, 9, 13, INK)


def i_help(c):
    circle_badge(c, 'blue')
    for x0, y0, x1, y1 in ((6, 3, 10, 4), (5, 4, 7, 5), (9, 4, 11, 6), (8, 6, 10, 7),
                           (7, 7, 9, 9), (7, 10, 9, 12)):
        c.rect(x0, y0, x1, y1, WHITE8)


def i_stop_sign(c):
    k = 4.6
    c.shape(in_poly([(k, 0.5), (16 - k, 0.5), (15.5, k), (15.5, 16 - k), (16 - k, 15.5),
                     (k, 15.5), (0.5, 16 - k), (0.5, k)]), 'red')
    c.rect(4, 7, 12, 9, WHITE8)


def i_window_spark(c):
    window(c, 0, 3, 13, 16)
    c.rect(2, 8, 8, 9, rgb8('#b3c0d1'))
    c.rect(2, 10, 10, 11, rgb8('#b3c0d1'))
    c.rect(2, 12, 6, 13, rgb8('#b3c0d1'))
    spark(c, 11.5, 4.5, 4.6)
    c.dot(6, 1, rgb8('#f2b632'))
    c.dot(15, 10, rgb8('#f2b632'))


def i_performance(c):
    cx, cy = 8, 9.5
    face = lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < 7.6 ** 2 and y < 14.5
    c.shape(face, 'dark')
    c.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < 6.4 ** 2 and y < 13.5, 'paper',
            outline=False)
    for a0, a1, col in ((180, 240, rgb8('#25b85a')), (240, 300, rgb8('#f2b632')),
                        (300, 360, rgb8('#e0383e'))):
        c.solid(lambda x, y, a0=a0, a1=a1: in_sector(cx, cy, 6.4, a0, a1)(x, y)
                and (x - cx) ** 2 + (y - cy) ** 2 >= 4.3 ** 2, col)
    c.over(cov_line(cx, cy, 12.2, 4.6, 0.75), INK)
    c.shape(in_circle(cx, cy, 1.7), 'dark', outline=False)


def i_bar_chart(c):
    c.rect(1, 1, 2, 15, INK)
    c.rect(1, 14, 15, 15, INK)
    c.shape(in_rect(3, 8, 6, 14), 'blue')
    c.shape(in_rect(7, 3, 10, 14), 'green')
    c.shape(in_rect(11, 6, 14, 14), 'orange')


def i_pie(c):
    c.shape(in_sector(7.5, 8.5, 7.2, 0, 270), 'blue')
    c.shape(in_sector(8.5, 7.5, 7.2, 270, 360), 'orange')


def i_clock(c):
    c.shape(in_circle(8, 8, 7.6), 'steel')
    c.shape(in_circle(8, 8, 6.3), 'paper', outline=False)
    c.rect(7, 3, 9, 9, INK)
    c.rect(7, 7, 12, 9, INK)
    c.dot(8, 2, rgb8('#8ea2bb'))
    c.dot(8, 13, rgb8('#8ea2bb'))
    c.dot(2, 8, rgb8('#8ea2bb'))
    c.dot(13, 8, rgb8('#8ea2bb'))


def i_calendar(c):
    c.shape(in_rect(1, 2, 15, 15.5, 1.0), 'paper')
    c.shape(in_rect(1, 2, 15, 6.5, 1.0), 'red', shade=False)
    for x in (4, 11):
        c.rect(x, 0, x + 1, 4, INK)
    for y in (8, 11):
        for x in (3, 6, 9, 12):
            c.rect(x, y, x + 2, y + 2, rgb8('#9fb1c7') if (x, y) != (9, 11) else rgb8('#d8333a'))


def i_mail(c):
    c.shape(in_rect(0.5, 3, 15.5, 13.5), 'paper')
    c.solid(union(in_line(1.5, 4, 8, 9, 0.55), in_line(8, 9, 14.5, 4, 0.55)), rgb8('#6b7a8c'))


def i_user(c):
    person(c, 8, 1.5, 'blue')


def i_users(c):
    person(c, 10.5, 0.5, 'green')
    person(c, 6, 2.5, 'blue')


def i_lock(c):
    c.shape(lambda x, y: 2.4 ** 2 <= (x - 8) ** 2 + (y - 6) ** 2 < 4.6 ** 2 and y < 8, 'steel',
            shade=False)
    c.shape(in_rect(3.5, 6, 12.5, 8), 'steel', shade=False)
    c.clear(in_rect(5.4, 6, 10.6, 7.6))
    c.shape(in_rect(2, 7, 14, 15.5, 1.0), 'gold')
    c.rect(7, 9, 9, 13, INK)


def i_key(c):
    c.shape(union(in_circle(5, 5.5, 4.6), in_line(7, 8, 14, 15, 1.3),
                  in_rect(10.5, 12, 12.5, 14.5), in_rect(12.5, 9.5, 14.5, 12)), 'gold')
    c.shape(in_circle(4.2, 4.7, 1.5), 'dark', outline=False)


def i_star(c):
    pts = []
    for k in range(10):
        ang = -math.pi / 2 + k * math.pi / 5
        r = 7.8 if k % 2 == 0 else 3.4
        pts.append((8 + r * math.cos(ang), 8.6 + r * math.sin(ang)))
    c.shape(in_poly(pts), 'yellow')


def i_flag(c):
    c.shape(in_rect(2, 1, 4, 16), 'dark', shade=False)
    c.shape(in_poly([(4, 2), (15, 2), (12, 5.5), (15, 9.5), (4, 9.5)]), 'red')


def i_bell(c):
    body = union(lambda x, y: (x - 8) ** 2 + (y - 6.5) ** 2 < 5.2 ** 2 and y < 7,
                 in_rect(2.8, 6.5, 13.2, 11.5), in_rect(1, 11, 15, 13.5, 0.8))
    c.shape(in_circle(8, 14, 1.8), 'dark')
    c.shape(body, 'gold')
    c.shape(in_rect(7, 0, 9, 2), 'gold', outline=False)


def i_tag(c):
    c.shape(in_poly([(1, 1), (9, 1), (15, 7), (8, 14.5), (1, 8)]), 'orange')
    c.shape(in_circle(4.5, 4.5, 1.7), 'dark', outline=False)
    c.dot(4, 4, WHITE8)


def i_monitor(c):
    c.shape(in_rect(0.5, 1, 15.5, 12, 1.0), 'dark')
    c.shape(in_rect(2, 2.5, 14, 10.5), 'blue', outline=False)
    c.shape(in_rect(6, 12, 10, 14), 'steel', outline=False)
    c.shape(in_rect(3, 13.5, 13, 15.5), 'steel')


def i_disk(c):
    c.shape(in_rect(0.5, 4, 15.5, 12.5, 1.5), 'steel')
    c.rect(2, 9, 9, 10, rgb8('#3c4756'))
    c.rect(2, 7, 9, 8, rgb8('#3c4756'))
    c.rect(12, 8, 14, 10, rgb8('#35d46a'))


def i_cpu(c):
    for i in range(4):
        p = 4 + 2 * i + (i // 2)
        for x0, y0, x1, y1 in ((p, 0.5, p + 1, 3), (p, 13, p + 1, 15.5),
                               (0.5, p, 3, p + 1), (13, p, 15.5, p + 1)):
            c.rect(int(x0), int(y0), int(math.ceil(x1)), int(math.ceil(y1)), rgb8('#8a97a8'))
    c.shape(in_rect(2.5, 2.5, 13.5, 13.5, 1.0), 'dark')
    c.shape(in_rect(5.5, 5.5, 10.5, 10.5), 'steel')


def i_memory(c):
    board = minus(in_rect(0.5, 3.5, 15.5, 12.5, 0.8), in_rect(6.6, 11, 8.4, 13))
    c.shape(board, 'green')
    for x in (2, 6, 10):
        c.rect(x, 5, x + 4 - (1 if x == 10 else 0), 9, rgb8('#263038'))
    for x in range(2, 14, 2):
        if not 6 <= x <= 8:
            c.rect(x, 10, x + 1, 12, rgb8('#f2c24a'))


def i_globe(c):
    c.shape(in_circle(8, 8, 7.6), 'blue')
    land = union(in_poly([(3, 3), (8, 2), (9, 5), (6, 7), (6.5, 10), (3.5, 9), (1.5, 6)]),
                 in_poly([(10, 7), (14.5, 7.5), (14, 11), (10.5, 14.5), (9.5, 11)]))
    c.solid(lambda x, y: land(x, y) and (x - 8) ** 2 + (y - 8) ** 2 < 6.6 ** 2,
            rgb8('#3cc46e'))


def i_link(c):
    c.shape(minus(in_rect(0.5, 4, 10, 12, 3.5), in_rect(3, 6.5, 7.5, 9.5, 1.4)), 'steel')
    c.shape(minus(in_rect(6, 4, 15.5, 12, 3.5), in_rect(8.5, 6.5, 13, 9.5, 1.4)), 'steel')
    c.shape(minus(in_rect(6, 4, 10, 7), in_rect(8.5, 6.5, 13, 9.5, 1.4)), 'steel', outline=False)


def i_plus(c):
    c.shape(union(in_rect(1.5, 6, 14.5, 10), in_rect(6, 1.5, 10, 14.5)), 'green')


def i_end_process(c):
    cross(c)


def i_minus(c):
    c.shape(in_rect(1.5, 6, 14.5, 10), 'red')


def i_trash(c):
    c.shape(in_poly([(3, 4.5), (13, 4.5), (12, 15.5), (4, 15.5)]), 'steel')
    for x in (6, 8, 10):
        c.rect(x, 7, x + 1, 14, rgb8('#56626f'))
    c.shape(minus(in_rect(6, 0.5, 10, 3), in_rect(7, 1.5, 9, 3)), 'dark', outline=False)
    c.shape(in_rect(1.5, 2.5, 14.5, 5), 'steel')


def i_pencil(c):
    c.shape(in_poly([(1, 15), (2, 11), (4.5, 13.5)]), (rgb8('#ffe2b8'), rgb8('#e8b880'),
                                                       rgb8('#8a5a2a')))
    c.shape(in_line(4, 12, 11.5, 4.5, 2.2), 'yellow')
    c.shape(in_line(12, 4, 13.5, 2.5, 2.2), (rgb8('#ffb0b8'), rgb8('#e6707e'), rgb8('#8e2a36')))
    c.dot(1, 14, INK)
    c.dot(2, 14, INK)
    c.dot(1, 13, INK)


def i_lightning(c):
    c.shape(in_poly([(10, 0.5), (3, 9), (7.5, 9), (5.5, 15.5), (13, 6), (8.5, 6), (11.5, 0.5)]),
            'yellow')


def i_power(c):
    ring = minus(in_ring(8, 8.8, 6.8, 4.2), in_rect(5.5, 0, 10.5, 8))
    c.shape(ring, 'green')
    c.shape(in_rect(6.5, 0.5, 9.5, 9), 'green')


def i_shield(c):
    c.shape(in_poly([(8, 0.5), (15, 3), (14, 9.5), (8, 15.5), (2, 9.5), (1, 3)]), 'blue')
    c.over(lambda x, y: 0.35 if x < 8 else 0.0, WHITE8)


def i_bulb(c):
    c.shape(in_rect(5, 10.5, 11, 15.5, 0.8), 'steel')
    c.rect(6, 12, 10, 13, rgb8('#56626f'))
    c.shape(union(in_circle(8, 6.2, 5.6), in_rect(5, 8, 11, 11.5)), 'yellow')
    c.dot(6, 4, WHITE8)


def i_apply(c):
    check(c)


def i_play(c):
    c.shape(in_poly([(3, 1), (14.5, 8), (3, 15)]), 'green')


def i_pause(c):
    c.shape(in_rect(3, 2, 7, 14), 'blue')
    c.shape(in_rect(9, 2, 13, 14), 'blue')


def i_stop(c):
    c.shape(in_rect(2.5, 2.5, 13.5, 13.5, 1.0), 'red')


def i_wrench(c):
    head = minus(in_circle(11.2, 4.8, 4.4), in_poly([(11, 4.6), (13.5, 0), (17, 3.5)]))
    c.shape(union(in_line(2.5, 13.5, 9.5, 6.5, 1.7), head), 'steel')


def i_settings(c):
    gear(c)


def i_zoom_in(c):
    magnifier(c)
    c.rect(4, 6, 9, 7, INK)
    c.rect(6, 4, 7, 9, INK)


def i_zoom_out(c):
    magnifier(c)
    c.rect(4, 6, 9, 7, INK)


def i_download(c):
    tray(c)
    arrow(c, 'down', 'green', box=(3, 0, 13, 12))


def i_upload(c):
    tray(c)
    arrow(c, 'up', 'blue', box=(3, 0, 13, 12))


def i_table(c):
    c.shape(in_rect(0.5, 1.5, 15.5, 14.5), 'paper', shade=False)
    c.rect(1, 2, 15, 5, rgb8('#4f86d9'))
    for y in (7, 10):
        c.rect(1, y, 15, y + 1, rgb8('#b3c0d1'))
    for x in (6, 10):
        c.rect(x, 5, x + 1, 14, rgb8('#b3c0d1'))


def i_filter(c):
    c.shape(in_poly([(0.5, 1.5), (15.5, 1.5), (9.5, 8.5), (9.5, 15), (6.5, 12.5), (6.5, 8.5)]),
            'blue')


# Position in the strip is the icon's number; the program uses 18, 23, 24,
# 45, 53 and 58.
TASK_ICONS = [
    i_document, i_text, i_new_document, i_folder, i_folder_open,                # 0-4
    i_save, i_print, i_copy, i_cut, i_paste,                                     # 5-9
    i_undo, i_redo, i_left, i_right, i_up,                                       # 10-14
    i_down, i_home, i_search, i_processes, i_info,                               # 15-19
    i_warning, i_help, i_stop_sign, i_window_spark, i_performance,               # 20-24
    i_bar_chart, i_pie, i_clock, i_calendar, i_mail,                             # 25-29
    i_user, i_users, i_lock, i_key, i_star,                                      # 30-34
    i_flag, i_bell, i_tag, i_monitor, i_disk,                                    # 35-39
    i_cpu, i_memory, i_globe, i_link, i_plus,                                    # 40-44
    i_end_process, i_minus, i_trash, i_pencil, i_lightning,                      # 45-49
    i_power, i_shield, i_bulb, i_apply, i_play,                                  # 50-54
    i_pause, i_stop, i_wrench, i_settings, i_zoom_in,                            # 55-59
    i_zoom_out, i_download, i_upload, i_table, i_filter,                         # 60-64
]
ICON_PROCESSES, ICON_REFRESH, ICON_PERFORMANCE = 18, 23, 24
ICON_END_PROCESS, ICON_APPLY, ICON_SETTINGS = 45, 53, 58


def render_task_icons():
    """The strip: rows top first of (r, g, b), magenta where transparent."""
    n = STRIP_CELL
    rows = [[] for _ in range(n)]
    for draw in TASK_ICONS:
        cell = Cell()
        draw(cell)
        for y in range(n):
            rows[y].extend(p if p is not None and p != MAGENTA else MAGENTA
                           for p in cell.px[y])
    return rows


# --- Optimize Memory button picture ------------------------------------------

def pulse_points(x0, x1, base, amp):
    """A heartbeat trace: flat, a small bump, the spike, a dip, flat."""
    w = float(x1 - x0)
    shape = [(0.0, 0.0), (0.22, 0.0), (0.30, -0.22), (0.37, 0.0), (0.45, 0.0), (0.52, 0.35),
             (0.60, -1.0), (0.67, 0.55), (0.73, 0.0), (0.82, -0.15), (0.88, 0.0), (1.0, 0.0)]
    return [(x0 + u * w, base + v * amp) for u, v in shape]


def render_optimize_button():
    """A small monitor showing a pulse trace, on magenta (transparent)."""
    width, height = BUTTON_SIZE
    c = Cell(width, height)
    c.shape(in_rect(13, 20.5, 28, 24), 'steel')
    c.shape(in_rect(17.5, 18, 23.5, 21), 'steel', outline=False)
    c.shape(in_rect(5, 0.5, 36, 19.5, 2.0), 'dark')
    screen = (rgb8('#0f3a5c'), rgb8('#0a2238'), rgb8('#0a2238'))
    c.shape(in_rect(7, 2.5, 34, 16.5), screen, outline=False)
    grid = rgb8('#174467')
    for x in range(10, 34, 5):
        c.rect(x, 3, x + 1, 16, grid)
    for y in (6, 10, 14):
        c.rect(7, y, 34, y + 1, grid)
    pts = pulse_points(7.5, 33.5, 10.5, 6.0)
    glow = [cov_line(a[0], a[1], b[0], b[1], 1.6) for a, b in zip(pts, pts[1:])]
    line = [cov_line(a[0], a[1], b[0], b[1], 0.6) for a, b in zip(pts, pts[1:])]
    c.over(lambda x, y: 0.35 * max(f(x, y) for f in glow), rgb8('#2bd19b'))
    c.over(lambda x, y: max(f(x, y) for f in line), rgb8('#9dffd2'))
    c.dot(32, 17, rgb8('#35d46a'))
    return [[p if p is not None else MAGENTA for p in row] for row in c.px]


# --- output -----------------------------------------------------------------

def render_all():
    """{file name: (width, height, rows top first of (r, g, b))}."""
    out = {}
    for name, draw in (('banner_left.bmp', render_banner_left),
                       ('banner_middle.bmp', render_banner_middle),
                       ('banner_right.bmp', render_banner_right)):
        img = draw()
        out[name] = (img.width, img.height, img.rows())
    out['task_icons.bmp'] = (STRIP_CELL * STRIP_COUNT, STRIP_CELL, render_task_icons())
    out['optimize_button.bmp'] = BUTTON_SIZE + (render_optimize_button(),)
    return out


def preview_png(images, width=1100):
    """Contact sheet: the banner put together as the window shows it at two
    widths, then the icon strip and the button enlarged on a light and a dark
    panel with magenta left out."""
    gap = 12
    zoom = 4
    left, middle, right = (images[n] for n in ('banner_left.bmp', 'banner_middle.bmp',
                                               'banner_right.bmp'))
    strip = images['task_icons.bmp']
    button = images['optimize_button.bmp']
    per_row = 22
    cell = STRIP_CELL * zoom + 6
    strip_rows = (STRIP_COUNT + per_row - 1) // per_row
    panel_h = strip_rows * cell + gap + button[1] * zoom + gap
    sheet_w = max(width, per_row * cell) + 2 * gap
    sheet_h = gap + 2 * (BANNER_HEIGHT + 1 + gap) + 2 * (panel_h + gap)
    img = bytearray(b'\xff\xff\xff\xff' * sheet_w * sheet_h)

    def put(x, y, c):
        i = (y * sheet_w + x) * 4
        img[i:i + 3] = bytes(c)

    y = gap
    for band in (width, LEFT_WIDTH + RIGHT_WIDTH + 60):
        mid = band - LEFT_WIDTH - RIGHT_WIDTH
        for yy in range(BANNER_HEIGHT):
            row = (left[2][yy] + [middle[2][yy][x * MIDDLE_WIDTH // mid] for x in range(mid)]
                   + right[2][yy])
            for xx, c in enumerate(row):
                put(gap + xx, y + yy, c)
        y += BANNER_HEIGHT + 1 + gap
    for bg in ((243, 243, 243), (32, 34, 40)):
        for yy in range(y, y + panel_h):
            for xx in range(sheet_w):
                put(xx, yy, bg)
        for k in range(STRIP_COUNT):
            ox = gap + (k % per_row) * cell
            oy = y + (k // per_row) * cell
            for yy in range(STRIP_CELL * zoom):
                for xx in range(STRIP_CELL * zoom):
                    c = strip[2][yy // zoom][k * STRIP_CELL + xx // zoom]
                    if c != MAGENTA:
                        put(ox + xx, oy + yy, c)
        oy = y + strip_rows * cell + gap
        for yy in range(button[1] * zoom):
            for xx in range(button[0] * zoom):
                c = button[2][yy // zoom][xx // zoom]
                if c != MAGENTA:
                    put(gap + xx, oy + yy, c)
        for yy in range(button[1]):
            for xx in range(button[0]):
                c = button[2][yy][xx]
                if c != MAGENTA:
                    put(gap * 2 + button[0] * zoom + xx, oy + yy, c)
        y += panel_h + gap
    return draw_icons.png_bytes(sheet_w, sheet_h, bytes(img))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('outdir')
    ap.add_argument('--preview', metavar='PNG',
                    help='also write a contact sheet of the banner, strip and button')
    args = ap.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    images = render_all()
    for name, (width, height, rows) in images.items():
        with open(os.path.join(args.outdir, name), 'wb') as f:
            f.write(draw_icons.bmp_bytes(width, height, rows))
    if args.preview:
        with open(args.preview, 'wb') as f:
            f.write(preview_png(images))


if __name__ == '__main__':
    main()
