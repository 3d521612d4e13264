#!/usr/bin/python3
"""Checks that the committed artwork is what draw_art.py draws, and that it
fits where the program shows it: icons rc and LoadImage take, a banner whose
pieces join without a seam, strips keyed on a colour no edge mixes with."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import draw_art  # noqa: E402

# The window's small and large icons at 100, 150 and 200 %, and the shell's largest.
ICON_SIZES = {'app.ico': [16, 24, 32, 48, 64, 256]}
for _name in ('tray.ico',) + tuple('tray_anim_%d.ico' % i for i in range(1, 5)):
    ICON_SIZES[_name] = [16, 20, 24, 32]
BITMAP_SIZES = {
    'banner_left.bmp': (432, 69),
    'banner_middle.bmp': (111, 69),
    'banner_right.bmp': (381, 69),
    'banner_right_dark.bmp': (381, 69),
    'task_icons.bmp': (1040, 16),
    'optimize_button.bmp': (41, 25),
    'popup_close.bmp': (39, 13),
}
MAGENTA = (255, 0, 255)
USED_ICONS = {18: 'processes', 23: 'refresh', 24: 'performance', 45: 'end process',
              53: 'apply', 58: 'settings'}
FILES = {}


def setUpModule():
    for name in os.listdir(draw_art.OUT):
        with open(os.path.join(draw_art.OUT, name), 'rb') as f:
            FILES[name] = f.read()


def parse_ico(data):
    """Returns {size: image bytes}, asserting the container is well formed."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    assert (reserved, kind) == (0, 1), 'not an icon file'
    images, spans = {}, []
    for i in range(count):
        w, h, colors, _, planes, bpp, length, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        assert w == h and colors == 0 and planes == 1 and bpp == 32
        assert offset >= 6 + 16 * count and offset + length <= len(data), 'entry outside file'
        spans.append((offset, offset + length))
        images[w or 256] = data[offset:offset + length]
    spans.sort()
    for (_, a_end), (b_start, _) in zip(spans, spans[1:]):
        assert a_end <= b_start, 'images overlap'
    return images


def parse_bmp(data):
    """Returns (width, height, rows top first of (r, g, b)) of a 24-bit BMP."""
    magic, size, _, _, offset = struct.unpack_from('<2sIHHI', data, 0)
    assert magic == b'BM' and size == len(data)
    hdr, w, h, planes, bpp, compression = struct.unpack_from('<IiiHHI', data, 14)
    assert (hdr, planes, bpp, compression) == (40, 1, 24, 0)
    assert h > 0, 'rows must be stored bottom-up'
    stride = (w * 3 + 3) // 4 * 4
    assert offset + stride * h == len(data)
    rows = []
    for y in range(h - 1, -1, -1):
        line = data[offset + y * stride:offset + y * stride + w * 3]
        rows.append([(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]) for x in range(w)])
    return w, h, rows


def rows_of(name):
    return parse_bmp(FILES[name])[2]


def column(rows, x):
    return [row[x] for row in rows]


def cell(rows, n, width=16):
    return [row[n * width:(n + 1) * width] for row in rows]


def ink(pixels, key=MAGENTA):
    return [p for row in pixels for p in row if p != key]


def far_from_magenta(p):
    return sum((a - b) ** 2 for a, b in zip(p, MAGENTA)) ** 0.5 > 150


class Committed(unittest.TestCase):
    def test_the_committed_files_are_what_the_script_draws(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, 'new', 'dir')
            subprocess.run([sys.executable, os.path.join(HERE, 'draw_art.py'), out], check=True)
            drawn = {}
            for name in os.listdir(out):
                with open(os.path.join(out, name), 'rb') as f:
                    drawn[name] = f.read()
        self.assertEqual(sorted(drawn), sorted(FILES))
        for name in drawn:
            self.assertTrue(drawn[name] == FILES[name], '%s differs: run res/art/draw_art.py' % name)
        # A second drawing gives the same bytes, or the comparison above means nothing elsewhere.
        self.assertTrue(draw_art.artwork() == drawn, 'two drawings differ')

    def test_every_bitmap_is_24_bit_at_its_size(self):
        # parse_bmp checks the headers: 24 bits, uncompressed, bottom-up rows, padded stride, file size.
        for name, size in BITMAP_SIZES.items():
            width, height, rows = parse_bmp(FILES[name])
            self.assertEqual((width, height), size, name)
            self.assertEqual(len(rows), height)


