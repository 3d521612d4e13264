#!/usr/bin/python3
"""Draws the program's icons and bitmaps with Pillow and the DejaVu fonts
(Debian's python3-pil and fonts-dejavu-core) into res/art/out, where the
resource files take them from.

    draw_art.py [OUTDIR]

The drawn files are committed, so a build needs no Python; test_draw_art.py
checks that they are what this script draws.  Box edges sit on whole
pixels so the small icon sizes stay crisp; everything else is anti-aliased.
"""
import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFont

import art_kit
from art_kit import CLEAR, MAGENTA, Canvas, bmp, drawn_at, ico, keyed, mix, px, rgb, smoothstep

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'out')
FONTS = '/usr/share/fonts/truetype/dejavu/'
BANNER_HEIGHT = 69
LEFT_WIDTH, MIDDLE_WIDTH, RIGHT_WIDTH = 432, 111, 381
STRIP_COUNT = 65
PRODUCT_NAME = ('Quenvale', 'Memory Optimizer')
TAG_LINE = 'Free memory. Keep Windows responsive.'
NAME_X, NAME_BASELINE, TAG_BASELINE = 76, 37, 56


BOARD, BOARD_DARK, BOARD_EDGE = rgb('#1fa37c'), rgb('#137457'), rgb('#0a3d2f')
BOARD_LIGHT, TRACE = rgb('#7fe6c2'), rgb('#48c79c')
CHIP, CHIP_TOP, CHIP_LEG, CHIP_DOT = rgb('#1a1d21'), rgb('#3b4148'), rgb('#9aa4ad'), rgb('#5a626b')
GOLD, GOLD_DARK = rgb('#ffd35a'), rgb('#c28a1e')
ARROW_EDGE, ARROW_TOP, ARROW_BOTTOM, GLOW = rgb('#06281f'), rgb('#ffffff'), rgb('#9dffd2'), rgb('#7dffd0')
SKY_TOP, SKY_BOTTOM, NAVY = rgb('#2b78ea'), rgb('#0c3b96'), rgb('#071f5c')
SKY_GLOW, MINT, WHITE = rgb('#74b4ff'), rgb('#4fe3b0'), rgb('#ffffff')
DARK_FACE = rgb('#272727')  # the dark theme's page


# --- the RAM module of the program and tray icons --------------------------------

