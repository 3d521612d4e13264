#!/usr/bin/env python3
"""Checks the bitmaps draw_banner.py writes: valid 24-bit files of the sizes
the window draws them at, a banner whose pieces join without a seam, a task
icon strip with a clean magenta background, and lettering that fits."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import draw_banner  # noqa: E402
from test_draw_icons import parse_bmp  # noqa: E402

SCRIPT = os.path.join(HERE, 'draw_banner.py')
SIZES = {
    'banner_left.bmp': (432, 69),
    'banner_middle.bmp': (111, 69),
    'banner_right.bmp': (381, 69),
    'task_icons.bmp': (1040, 16),
    'optimize_button.bmp': (41, 25),
}
MAGENTA = (255, 0, 255)
USED_ICONS = {18: 'processes', 23: 'refresh', 24: 'performance', 45: 'end process',
              53: 'apply', 58: 'settings'}


def render(outdir):
    subprocess.run([sys.executable, SCRIPT, outdir], check=True)
    files = {}
    for name in SIZES:
        with open(os.path.join(outdir, name), 'rb') as f:
            files[name] = f.read()
    return files


def column(rows, x):
    return [row[x] for row in rows]


def max_channel_gap(a, b):
    return max(abs(p - q) for pa, pb in zip(a, b) for p, q in zip(pa, pb))


def cell(rows, n):
    return [row[n * 16:(n + 1) * 16] for row in rows]


def ink(pixels):
    return [p for row in pixels for p in row if p != MAGENTA]


FILES = {}
IMAGES = {}


def setUpModule():
    with tempfile.TemporaryDirectory() as tmp:
        FILES.update(render(os.path.join(tmp, 'new', 'dir')))
    IMAGES.update({name: parse_bmp(data) for name, data in FILES.items()})


class Files(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files = FILES
        cls.images = IMAGES

    def test_every_bitmap_is_24_bit_at_its_size(self):
        # parse_bmp checks the headers: 24 bits, uncompressed, bottom-up rows,
        # padded stride, file size.
        for name, size in SIZES.items():
            width, height, rows = self.images[name]
            self.assertEqual((width, height), size, name)
            self.assertEqual(len(rows), height)

    def test_output_is_reproducible(self):
        with tempfile.TemporaryDirectory() as other:
            self.assertEqual(render(other), self.files)

    # The window draws left at 0, right flush with its right edge, and the
    # middle stretched in between: any seam would show on every paint.
    def test_middle_is_one_column_repeated(self):
        _, _, rows = self.images['banner_middle.bmp']
        for row in rows:
            self.assertEqual(len(set(row)), 1)

    def test_middle_joins_both_ends_without_a_seam(self):
        _, _, left = self.images['banner_left.bmp']
        _, _, middle = self.images['banner_middle.bmp']
        _, _, right = self.images['banner_right.bmp']
        self.assertLessEqual(max_channel_gap(column(left, 431), column(middle, 0)), 2)
        self.assertLessEqual(max_channel_gap(column(middle, 110), column(right, 0)), 2)

    def test_banner_is_a_blue_gradient_that_ends_in_white(self):
        _, _, middle = self.images['banner_middle.bmp']
        for r, g, b in column(middle, 0):
            self.assertGreater(b, r + 60)
            self.assertGreater(b, g + 40)
        top, bottom = sum(middle[0][0]), sum(middle[-1][0])
        self.assertGreater(top, bottom + 60, 'lighter at the top')
        _, _, right = self.images['banner_right.bmp']
        self.assertEqual(right[2][300], (255, 255, 255))

    def test_logo_sits_at_the_right_end(self):
        _, _, right = self.images['banner_right.bmp']
        green = [(x, y) for y, row in enumerate(right) for x, (r, g, b) in enumerate(row)
                 if g > r + 40 and g > b]
        self.assertGreater(len(green), 300)
        self.assertGreater(min(x for x, _ in green), 381 - 90)

    def test_name_is_written_in_white_on_the_left(self):
        _, _, left = self.images['banner_left.bmp']
        white = [(x, y) for y, row in enumerate(left) for x, p in enumerate(row)
                 if min(p) > 200]
        self.assertGreater(len(white), 800)
        xs = [x for x, _ in white]
        ys = [y for _, y in white]
        self.assertLess(max(ys), 69 - 8)
        self.assertGreater(max(xs) - min(xs), 250, 'the name spans the segment')


class Strip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        _, _, cls.rows = IMAGES['task_icons.bmp']

    def test_every_cell_has_a_glyph_on_magenta(self):
        for n in range(65):
            pixels = cell(self.rows, n)
            count = len(ink(pixels))
            self.assertGreater(count, 30, 'icon %d is nearly empty' % n)
            self.assertLess(count, 16 * 16, 'icon %d has no transparent pixel' % n)

    def test_no_colour_near_magenta_so_edges_do_not_fringe(self):
        # An anti-aliased edge would mix the glyph with magenta and show as a
        # pink halo once the magenta is keyed out.
        for n in range(65):
            for p in ink(cell(self.rows, n)):
                distance = sum((a - b) ** 2 for a, b in zip(p, MAGENTA)) ** 0.5
                self.assertGreater(distance, 150, 'icon %d: %r' % (n, (p,)))

    def test_glyph_edges_are_outlined(self):
        # Pixels next to the transparent colour belong to the glyph's dark
        # rim or to flat detail, never to a light blend: check that most of
        # each used icon's border pixels are darker than its interior.
        for n in USED_ICONS:
            pixels = cell(self.rows, n)
            edge, inner = [], []
            for y in range(16):
                for x in range(16):
                    p = pixels[y][x]
                    if p == MAGENTA:
                        continue
                    near = [pixels[y + dy][x + dx] if 0 <= x + dx < 16 and 0 <= y + dy < 16
                            else MAGENTA for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
                    (edge if MAGENTA in near else inner).append(sum(p))
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
        white = lambda r, g, b: min(r, g, b) > 200
        grey = lambda r, g, b: max(r, g, b) - min(r, g, b) < 60
        self.assertGreater(share(45, red), 0.6, 'end process is a red cross')
        self.assertGreater(share(53, green), 0.6, 'apply is a green tick')
        self.assertGreater(share(58, grey), 0.8, 'settings is a grey gear')
        self.assertGreater(share(18, white), 0.2, 'processes is a window with a list')
        self.assertGreater(share(23, lambda r, g, b: r > 200 and g > 150 and b < 150), 0.05,
                           'refresh carries a yellow spark')
        self.assertGreater(share(24, red), 0.02, 'the gauge has a red zone')
        self.assertGreater(share(24, green), 0.02, 'and a green one')

    def test_gear_has_a_hole_in_the_middle(self):
        pixels = cell(self.rows, 58)
        self.assertEqual(pixels[8][8], MAGENTA)
        self.assertNotEqual(pixels[8][2], MAGENTA)


class Button(unittest.TestCase):
    def test_monitor_with_a_bright_trace_on_magenta(self):
        _, _, rows = IMAGES['optimize_button.bmp']
        for x, y in ((0, 0), (40, 0), (0, 24), (40, 24)):
            self.assertEqual(rows[y][x], MAGENTA)
        trace = [p for row in rows for p in row if p[1] > 200 and p[0] < 200 and p != MAGENTA]
        self.assertGreater(len(trace), 20)
        pixels = ink(rows)
        for p in pixels:
            self.assertGreater(sum((a - b) ** 2 for a, b in zip(p, MAGENTA)) ** 0.5, 150)


class Lettering(unittest.TestCase):
    def test_every_character_of_the_texts_has_a_glyph(self):
        for text in draw_banner.PRODUCT_NAME + (draw_banner.TAG_LINE,):
            for ch in text:
                self.assertIn(ch, draw_banner.GLYPHS)

    def test_name_and_tag_line_fit_the_left_segment(self):
        # The middle segment is stretched: text running past the left
        # segment would be cut off at its edge.
        for placed, baseline, _, right in draw_banner.banner_text():
            self.assertLess(right, draw_banner.LEFT_WIDTH - 8)
            self.assertGreater(baseline, 0)
            self.assertLess(baseline, draw_banner.BANNER_HEIGHT - 4)

    def test_glyph_origins_are_whole_pixels_and_advance(self):
        placed, _ = draw_banner.layout('Memory', draw_banner.Style(20, 2.0), 10, 30)
        origins = [ox for _, ox in placed]
        self.assertEqual(origins, [float(int(o)) for o in origins])
        self.assertEqual(origins, sorted(set(origins)))

    def test_a_stem_is_crisp(self):
        # 'l' at a whole-pixel origin with a two-pixel stroke covers exactly
        # two columns fully and nothing beside them at mid height.
        placed, _ = draw_banner.layout('l', draw_banner.Style(20, 2.0), 10, 30)
        ox = int(placed[0][1])
        cov = draw_banner.text_coverage(placed, 30, 40, 40)
        row = [round(cov.get((x, 20), 0.0), 3) for x in range(ox - 2, ox + 4)]
        self.assertEqual(row, [0.0, 0.0, 1.0, 1.0, 0.0, 0.0])


if __name__ == '__main__':
    unittest.main()