class Icons(unittest.TestCase):
    def test_each_icon_has_intended_sizes_and_valid_images(self):
        for name, sizes in ICON_SIZES.items():
            images = parse_ico(FILES[name])
            self.assertEqual(sorted(images), sizes, name)
            for size, blob in images.items():
                with self.subTest(icon=name, size=size):
                    if size == 256:
                        self.assertEqual(blob[:8], b'\x89PNG\r\n\x1a\n')
                        self.assertEqual(struct.unpack_from('>II', blob, 16), (256, 256))
                        continue
                    self.check_dib(blob, size)

    def check_dib(self, blob, size):
        hdr, w, h, planes, bpp, compression = struct.unpack_from('<IiiHHI', blob, 0)
        self.assertEqual((hdr, w, h, planes, bpp, compression), (40, size, 2 * size, 1, 32, 0))
        stride = (size + 31) // 32 * 4
        self.assertEqual(len(blob), 40 + size * size * 4 + stride * size)
        pixels = blob[40:40 + size * size * 4]
        mask = blob[40 + size * size * 4:]
        alphas = pixels[3::4]
        self.assertTrue(any(a == 255 for a in alphas), 'image is blank')
        self.assertTrue(any(a == 0 for a in alphas), 'no transparent pixels')
        # Rows are stored bottom-up; every icon's board sits in its lower
        # half, so a flipped image shows up as a mostly empty bottom.
        half = size * size * 4 // 2
        opaque = [sum(a > 128 for a in pixels[3 + k:3 + k + half:4]) for k in (0, half)]
        self.assertGreater(opaque[0], opaque[1], 'image upside down')
        # The mask must be transparent exactly where alpha is zero, in the
        # same bottom-up row order, or old code paths show garbage.
        for i, a in enumerate(alphas):
            y, x = divmod(i, size)
            bit = mask[y * stride + x // 8] >> (7 - x % 8) & 1
            self.assertEqual(bit, 1 if a == 0 else 0, (x, y))

    def test_animation_frames_differ_at_16px(self):
        frames = [parse_ico(FILES['tray_anim_%d.ico' % i])[16] for i in range(1, 5)]
        for i in range(4):
            for j in range(i + 1, 4):
                self.assertNotEqual(frames[i], frames[j], (i + 1, j + 1))
        # Same silhouette: only colours move, never the outline.
        masks = {f[40 + 16 * 16 * 4:] for f in frames}
        self.assertEqual(len(masks), 1)


class CloseButtonStrip(unittest.TestCase):
    """Black is the transparent colour where the popup draws the strip."""

    @classmethod
    def setUpClass(cls):
        rows = rows_of('popup_close.bmp')
        cls.cells = [cell(rows, c, 13) for c in range(3)]

    def test_cells_share_one_silhouette_and_differ_inside(self):
        shapes = [[[px != (0, 0, 0) for px in row] for row in c] for c in self.cells]
        self.assertEqual(shapes[0], shapes[1])
        self.assertEqual(shapes[0], shapes[2])
        self.assertTrue(any(any(row) for row in shapes[0]), 'cell is blank')
        for i in range(3):
            for j in range(i + 1, 3):
                self.assertNotEqual(self.cells[i], self.cells[j], (i, j))

    def test_silhouette_fits_where_the_popup_shows_it(self):
        # The popup shows only the left ten columns; the tenth lies on its
        # border, so the button stays in the nine before it.
        for y, row in enumerate(self.cells[0]):
            for x, px in enumerate(row):
                if x >= 9:
                    self.assertEqual(px, (0, 0, 0), (x, y))
        top = min(y for y, row in enumerate(self.cells[0]) if any(px != (0, 0, 0) for px in row))
        self.assertEqual(self.cells[0][top][0], (0, 0, 0), 'corner should be rounded off')
        self.assertNotEqual(self.cells[0][top][1], (0, 0, 0))

    def test_the_glyph_is_darker_than_its_box_in_every_cell(self):
        for c in self.cells:
            self.assertLess(sum(c[6][4]), sum(c[3][1]))


class Banner(unittest.TestCase):
    # The window draws left at 0, right flush with its right edge, and the
    # middle stretched in between: any seam would show on every paint.
    def test_middle_is_one_column_repeated(self):
        for row in rows_of('banner_middle.bmp'):
            self.assertEqual(len(set(row)), 1)

    def test_middle_joins_both_ends_without_a_seam(self):
        left, middle, right = (rows_of('banner_%s.bmp' % n) for n in ('left', 'middle', 'right'))

        def gap(a, b):
            return max(abs(p - q) for pa, pb in zip(a, b) for p, q in zip(pa, pb))
        self.assertLessEqual(gap(column(left, 431), column(middle, 0)), 2)
        self.assertLessEqual(gap(column(middle, 110), column(right, 0)), 2)

    def test_banner_is_a_blue_gradient_that_ends_in_white(self):
        middle = rows_of('banner_middle.bmp')
        for r, g, b in column(middle, 0):
            self.assertGreater(b, r + 60)
            self.assertGreater(b, g + 40)
        self.assertGreater(sum(middle[0][0]), sum(middle[-1][0]) + 60, 'lighter at the top')
        self.assertEqual(rows_of('banner_right.bmp')[2][300], (255, 255, 255))
        # The dark variant ends in the dark page's grey, and is the same blue where the front has not come.
        self.assertEqual(rows_of('banner_right_dark.bmp')[2][300], (39, 39, 39))
        self.assertEqual(rows_of('banner_right_dark.bmp')[30][0], rows_of('banner_right.bmp')[30][0])

    def test_logo_sits_at_the_right_end(self):
        green = [x for row in rows_of('banner_right.bmp') for x, (r, g, b) in enumerate(row)
                 if g > r + 40 and g > b]
        self.assertGreater(len(green), 300)
        self.assertGreater(min(green), 381 - 90)

    def test_name_is_written_in_white_on_the_left(self):
        white = [(x, y) for y, row in enumerate(rows_of('banner_left.bmp')) for x, p in enumerate(row)
                 if min(p) > 200]
        self.assertGreater(len(white), 800)
        xs, ys = [x for x, _ in white], [y for _, y in white]
        self.assertLess(max(ys), 69 - 8)
        self.assertGreater(max(xs) - min(xs), 250, 'the name spans the segment')

    def test_name_and_tag_line_fit_the_left_segment(self):
        # The middle segment is stretched: text running past the left
        # segment would be cut off at its edge.
        for x, baseline, text, font, _ in draw_art.banner_text():
            left, top, right, bottom = font.getbbox(text, anchor='ls')
            self.assertLess(x + right, draw_art.LEFT_WIDTH - 8, text)
            self.assertGreater(baseline + top, 0, text)
            self.assertLess(baseline + bottom, draw_art.BANNER_HEIGHT - 4, text)


class Strip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.rows = rows_of('task_icons.bmp')

    def test_the_program_icons_have_a_glyph_and_the_other_cells_are_blank(self):
        for n in range(65):
            count = len(ink(cell(self.rows, n)))
            if n in USED_ICONS:
                self.assertGreater(count, 30, USED_ICONS[n])
                self.assertLess(count, 16 * 16, '%s has no transparent pixel' % USED_ICONS[n])
            else:
                self.assertEqual(count, 0, n)

    def test_no_colour_near_magenta_so_edges_do_not_fringe(self):
        # An anti-aliased edge would mix the glyph with magenta and show as a
        # pink halo once the magenta is keyed out; the button picture too.
        for p in ink(self.rows) + ink(rows_of('optimize_button.bmp')):
            self.assertTrue(far_from_magenta(p), p)

    def test_glyph_edges_are_outlined(self):
        # Pixels next to the transparent colour belong to the glyph's dark
        # rim: on average darker than its interior.
        for n in USED_ICONS:
            pixels = cell(self.rows, n)
            edge, inner = [], []
            for y in range(16):
                for x in range(16):
                    if pixels[y][x] == MAGENTA:
                        continue
                    near = [pixels[y + dy][x + dx] if 0 <= x + dx < 16 and 0 <= y + dy < 16 else MAGENTA
                            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
                    (edge if MAGENTA in near else inner).append(sum(pixels[y][x]))
            self.assertLess(sum(edge) / len(edge), sum(inner) / len(inner), USED_ICONS[n])

    def test_the_program_icons_are_distinct_and_look_their_part(self):
        cells = {n: cell(self.rows, n) for n in USED_ICONS}
        for a in USED_ICONS:
            for b in USED_ICONS:
                if a < b:
                    self.assertNotEqual(cells[a], cells[b], (USED_ICONS[a], USED_ICONS[b]))

        def share(n, test):
            pixels = ink(cells[n])
            return sum(1 for p in pixels if test(*p)) / float(len(pixels))
        red = lambda r, g, b: r > g + 80 and r > b + 60
        green = lambda r, g, b: g > r + 50 and g > b + 30
        blue = lambda r, g, b: b > r + 60 and b > g + 30
        white = lambda r, g, b: min(r, g, b) > 200
        grey = lambda r, g, b: max(r, g, b) - min(r, g, b) < 60
        self.assertGreater(share(45, red), 0.6, 'end process is a red cross')
        self.assertGreater(share(53, green), 0.6, 'apply is a green tick')
        self.assertGreater(share(58, grey), 0.8, 'settings is a grey gear')
        self.assertGreater(share(18, white), 0.2, 'processes is a window with a list')
        self.assertGreater(share(23, blue), 0.6, 'refresh is a blue circular arrow')
        self.assertGreater(share(24, red), 0.02, 'the gauge has a red zone')
        self.assertGreater(share(24, green), 0.02, 'and a green one')

    def test_gear_has_a_hole_in_the_middle(self):
        pixels = cell(self.rows, 58)
        self.assertEqual(pixels[8][8], MAGENTA)
        self.assertNotEqual(pixels[8][2], MAGENTA)


class Button(unittest.TestCase):
    def test_monitor_with_a_bright_trace_on_magenta(self):
        rows = rows_of('optimize_button.bmp')
        for x, y in ((0, 0), (40, 0), (0, 24), (40, 24)):
            self.assertEqual(rows[y][x], MAGENTA)
        trace = [p for p in ink(rows) if p[1] > 200 and p[0] < 200]
        self.assertGreater(len(trace), 20)


if __name__ == '__main__':
    unittest.main()
