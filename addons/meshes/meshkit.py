"""Small tools for the project's meshes and textures: a mesh file writer in
the simulator's text format (MSHX1), low-poly shapes, and pictures written
as PNG with zlib and struct alone.

Frames are left-handed (x right, y up, z forward), in metres. A triangle is
drawn from the side where its corners run clockwise; every face here is
given with the direction it faces, and its corners are ordered to suit.
Texture coordinates run from the picture's left (u) and top (v), in 0..1.
"""

import math
import struct
import zlib


# ---- vectors ----

def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def mul(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = math.sqrt(dot(a, a))
    return (a[0] / n, a[1] / n, a[2] / n) if n > 0 else (0.0, 0.0, 0.0)


def rotate(v, axis, angle):
    """v turned about the axis through the origin, as the simulator turns
    mesh groups: a positive angle about +y takes +z towards +x."""
    k = unit(axis)
    c, s = math.cos(angle), math.sin(angle)
    return add(add(mul(v, c), mul(cross(k, v), s)), mul(k, dot(k, v) * (1 - c)))


def basis(normal):
    """(right, up) of a viewer who faces a plane whose face looks along
    `normal`; right is horizontal where it can be."""
    n = unit(normal)
    right = unit(cross(n, (0.0, 1.0, 0.0))) if abs(n[1]) < 0.999 else (1.0, 0.0, 0.0)
    up = unit(cross(right, n))
    return right, up


# ---- meshes ----

class Group:
    def __init__(self, label, material=0, texture=0, flag=0):
        self.label = label
        self.material = material  # 1-based as in the file, 0 the default
        self.texture = texture    # 1-based, 0 none
        self.flag = flag
        self.vertices = []        # (x, y, z, nx, ny, nz, u, v)
        self.triangles = []

    def face(self, points, facing, uvs=None):
        """A flat convex polygon seen from the side `facing` points to."""
        n = unit(cross(sub(points[1], points[0]), sub(points[2], points[0])))
        if dot(n, facing) < 0:
            points = list(reversed(points))
            uvs = list(reversed(uvs)) if uvs else None
            n = mul(n, -1)
        base = len(self.vertices)
        for i, p in enumerate(points):
            uv = uvs[i] if uvs else (0.0, 0.0)
            self.vertices.append((p[0], p[1], p[2], n[0], n[1], n[2], uv[0], uv[1]))
        for i in range(1, len(points) - 1):
            self.triangles.append((base, base + i, base + i + 1))

    def plate(self, points, facing, uvs=None):
        """A face drawn from both sides."""
        self.face(points, facing, uvs)
        self.face(points, mul(facing, -1), uvs)

    def rect(self, centre, normal, width, height, uv_rect=None, up=None, both=False):
        """A rectangle across `normal`, `width` along the plane's right and
        `height` along its up; uv_rect (u0, v0, u1, v1) maps the picture's
        top left to the rectangle's top left."""
        right, upv = basis(normal)
        if up is not None:
            upv = unit(sub(up, mul(unit(normal), dot(up, unit(normal)))))
            right = unit(cross(unit(normal), upv))
        hw, hh = width / 2, height / 2
        pts = [add(add(centre, mul(right, -hw)), mul(upv, hh)), add(add(centre, mul(right, hw)), mul(upv, hh)),
               add(add(centre, mul(right, hw)), mul(upv, -hh)), add(add(centre, mul(right, -hw)), mul(upv, -hh))]
        uvs = None
        if uv_rect:
            u0, v0, u1, v1 = uv_rect
            uvs = [(u0, v0), (u1, v0), (u1, v1), (u0, v1)]
        (self.plate if both else self.face)(pts, normal, uvs)

    def solid(self, points, faces, uv=None):
        """A convex solid from its corners and faces (lists of corner
        indices); each face looks away from the solid's centre. `uv` gives
        every corner one texture point (a colour swatch)."""
        c = mul(points[0], 0)
        for p in points:
            c = add(c, p)
        c = mul(c, 1.0 / len(points))
        for f in faces:
            pts = [points[i] for i in f]
            fc = mul(pts[0], 0)
            for p in pts:
                fc = add(fc, p)
            fc = mul(fc, 1.0 / len(pts))
            self.face(pts, sub(fc, c), [uv] * len(pts) if uv else None)

    def box(self, x0, x1, y0, y1, z0, z1, uv=None, skip=()):
        pts = [(x, y, z) for x in (x0, x1) for y in (y0, y1) for z in (z0, z1)]
        faces = {'-x': [0, 1, 3, 2], '+x': [4, 5, 7, 6], '-y': [0, 1, 5, 4], '+y': [2, 3, 7, 6],
                 '-z': [0, 2, 6, 4], '+z': [1, 3, 7, 5]}
        self.solid(pts, [f for k, f in faces.items() if k not in skip], uv)

    def prism_x(self, poly_yz, x0, x1, uv=None):
        """A convex polygon of (y, z) corners drawn out from x0 to x1."""
        n = len(poly_yz)
        pts = [(x0, y, z) for y, z in poly_yz] + [(x1, y, z) for y, z in poly_yz]
        faces = [list(range(n)), list(range(n, 2 * n))]
        faces += [[i, (i + 1) % n, n + (i + 1) % n, n + i] for i in range(n)]
        self.solid(pts, faces, uv)

    def cylinder(self, centre, axis, radius, length, segments=12, uv=None, caps=True, radius1=None):
        """A cylinder (or a cone's frustum, radius1 at the far end) centred
        on `centre` along `axis`."""
        a = unit(axis)
        right, up = basis(a)
        r1 = radius if radius1 is None else radius1
        e0, e1 = add(centre, mul(a, -length / 2)), add(centre, mul(a, length / 2))
        ring = [add(mul(right, math.cos(2 * math.pi * i / segments)), mul(up, math.sin(2 * math.pi * i / segments)))
                for i in range(segments)]
        for i in range(segments):
            j = (i + 1) % segments
            p = [add(e0, mul(ring[i], radius)), add(e0, mul(ring[j], radius)), add(e1, mul(ring[j], r1)),
                 add(e1, mul(ring[i], r1))]
            self.face(p, add(ring[i], ring[j]), [uv] * 4 if uv else None)
        if caps:
            self.face([add(e0, mul(r, radius)) for r in ring], mul(a, -1), [uv] * segments if uv else None)
            if r1 > 0:
                self.face([add(e1, mul(r, r1)) for r in ring], a, [uv] * segments if uv else None)

    def sphere(self, centre, radius, segments=8, uv=None, scale=(1.0, 1.0, 1.0)):
        rings = max(3, segments // 2)
        def at(i, k):
            t = math.pi * k / rings
            f = 2 * math.pi * i / segments
            return add(centre, (radius * scale[0] * math.sin(t) * math.cos(f), radius * scale[1] * math.cos(t),
                                radius * scale[2] * math.sin(t) * math.sin(f)))
        for k in range(rings):
            for i in range(segments):
                quad = [at(i, k), at(i + 1, k), at(i + 1, k + 1), at(i, k + 1)]
                if k == 0:
                    quad = [quad[0], quad[2], quad[3]]
                elif k == rings - 1:
                    quad = [quad[0], quad[1], quad[2]]
                mid = mul(add(add(quad[0], quad[1]), quad[2]), 1.0 / 3)
                self.face(quad, sub(mid, centre), [uv] * len(quad) if uv else None)

    def moved(self, fn, start=0):
        """Applies fn to the positions (and turns normals with it) of the
        vertices from `start` on: fn(p) for points."""
        for i in range(start, len(self.vertices)):
            x, y, z, nx, ny, nz, u, v = self.vertices[i]
            p = fn((x, y, z))
            q = fn(add((x, y, z), (nx, ny, nz)))
            n = unit(sub(q, p))
            self.vertices[i] = (p[0], p[1], p[2], n[0], n[1], n[2], u, v)


class Material:
    def __init__(self, name, diffuse, ambient=None, specular=(0, 0, 0, 1), power=0, emissive=(0, 0, 0, 1)):
        self.name = name
        self.diffuse = diffuse
        self.ambient = ambient if ambient is not None else diffuse
        self.specular = specular
        self.power = power
        self.emissive = emissive


def num(v):
    s = '%.5f' % v
    s = s.rstrip('0').rstrip('.')
    return '0' if s in ('-0', '') else s


class Mesh:
    def __init__(self, comment):
        self.comment = comment
        self.groups = []
        self.materials = []
        self.textures = []

    def group(self, label, material=0, texture=0, flag=0):
        g = Group(label, material, texture, flag)
        self.groups.append(g)
        return g

    def text(self):
        out = ['MSHX1']
        out += ['; ' + line for line in self.comment.strip().split('\n')]
        out.append('GROUPS %d' % len(self.groups))
        for i, g in enumerate(self.groups):
            out.append('LABEL %s' % g.label)
            out.append('MATERIAL %d' % g.material)
            out.append('TEXTURE %d' % g.texture)
            if g.flag:
                out.append('FLAG %x' % g.flag)
            out.append('GEOM %d %d ; group %d' % (len(g.vertices), len(g.triangles), i))
            for v in g.vertices:
                vals = v if g.texture else v[:6]
                out.append(' '.join(num(x) for x in vals))
            for t in g.triangles:
                out.append('%d %d %d' % t)
        out.append('MATERIALS %d' % len(self.materials))
        out += [m.name for m in self.materials]
        for m in self.materials:
            out.append('MATERIAL %s' % m.name)
            out.append(' '.join(num(x) for x in m.diffuse))
            out.append(' '.join(num(x) for x in m.ambient))
            out.append(' '.join(num(x) for x in m.specular) + ' ' + num(m.power))
            out.append(' '.join(num(x) for x in m.emissive))
        out.append('TEXTURES %d' % len(self.textures))
        out += self.textures
        return '\n'.join(out) + '\n'


# ---- pictures ----

FONT = {
    'A': '.###.#...##...#######...##...##...#', 'B': '####.#...##...#####.#...##...#####.',
    'C': '.###.#...##....#....#....#...#.###.', 'D': '####.#...##...##...##...##...#####.',
    'E': '######....#....####.#....#....#####', 'F': '######....#....####.#....#....#....',
    'G': '.###.#...##....#.####...##...#.####', 'H': '#...##...##...#######...##...##...#',
    'I': '.###...#....#....#....#....#...###.', 'J': '..###...#....#....#....#.#..#..##..',
    'K': '#...##..#.#.#..##...#.#..#..#.#...#', 'L': '#....#....#....#....#....#....#####',
    'M': '#...###.###.#.##.#.##...##...##...#', 'N': '#...##...###..##.#.##..###...##...#',
    'O': '.###.#...##...##...##...##...#.###.', 'P': '####.#...##...#####.#....#....#....',
    'Q': '.###.#...##...##...##.#.##..#..##.#', 'R': '####.#...##...#####.#.#..#..#.#...#',
    'S': '.#####....#.....###.....#....#####.', 'T': '#####..#....#....#....#....#....#..',
    'U': '#...##...##...##...##...##...#.###.', 'V': '#...##...##...##...##...#.#.#...#..',
    'W': '#...##...##...##.#.##.#.##.#.#.#.#.', 'X': '#...##...#.#.#...#...#.#.#...##...#',
    'Y': '#...##...#.#.#...#....#....#....#..', 'Z': '#####....#...#...#...#...#....#####',
    '0': '.###.#...##..###.#.###..##...#.###.', '1': '..#...##....#....#....#....#...###.',
    '2': '.###.#...#....#...#...#...#...#####', '3': '####.....#....#.###.....#....#####.',
    '4': '...#...##..#.#.#..#.#####...#....#.', '5': '######....####.....#....##...#.###.',
    '6': '.###.#....#....####.#...##...#.###.', '7': '#####....#...#...#...#....#....#...',
    '8': '.###.#...##...#.###.#...##...#.###.', '9': '.###.#...##...#.####....#....#.###.',
    '-': '...............#####...............', '/': '....#...#....#...#...#....#...#....',
    '|': '..#....#....#....#....#....#....#..', '.': '................................#..',
    ' ': '.' * 35,
}


class Picture:
    def __init__(self, w, h, fill=0x000000):
        self.w, self.h = w, h
        self.px = [fill] * (w * h)

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills [x0, x1) x [y0, y1)."""
        for y in range(max(0, y0), min(self.h, y1)):
            row = y * self.w
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[row + x] = c

    def frame(self, x0, y0, x1, y1, c, width=1):
        self.rect(x0, y0, x1, y0 + width, c)
        self.rect(x0, y1 - width, x1, y1, c)
        self.rect(x0, y0, x0 + width, y1, c)
        self.rect(x1 - width, y0, x1, y1, c)

    def disc(self, cx, cy, r, c, r_in=0.0):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r_in <= d <= r:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1.0):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            t = i / n
            self.disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, c)

    def polygon(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[k])), int(round(xs[k + 1]))):
                    self.put(x, y, c)

    def text(self, x, y, s, c, scale=1):
        for ch in s.upper():
            g = FONT.get(ch, FONT[' '])
            for row in range(7):
                for col in range(5):
                    if g[row * 5 + col] == '#':
                        self.rect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c)
            x += 6 * scale

    def text_centred(self, cx, cy, s, c, scale=1):
        w = (6 * len(s) - 1) * scale
        self.text(int(round(cx - w / 2)), int(round(cy - 7 * scale / 2)), s, c, scale)

    def copy(self, x, y, w, h, tx, ty):
        block = [self.px[(y + r) * self.w + x:(y + r) * self.w + x + w] for r in range(h)]
        for r in range(h):
            self.px[(ty + r) * self.w + tx:(ty + r) * self.w + tx + w] = block[r]

    def png(self):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for c in self.px[y * self.w:(y + 1) * self.w]:
                raw += bytes(((c >> 16) & 255, (c >> 8) & 255, c & 255))
        def chunk(kind, data):
            return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
        return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 2, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


class Swatches:
    """A picture of flat colour squares; a part painted one colour uses the
    texture point in the middle of its square."""
    def __init__(self, picture, x0, y0, size, columns):
        self.pic, self.x0, self.y0, self.size, self.columns = picture, x0, y0, size, columns
        self.names = {}

    def add(self, name, colour):
        i = len(self.names)
        x = self.x0 + (i % self.columns) * self.size
        y = self.y0 + (i // self.columns) * self.size
        self.pic.rect(x, y, x + self.size, y + self.size, colour)
        self.names[name] = ((x + self.size / 2) / self.pic.w, (y + self.size / 2) / self.pic.h)
        return self.names[name]

    def __getitem__(self, name):
        return self.names[name]