def module(c, s, top, chips, lit=None):
    """A memory module as wide as the s-pixel icon, its board from grid row
    `top` (of 16) down to row 15; `lit` is the tray animation's lit chip."""
    big, u = s >= 48, s / 16.0
    e = max(1, round(s / 40))
    x0, x1, y0, y1 = 0, s, round(top * u), round(15 * u)
    radius = max(1, s / 40.0)
    if s >= 128:
        shadow = Canvas(s, s)
        shadow.box(x0 + s * 0.02, y0 + s * 0.04, x1 - s * 0.02, y1 + s * 0.01, (0, 0, 0, 90), radius * 2)
        c.under(shadow, s * 0.03)
    c.box(x0, y0, x1, y1, BOARD_EDGE, radius)
    c.box(x0 + e, y0 + e, x1 - e, y1 - e, (BOARD, BOARD_DARK), max(0, radius - e))
    if big:
        c.box(x0 + e, y0 + e, x1 - e, y0 + e + s / 96.0, BOARD_LIGHT)
    # Gold fingers along the bottom, the key notch in place of one a little left of the middle.
    pin_top = y1 - max(2, round((y1 - y0) * 0.26))
    pitch = max(2, round(s / 16))
    pin_w = pitch - max(1, pitch // 3)
    lo, hi = x0 + e + big, x1 - e - big
    count = (hi - lo - pin_w) // pitch + 1
    lo += (hi - lo - (count - 1) * pitch - pin_w) // 2
    key = int(count * 0.4 + 0.5)
    notch_w = max(1, round(s / 16))
    notch_x, notch_top = lo + key * pitch + (pin_w - notch_w) // 2, y1 - max(1, (y1 - pin_top) // 2)
    c.box(notch_x - e, notch_top - e, notch_x + notch_w + e, y1, BOARD_EDGE)
    for i in range(count):
        if i != key:
            x = lo + i * pitch
            c.box(x, pin_top, x + pin_w, y1 - (0 if s <= 24 else e), (GOLD, GOLD_DARK), pin_w * 0.3 if big else 0)
    c.box(notch_x, notch_top, notch_x + notch_w, y1, CLEAR)
    # The chips, in whole pixels so that every chip looks the same at small sizes.
    chip_top = y0 + e + max(1, round((y1 - y0) * 0.10))
    chip_bot = pin_top - max(1, round((y1 - y0) * 0.12))
    margin, gap = e + round(s / 32), max(1, round(s / 20))
    left, right = x0 + margin, x1 - margin
    width = (right - left - gap * (chips - 1)) // chips
    left += (right - left - width * chips - gap * (chips - 1)) // 2
    corner = s / 128.0 if big else 0
    for i in range(chips):
        cx0 = left + i * (width + gap)
        cx1 = cx0 + width
        if big:  # leads showing above and below the package
            lead, step = max(1, s // 64), max(3, s // 24)
            for lx in range(cx0 + step // 2, cx1 - 1, step):
                c.box(lx, chip_top - lead, lx + max(1, step // 2), chip_bot + lead, CHIP_LEG)
        paint = (CHIP_TOP, CHIP)
        if lit is not None and i == lit:
            paint = (rgb('#e6fff5'), GLOW)
        elif lit is not None and i == (lit - 1) % 4:  # a dimmer chip trails the light
            paint = (mix(CHIP_TOP, GLOW, 0.55), mix(CHIP, GLOW, 0.45))
        c.box(cx0, chip_top, cx1, chip_bot, paint, corner)
        if s >= 128:
            dot = s / 40.0
            c.box(cx0 + dot, chip_top + dot, cx0 + 2 * dot, chip_top + 2 * dot, CHIP_DOT, dot / 2)
        if s >= 32:  # traces from the chip down to the fingers
            mid = (cx0 + cx1) // 2
            for off in ((-1, 1) if big else (0,)):
                tx = mid + off * round((cx1 - cx0) / 4.0)
                c.box(tx, chip_bot, tx + max(1, s // 64), pin_top, TRACE)


def arrow(c, s, tip_x, tip_y, head_w, head_h, shaft_w, bottom):
    """The upward arrow of memory given back, in grid units of 16."""
    u = s / 16.0
    edge = max(1.0, s / 24.0 if s < 48 else s / 36.0)
    dy = max(0.0, edge - tip_y * u)  # the tip's outline stays inside the icon
    pts = [(tip_x, tip_y), (tip_x + head_w / 2, tip_y + head_h), (tip_x + shaft_w / 2, tip_y + head_h),
           (tip_x + shaft_w / 2, bottom), (tip_x - shaft_w / 2, bottom), (tip_x - shaft_w / 2, tip_y + head_h),
           (tip_x - head_w / 2, tip_y + head_h)]
    pts = [(x * u, y * u + dy) for x, y in pts]
    if s >= 128:
        glow = Canvas(s, s)
        glow.poly(pts, GLOW[:3] + (80,), GLOW[:3] + (80,), edge * 2)
        c.under(glow, s / 24.0)
    c.poly(pts, (ARROW_TOP, ARROW_BOTTOM), ARROW_EDGE, edge)


def sparkle(c, cx, cy, r, edge):
    waist = r * 0.3
    pts = []
    for i in range(8):
        a = math.pi / 4 * i
        d = r if i % 2 == 0 else waist
        pts.append((cx + d * math.sin(a), cy - d * math.cos(a)))
    c.poly(pts, rgb('#fff3b0'), ARROW_EDGE, edge)


def app_icon(s):
    c = Canvas(s, s)
    if s < 48:
        module(c, s, 4, 3)
        arrow(c, s, 12.6, 0.6, 6.0, 4.6, 2.6, 10.0)
        return c.result()
    module(c, s, 5.5, 4)
    arrow(c, s, 12.6, 0.3, 5.4, 3.9, 2.1, 8.0)
    if s >= 128:
        for cx, cy, r in ((8.6, 2.5, 1.3), (6.5, 4.1, 0.7)):
            sparkle(c, cx * s / 16, cy * s / 16, r * s / 16, s / 64)
    return c.result()


def tray_icon(s, frame=None):
    c = Canvas(s, s)
    module(c, s, 3, 3 if s < 24 else 4, lit=frame)
    if frame is None:
        arrow(c, s, 12.5, 0.5, 6.4, 4.4, 2.6, 9.0)
    return c.result()


# --- the popup's close button: three 13-pixel cells, black shows through ------------

CLOSE_LOOKS = {  # fill top, fill bottom, rim, cross, pressed-in shade
    'normal': ('#fbfbfb', '#dcdcdc', '#6e6e6e', '#3c3c3c', None),
    'hot': ('#ffffff', '#f3f3f3', '#4d4d4d', '#d21f1f', None),
    'pressed': ('#c4c4c4', '#e2e2e2', '#474747', '#1e1e1e', '#9a9a9a'),
}


def close_cell(top, bottom, rim, cross, shade):
    """Hard edges (a blend into black would fringe on the popup).  The popup
    shows the left ten columns, the tenth on its border, so the box keeps to
    columns 0-8."""
    cell = Image.new('RGB', (13, 13))
    mask = Image.new('L', (9, 9))
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, 8, 8], 2, fill=255)
    fill = Image.new('RGB', (1, 9))
    fill.putdata([mix(rgb(top), rgb(bottom), y / 8.0)[:3] for y in range(9)])
    cell.paste(fill.resize((9, 9)), (0, 2), mask)
    draw = ImageDraw.Draw(cell)
    draw.rounded_rectangle([0, 2, 8, 10], 2, outline=rgb(rim)[:3])
    if shade:
        draw.line([(1, 9), (1, 3), (7, 3)], fill=rgb(shade)[:3])
    for a, b in (((2, 4), (6, 8)), ((2, 8), (6, 4))):
        draw.line([a, b], fill=rgb(cross)[:3])
    return cell


def close_strip():
    strip = Image.new('RGB', (39, 13))
    for i, look in enumerate(CLOSE_LOOKS.values()):
        strip.paste(close_cell(*look), (13 * i, 0))
    return strip


# --- the task icons and the Optimize Memory button picture, keyed on magenta ------

def outlined(c, points, colour, dark, width):
    c.stroke(points, dark, width + 2)
    c.stroke(points, colour, width)


def icon_processes(c):  # a window with a list
    c.box(1, 2, 15, 14, rgb('#1b4a94'), 1.5)
    c.box(2, 3, 14, 6, (rgb('#6aa8f0'), rgb('#2e6fd0')), 0.5)
    c.box(2, 6, 14, 13, rgb('#ffffff'))
    for y, colour in ((7, '#25a455'), (9, '#f2b632'), (11, '#d8333a')):
        c.box(3, y, 5, y + 1.5, rgb(colour))
        c.box(6, y + 0.25, 13, y + 1.25, rgb('#a4afbc'))


def icon_refresh(c):  # a circular arrow
    arc = [(8 + 5 * math.cos(math.radians(a)), 8.5 + 5 * math.sin(math.radians(a))) for a in range(-20, 241, 10)]
    end = math.radians(245)
    ex, ey = 8 + 5 * math.cos(end), 8.5 + 5 * math.sin(end)
    (nx, ny), (tx, ty) = (math.cos(end), math.sin(end)), (-math.sin(end), math.cos(end))
    head = [(ex + 3.2 * nx, ey + 3.2 * ny), (ex + 3.6 * tx, ey + 3.6 * ty), (ex - 3.2 * nx, ey - 3.2 * ny)]
    outlined(c, arc, rgb('#2e6fd0'), rgb('#1b4a94'), 2)
    c.poly(head, rgb('#2e6fd0'), rgb('#1b4a94'), 1)


def icon_performance(c):  # a dial with its green, yellow and red zones
    c.ellipse(0.5, 3.5, 15.5, 18.5, rgb('#343d4a'), 180, 360)
    c.box(0.5, 10, 15.5, 13.5, rgb('#343d4a'), 1)
    for start, end, colour in ((180, 235, '#25a455'), (235, 290, '#f2b632'), (290, 360, '#d8333a')):
        c.ellipse(1.5, 4.5, 14.5, 17.5, rgb(colour), start, end)
    c.ellipse(4, 7, 12, 15, (rgb('#ffffff'), rgb('#dfe4ea')), 180, 360)
    c.box(1.5, 11, 14.5, 12.5, rgb('#dfe4ea'))
    c.stroke([(8, 11), (11.6, 6.2)], rgb('#1c222b'), 1.3)
    c.ellipse(6.5, 9.5, 9.5, 12.5, rgb('#1c222b'))


def icon_end_process(c):  # a red cross, both rims first so neither bar cuts the other
    bars = (((4, 4), (12, 12)), ((4, 12), (12, 4)))
    for bar in bars:
        c.stroke(bar, rgb('#8e1a1f'), 4.6)
    for bar in bars:
        c.stroke(bar, rgb('#d8333a'), 2.6)


def icon_apply(c):  # a green tick
    outlined(c, [(3.2, 8.6), (6.6, 12), (13, 4.4)], rgb('#25a455'), rgb('#15703a'), 2.6)


def icon_settings(c):  # a grey gear with a hole through it
    pts = []
    for i in range(48):
        a = math.tau * i / 48
        r = 7.2 if (i + 1) % 6 < 3 else 5.4
        pts.append((8 + r * math.cos(a), 8 + r * math.sin(a)))
    c.poly(pts, (rgb('#b8c4d2'), rgb('#74849a')), rgb('#3c4756'), 0.8)
    c.ellipse(4.6, 4.6, 11.4, 11.4, rgb('#3c4756'), ring=0.9)
    c.ellipse(5.6, 5.6, 10.4, 10.4, rgb('#3c4756'))
    c.ellipse(6.2, 6.2, 9.8, 9.8, CLEAR)


# The cells the view's navigation panel, title panel, tabs and page buttons show.
STRIP_ICONS = {18: icon_processes, 23: icon_refresh, 24: icon_performance,
               45: icon_end_process, 53: icon_apply, 58: icon_settings}


def task_strip():
    """The 65 cells the panels, tabs and buttons index; only the cells the
    program shows carry a picture."""
    cell = px(16)
    strip = Image.new('RGB', (cell * STRIP_COUNT, cell), MAGENTA)
    for index, draw in STRIP_ICONS.items():
        c = Canvas(16, 16)
        draw(c)
        strip.paste(keyed(c.result()), (cell * index, 0))
    return strip


def optimize_button():
    """A monitor with a pulse trace."""
    c = Canvas(41, 25)
    c.box(13, 21, 28, 24, (rgb('#b8c4d2'), rgb('#74849a')), 1)
    c.box(18, 18, 23, 22, rgb('#74849a'))
    c.box(2, 0, 39, 19, rgb('#1c222b'), 2)
    c.box(3, 1, 38, 18, (rgb('#5b6676'), rgb('#343d4a')), 1.5)
    c.box(5, 3, 36, 16, (rgb('#183a5e'), rgb('#0b1d33')))
    for x in range(9, 36, 6):
        c.box(x, 3, x + 0.5, 16, rgb('#234a72'))
    for y in (6.5, 9.5, 12.5):
        c.box(5, y, 36, y + 0.5, rgb('#234a72'))
    pulse = [(5.5, 10), (13, 10), (15, 8), (17, 11), (19.5, 4), (22, 14.5), (24, 9), (26, 10), (35.5, 10)]
    c.stroke(pulse, rgb('#2f9e6e'), 2.2)
    c.stroke(pulse, rgb('#8dffc8'), 1.0)
    c.box(34, 16.5, 35.5, 17.5, rgb('#3be37a'))
    return keyed(c.result())


# --- the banner: left segment (also the About box header), stretched middle, right end

def sky(y):
    t = y / BANNER_HEIGHT
    return mix(SKY_TOP, SKY_BOTTOM, t * t * 0.35 + t * 0.65)


def left_backdrop(x, y):
    c = mix(sky(y), NAVY, (1.0 - x / LEFT_WIDTH) ** 2 * 0.55)  # deeper towards the left end
    d = math.hypot((x - 36) / 1.6, y - 34)
    return mix(c, SKY_GLOW, 0.30 * math.exp(-(d / 30.0) ** 2))  # light behind the emblem


def right_backdrop(x, y, face=WHITE):
    # The blue gives way to the page's face along a curved front, so the logo
    # stands on the page: white, or the dark theme's grey.
    front = 150 + 28 * math.sin(y / BANNER_HEIGHT * math.pi * 0.9) - y * 0.35
    c = mix(sky(y), face, smoothstep(front - 70, front + 90, x))
    band = math.exp(-((x - front - 10) / 26.0) ** 2)
    return mix(c, rgb('#e9f2ff'), 0.25 * band * (1 - smoothstep(front - 70, front + 90, x)))


def shade(width, colour_at):
    w, h, z = px(width), px(BANNER_HEIGHT), art_kit.ZOOM
    image = Image.new('RGB', (w, h))
    image.putdata([colour_at((x + 0.5) / z, (y + 0.5) / z)[:3] for y in range(h) for x in range(w)])
    return image.convert('RGBA')


def emblem(cx, cy):
    """A memory chip with an upward arrow, its traces running off to the
    right behind the name and fading out."""
    traces = Canvas(LEFT_WIDTH, BANNER_HEIGHT)
    for dy, lane, run in ((-9, 6, 330), (-3, 11, 178), (3, 61, 160), (9, 65, 350)):
        y0, x0 = cy + dy, cx + 18
        kink = x0 + 3 + abs(dy) // 2
        traces.stroke([(x0, y0), (kink, y0), (kink + abs(lane - y0), lane), (run, lane)], WHITE, 1.0)
        traces.ellipse(run - 2, lane - 2, run + 2, lane + 2, WHITE, ring=1)
    picture = traces.result()
    fade = Image.new('L', (LEFT_WIDTH, 1))
    fade.putdata([round(255 * 0.30 * (1 - smoothstep(cx + 40, LEFT_WIDTH - 30, x + 0.5))) for x in range(LEFT_WIDTH)])
    picture.putalpha(ImageChops.multiply(picture.getchannel('A'), fade.resize(picture.size)))
    chip = Canvas(LEFT_WIDTH, BANNER_HEIGHT)
    half = 15
    for i in range(4):
        off = -9 + i * 6
        for x0, y0, x1, y1 in ((cx + off - 1, cy - half - 4, cx + off + 1, cy - half),
                               (cx + off - 1, cy + half, cx + off + 1, cy + half + 4),
                               (cx - half - 4, cy + off - 1, cx - half, cy + off + 1),
                               (cx + half, cy + off - 1, cx + half + 4, cy + off + 1)):
            chip.box(x0, y0, x1, y1, rgb('#d6e6ff'), 0.5)
    shadow = Canvas(LEFT_WIDTH, BANNER_HEIGHT)
    shadow.box(cx - half - 1, cy - half, cx + half + 1, cy + half + 2, NAVY[:3] + (110,), 5)
    chip.under(shadow, 1.5)
    chip.box(cx - half, cy - half, cx + half, cy + half, (WHITE, rgb('#cfe0fa')), 4.5)
    chip.box(cx - half + 3, cy - half + 3, cx + half - 3, cy + half - 3, (rgb('#1d5fd0'), rgb('#0d3a94')), 2.5)
    top = cy - 9
    chip.poly([(cx, top), (cx + 7, top + 7), (cx + 2.5, top + 7), (cx + 2.5, cy + 9), (cx - 2.5, cy + 9),
               (cx - 2.5, top + 7), (cx - 7, top + 7)], (rgb('#b9ffe4'), MINT))
    return Image.alpha_composite(picture, chip.result())


def banner_fonts():
    return (ImageFont.truetype(FONTS + 'DejaVuSans-Bold.ttf', px(23)),
            ImageFont.truetype(FONTS + 'DejaVuSans.ttf', px(23)), ImageFont.truetype(FONTS + 'DejaVuSans.ttf', px(11)))


def banner_text():
    """The product name (its first word bold) and the tag line:
    [(x, baseline, text, font, colour)]."""
    bold, light, small = banner_fonts()
    second_x = px(NAME_X) + bold.getlength(PRODUCT_NAME[0] + ' ')
    return [(px(NAME_X), px(NAME_BASELINE), PRODUCT_NAME[0], bold, WHITE),
            (second_x, px(NAME_BASELINE), PRODUCT_NAME[1], light, rgb('#dbe9ff')),
            (px(NAME_X + 1), px(TAG_BASELINE), TAG_LINE, small, rgb('#b8d3ff'))]


def banner_left():
    image = Image.alpha_composite(shade(LEFT_WIDTH, left_backdrop), emblem(36, 34))
    shadow = Image.new('RGBA', image.size, CLEAR)
    for x, base, text, font, _ in banner_text()[:2]:  # lifts the name off the blue
        ImageDraw.Draw(shadow).text((x, base + px(1)), text, NAVY[:3] + (90,), font, anchor='ls')
    image = Image.alpha_composite(image, shadow)
    draw = ImageDraw.Draw(image)
    for x, base, text, font, colour in banner_text():
        draw.text((x, base), text, colour, font, anchor='ls')
    return image.convert('RGB')


def banner_right(face=WHITE):
    image = shade(RIGHT_WIDTH, lambda x, y: right_backdrop(x, y, face))
    size = 56
    left, top = RIGHT_WIDTH - size - 14, (BANNER_HEIGHT - size) // 2
    shadow = Canvas(RIGHT_WIDTH, BANNER_HEIGHT)
    cx, cy = left + size / 2.0, top + size - 2.5
    shadow.ellipse(cx - 24, cy - 2.5, cx + 24, cy + 2.5, rgb('#5a6b80', 80))
    logo = Canvas(RIGHT_WIDTH, BANNER_HEIGHT)
    logo.under(shadow, 2.0)
    image = Image.alpha_composite(image, logo.result())
    shown, at = px(size), (px(left), px(top))
    with drawn_at(1):  # the icon is drawn at the size it is shown
        icon = app_icon(shown)
    image.alpha_composite(icon, at)
    return image.convert('RGB')


# The pictures drawn again for 150 and 200 % display scale, named with the scale.
ZOOMED = {'_150': 1.5, '_200': 2}


def bitmaps():
    """{name: image} of the banner pieces, the task icons and the button picture."""
    banner = [banner_left(), shade(MIDDLE_WIDTH, lambda x, y: sky(y)).convert('RGB'), banner_right()]
    return dict(zip(('banner_left', 'banner_middle', 'banner_right', 'task_icons', 'optimize_button',
                     'banner_right_dark'),
                    banner + [task_strip(), optimize_button(), banner_right(DARK_FACE)]))


def artwork():
    """{file name: bytes} of everything the resource files name."""
    files = {'app.ico': ico([app_icon(s) for s in (16, 24, 32, 48, 64, 256)]),
             'tray.ico': ico([tray_icon(s) for s in (16, 20, 24, 32)])}
    for frame in range(4):
        files['tray_anim_%d.ico' % (frame + 1)] = ico([tray_icon(s, frame) for s in (16, 20, 24, 32)])
    for name, image in bitmaps().items():
        files[name + '.bmp'] = bmp(image)
    for suffix, zoom in ZOOMED.items():
        with drawn_at(zoom):
            for name, image in bitmaps().items():
                files[name + suffix + '.bmp'] = bmp(image)
    files['popup_close.bmp'] = bmp(close_strip())
    return files


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else OUT
    os.makedirs(out, exist_ok=True)
    for name, data in artwork().items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
