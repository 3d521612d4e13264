"""What the artwork is drawn with: colours, a supersampling canvas over
Pillow, and the file formats the resource compiler takes."""
import io
import struct

from PIL import Image, ImageDraw, ImageFilter

SCALE = 4
ZOOM = 1  # the display scale drawn for: 1, 1.5 or 2 (see drawn_at)
CLEAR = (0, 0, 0, 0)
MAGENTA = (255, 0, 255)  # the see-through colour of the task icons and the button picture
FACE = (240, 242, 246)   # what those stand on: light panels, tabs, buttons


def rgb(text, alpha=255):
    v = int(text.lstrip('#'), 16)
    return (v >> 16, v >> 8 & 255, v & 255, alpha)


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def smoothstep(e0, e1, v):
    t = min(1.0, max(0.0, (v - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


class drawn_at:
    """Within it, canvases and px() draw at `zoom` times their final-pixel
    coordinates: the same picture for a display scale of 150 or 200 %."""

    def __init__(self, zoom):
        self.zoom = zoom

    def __enter__(self):
        global ZOOM
        self.saved, ZOOM = ZOOM, self.zoom

    def __exit__(self, *_):
        global ZOOM
        ZOOM = self.saved


def px(v):
    """A size in final pixels at the current zoom, halves rounded up as the program does."""
    return v if ZOOM == 1 else int(v * ZOOM + 0.5)


class Canvas:
    """An RGBA picture in final-pixel coordinates, drawn SCALE times larger
    and reduced at the end, which anti-aliases every edge.
    A paint is a colour or a (top, bottom) pair: a vertical gradient over the
    shape's height.  Drawing replaces pixels; CLEAR cuts holes."""

    def __init__(self, width, height):
        # Exact integers at 100 %, so the files drawn at that scale never change.
        self.k = SCALE if ZOOM == 1 else SCALE * ZOOM
        self.image = Image.new('RGBA', (px(width) * SCALE, px(height) * SCALE), CLEAR)

    def _paint(self, paint, y0, y1, draw):
        if isinstance(paint[0], int):
            draw(ImageDraw.Draw(self.image), paint)
            return
        mask = Image.new('L', self.image.size)
        draw(ImageDraw.Draw(mask), 255)
        top, bottom = paint
        span = max(1e-6, (y1 - y0) * self.k)
        column = Image.new('RGBA', (1, self.image.height))
        column.putdata([mix(top, bottom, (y + 0.5 - y0 * self.k) / span) for y in range(self.image.height)])
        self.image.paste(column.resize(self.image.size, Image.Resampling.NEAREST), mask=mask)

    def box(self, x0, y0, x1, y1, paint, radius=0):
        k = self.k
        xy = [x0 * k, y0 * k, x1 * k - 1, y1 * k - 1]
        self._paint(paint, y0, y1, lambda d, f: d.rounded_rectangle(xy, radius * k, fill=f))

    def ellipse(self, x0, y0, x1, y1, paint, start=0, end=360, ring=0):
        """A disc, a pie slice from `start` to `end` degrees (clockwise from
        three o'clock), or with `ring` an arc that wide."""
        k = self.k
        xy = [x0 * k, y0 * k, x1 * k - 1, y1 * k - 1]
        if ring:
            shape = lambda d, f: d.arc(xy, start, end, fill=f, width=round(ring * k))
        elif end - start < 360:
            shape = lambda d, f: d.pieslice(xy, start, end, fill=f)
        else:
            shape = lambda d, f: d.ellipse(xy, fill=f)
        self._paint(paint, y0, y1, shape)

    def poly(self, points, paint, edge=None, width=0):
        """A filled polygon, with an outline `width` wide outside it."""
        xy = [(x * self.k, y * self.k) for x, y in points]
        if edge:
            ImageDraw.Draw(self.image).line(xy + xy[:2], fill=edge, width=round(2 * width * self.k), joint='curve')
        ys = [y for _, y in points]
        self._paint(paint, min(ys), max(ys), lambda d, f: d.polygon(xy, fill=f))

    def stroke(self, points, colour, width):
        """A polyline with round ends and joints."""
        xy = [(x * self.k, y * self.k) for x, y in points]
        draw = ImageDraw.Draw(self.image)
        draw.line(xy, fill=colour, width=round(width * self.k), joint='curve')
        r = width * self.k / 2.0
        for x, y in (xy[0], xy[-1]):
            draw.ellipse([x - r, y - r, x + r, y + r], fill=colour)

    def under(self, other, blur=0.0):
        """Puts another canvas's picture, softened by `blur` pixels, below this one."""
        layer = other.image.filter(ImageFilter.GaussianBlur(blur * self.k)) if blur else other.image
        self.image = Image.alpha_composite(layer, self.image)

    def result(self):
        return self.image.reduce(SCALE)


def keyed(picture):
    """Opaque where at least half covered, blended over the light face the
    icons stand on; magenta elsewhere, so no edge mixes with magenta."""
    alpha = picture.getchannel('A').point(lambda a: 255 if a >= 128 else 0)
    flat = Image.alpha_composite(Image.new('RGBA', picture.size, FACE), picture).convert('RGB')
    out = Image.new('RGB', picture.size, MAGENTA)
    out.paste(flat, mask=alpha)
    return out


def dib(image):
    """One icon image as Windows keeps it: a bottom-up 32-bit DIB of double
    height, then the AND mask, set where the image is fully transparent."""
    s = image.width
    flipped = image.transpose(Image.Transpose.FLIP_TOP_BOTTOM)
    r, g, b, a = flipped.split()
    stride = (s + 31) // 32 * 4
    alpha = a.tobytes()
    mask = b''
    for y in range(s):
        bits = 0
        for x in range(s):
            bits = bits << 1 | (alpha[y * s + x] == 0)
        mask += (bits << (stride * 8 - s)).to_bytes(stride, 'big')
    header = struct.pack('<IiiHHIIiiII', 40, s, 2 * s, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + Image.merge('RGBA', (b, g, r, a)).tobytes() + mask


def ico(images):
    """256-pixel images go in as PNG, the others as DIBs for old code paths."""
    blobs = []
    for image in images:
        if image.width == 256:
            png = io.BytesIO()
            image.save(png, 'PNG')
            blobs.append(png.getvalue())
        else:
            blobs.append(dib(image))
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        data += struct.pack('<BBBBHHII', image.width % 256, image.height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return data + b''.join(blobs)


def bmp(image):
    data = io.BytesIO()
    image.save(data, 'BMP')
    return data.getvalue()
