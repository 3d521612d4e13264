#!/usr/bin/env python3
"""Checks the icons draw_icons.py writes are valid .ico files for rc/LoadImage,
and the popup's close button a valid 24-bit strip of three cells."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, 'draw_icons.py')
EXPECTED = {'app.ico': [16, 32, 48, 256]}
for _name in ('tray.ico',) + tuple('tray_anim_%d.ico' % i for i in range(1, 5)):
    EXPECTED[_name] = [16, 20, 24, 32]


CLOSE_BMP = 'popup_close.bmp'


def render(outdir):
    subprocess.run([sys.executable, SCRIPT, outdir], check=True)
    files = {}
    for name in list(EXPECTED) + [CLOSE_BMP]:
        with open(os.path.join(outdir, name), 'rb') as f:
            files[name] = f.read()
    return files


def parse_ico(data):
    """Returns {size: image bytes}, asserting the container is well formed."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    assert (reserved, kind) == (0, 1), 'not an icon file'
    images = {}
    end_of_dir = 6 + 16 * count
    spans = []
    for i in range(count):
        w, h, colors, _, planes, bpp, length, offset = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        size = w or 256
        assert w == h and colors == 0 and planes == 1 and bpp == 32
        assert offset >= end_of_dir and offset + length <= len(data), 'entry outside file'
        spans.append((offset, offset + length))
        images[size] = data[offset:offset + length]
    spans.sort()
    for (_, a_end), (b_start, _) in zip(spans, spans[1:]):
        assert a_end <= b_start, 'images overlap'
    return images


class IconFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.files = render(os.path.join(cls.tmp.name, 'missing', 'out'))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_each_icon_has_intended_sizes_and_valid_images(self):
        for name, sizes in EXPECTED.items():
            images = parse_ico(self.files[name])
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

    def test_output_is_reproducible(self):
        with tempfile.TemporaryDirectory() as other:
            self.assertEqual(render(other), self.files)

    def test_animation_frames_differ_at_16px(self):
        frames = [parse_ico(self.files['tray_anim_%d.ico' % i])[16] for i in range(1, 5)]
        for i in range(4):
            for j in range(i + 1, 4):
                self.assertNotEqual(frames[i], frames[j], (i + 1, j + 1))
        # Same silhouette: only colours move, never the outline.
        masks = {f[40 + 16 * 16 * 4:] for f in frames}
        self.assertEqual(len(masks), 1)


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


class CloseButtonStrip(unittest.TestCase):
    """Black is the transparent colour where the popup draws the strip."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.width, cls.height, cls.rows = parse_bmp(render(cls.tmp.name)[CLOSE_BMP])
        cls.cells = [[row[c * 13:(c + 1) * 13] for row in cls.rows] for c in range(3)]

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_three_square_cells_side_by_side(self):
        self.assertEqual((self.width, self.height), (39, 13))

    def test_cells_share_one_silhouette_and_differ_inside(self):
        shapes = [[[px != (0, 0, 0) for px in row] for row in cell] for cell in self.cells]
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
        for cell in self.cells:
            centre = sum(cell[6][4])
            box = sum(cell[3][1])
            self.assertLess(centre, box)


if __name__ == '__main__':
    unittest.main()
