#!/usr/bin/env python3
"""Writes the project's meshes and textures into a simulator root:

    make_meshes.py OUT      -> OUT/Meshes/*.msh, OUT/Meshes/UMmu/*.msh, OUT/Textures/*.png

- kvq7700: the tractor. Groups 0 to 3 are its wheels (front left, rear left,
  front right, rear right) around their hubs, which the wheel and steering
  animations turn about; its lamp lenses sit where the vessel puts its
  beacons.
- kvq7700_vc: the cab. Every moving part is modelled around the point its
  animation turns it about, in the pose of the animation's initial state;
  the clickable parts lie inside the areas the cockpit registers.
  Materials 0, 1, 7 and 9 are lit with the lights, 2 and 5 are the
  indicator lamps; texture 1 holds the status display, texture 5 the
  switch and steering-mode pictures the vessel copies about.
- kvq_towbar, Airliner: the towbar and the sample airliner (to scale).
- UMmu/UMMu and its variants: a crew member on foot, one suit colour per
  function.

The output depends on nothing but this script: the same bytes every run.
"""

import math
import os
import sys

from meshkit import Material, Mesh, Picture, Swatches, add, mul, sub, unit, rotate, cross, dot

PI = math.pi


def deg(d):
    return d * PI / 180


# ------------------------------------------------------------------ tractor

HUB_X, HUB_Y, HUB_Z = 1.065, 0.75, 1.83   # wheel hubs, m
WHEEL_R, WHEEL_W = 0.75, 0.46             # tyre radius and width, m
WHEELS = [(-HUB_X, HUB_Z), (-HUB_X, -HUB_Z), (HUB_X, HUB_Z), (HUB_X, -HUB_Z)]  # groups 0..3

# Lamps: (centre, width, height, facing) per lens, by colour.
FRONT, REAR = 4.55, -3.05
HEAD_LAMPS = [((1.1, 0.48, FRONT), 0.22, 0.11), ((-1.1, 0.48, FRONT), 0.22, 0.11)]
REVERSE_LAMPS = [((0.99, 1.23, REAR), 0.10, 0.07), ((-0.99, 1.23, REAR), 0.10, 0.07)]
TAIL_LAMPS = [((1.22, 1.23, REAR), 0.12, 0.08), ((-1.22, 1.23, REAR), 0.12, 0.08)]
INDICATORS = [((0.76, 1.23, REAR), 0.10, 0.07), ((-0.76, 1.23, REAR), 0.10, 0.07),
              ((1.1, 0.65, FRONT), 0.16, 0.07), ((-1.1, 0.65, FRONT), 0.16, 0.07)]
STROBES = [(0.77, 2.42, 3.8), (-0.77, 2.42, 3.8)]


def wheel_texture():
    p = Picture(128, 128, 0x1c1c1c)
    for k in range(16):  # tread: one groove per eighth of the strip
        y = k * 8
        p.rect(4, y, 60, y + 3, 0x2c2c2c)
    p.rect(0, 0, 3, 128, 0x111111)
    p.rect(61, 0, 64, 128, 0x111111)
    p.disc(96, 64, 31, 0x2a2a2a)      # tyre wall
    p.disc(96, 64, 22, 0xb8b8b0)      # rim
    p.disc(96, 64, 15, 0x8c8c88)
    for k in range(8):                # wheel nuts
        a = 2 * PI * k / 8
        p.disc(96 + 10 * math.cos(a), 64 + 10 * math.sin(a), 2.2, 0x404040)
    p.disc(96, 64, 5, 0xd8d8d0)
    p.rect(94, 34, 98, 44, 0xf2b705)  # a mark that shows the wheel turning
    return p


def body_texture():
    p = Picture(256, 256, 0xf2b705)
    sw = Swatches(p, 0, 0, 16, 16)
    for name, c in [('yellow', 0xf2b705), ('black', 0x1e1e1e), ('grey', 0x5a5a5a), ('dark', 0x2e2e2e),
                    ('white', 0xe8e8e8), ('steel', 0x8a8a8a), ('cab', 0xf5c21b), ('red', 0xb01010)]:
        sw.add(name, c)
    # Name plate (y 32..64) and hazard stripes (y 64..96).
    p.rect(0, 32, 256, 64, 0xf2b705)
    p.text_centred(128, 48, 'KVQ R7700', 0x1e1e1e, 3)
    for k in range(-4, 20):
        x = k * 16
        p.polygon([(x, 64), (x + 8, 64), (x + 8 + 32, 96), (x + 32, 96)], 0x1e1e1e)
    return p, sw


def tractor():
    m = Mesh('KVQ R7700 aircraft tow tractor, outside. Written by addons/meshes/make_meshes.py.\n'
             'Groups 0-3: wheels front left, rear left, front right, rear right.')
    m.materials = [
        Material('tyre', (1, 1, 1, 1), specular=(0.1, 0.1, 0.1, 1), power=5),
        Material('body', (1, 1, 1, 1), specular=(0.4, 0.4, 0.4, 1), power=20),
        Material('glass', (0.12, 0.2, 0.24, 0.45), specular=(0.9, 0.9, 0.9, 1), power=60),
        Material('steel', (0.32, 0.32, 0.34, 1), specular=(0.6, 0.6, 0.6, 1), power=30),
        Material('lamp_white', (0.95, 0.95, 0.9, 1), specular=(1, 1, 1, 1), power=40, emissive=(0.25, 0.25, 0.22, 1)),
        Material('lamp_red', (0.8, 0.05, 0.04, 1), specular=(1, 1, 1, 1), power=40, emissive=(0.25, 0.0, 0.0, 1)),
        Material('lamp_amber', (1.0, 0.55, 0.1, 1), specular=(1, 1, 1, 1), power=40, emissive=(0.3, 0.15, 0.0, 1)),
    ]
    m.textures = ['kvq7700_wheel.dds', 'kvq7700_body.dds']
    body_pic, sw = body_texture()

    # Wheels: tread strip on the left half of the wheel picture, the rim
    # on its right half; 20 segments, one tread groove each.
    seg = 20
    for label, (hx, hz) in zip(['wheel_front_left', 'wheel_rear_left', 'wheel_front_right', 'wheel_rear_right'], WHEELS):
        g = m.group(label, material=1, texture=1)
        x0, x1 = hx - WHEEL_W / 2, hx + WHEEL_W / 2
        def at(x, a):
            return (x, HUB_Y + WHEEL_R * math.sin(a), hz + WHEEL_R * math.cos(a))
        for i in range(seg):
            a0, a1 = 2 * PI * i / seg, 2 * PI * (i + 1) / seg
            v0, v1 = i / seg, (i + 1) / seg
            mid = (0, math.sin((a0 + a1) / 2), math.cos((a0 + a1) / 2))
            g.face([at(x0, a0), at(x1, a0), at(x1, a1), at(x0, a1)], mid,
                   [(0.03, v0), (0.47, v0), (0.47, v1), (0.03, v1)])
        for x, facing in ((x0, (-1, 0, 0)), (x1, (1, 0, 0))):
            pts, uvs = [], []
            for i in range(seg):
                a = 2 * PI * i / seg
                pts.append(at(x, a))
                uvs.append((0.75 + 0.245 * math.cos(a), 0.5 - 0.49 * math.sin(a)))
            g.face(pts, facing, uvs)

    # Body: a spine between the wheels, pods beside it, a deck over the
    # engine, skirts beside the cab; hollow where the cab is (the cab's
    # inside is the cockpit mesh).
    yellow, dark, black = sw['yellow'], sw['dark'], sw['black']
    b = m.group('body', material=2, texture=2)
    b.box(-0.80, 0.80, 0.35, 1.30, REAR, 2.72, uv=yellow)
    for s in (-1, 1):
        for z0, z1 in ((REAR, -2.70), (-0.95, 0.95)):
            b.box(*sorted((s * 0.80, s * 1.30)), 0.35, 1.30, z0, z1, uv=yellow, skip=('-x' if s > 0 else '+x',))
        b.box(*sorted((s * 0.98, s * 1.30)), 0.35, 1.30, 2.72, FRONT, uv=yellow, skip=('-x' if s > 0 else '+x',))
        for zc in (HUB_Z, -HUB_Z):  # mudguards
            b.box(*sorted((s * 0.78, s * 1.34)), 1.55, 1.60, zc - 0.86, zc + 0.86, uv=dark)
            b.box(*sorted((s * 1.29, s * 1.34)), 1.30, 1.55, zc - 0.86, zc + 0.86, uv=dark)
    b.box(-0.98, 0.98, 0.35, 0.53, 2.72, FRONT, uv=dark, skip=('+y',))
    b.face([(-0.98, 0.53, 2.72), (0.98, 0.53, 2.72), (0.98, 0.53, FRONT), (-0.98, 0.53, FRONT)], (0, 1, 0), [dark] * 4)
    b.box(-0.98, 0.98, 0.53, 1.30, 4.45, FRONT, uv=yellow, skip=('-z',))
    b.box(-1.25, 1.25, 1.30, 1.58, -3.0, 0.9, uv=yellow)  # engine hood
    b.box(-0.9, 0.9, 1.58, 1.62, -2.6, 0.5, uv=dark)      # air grille
    # Name plates on both sides and hazard stripes on the bumpers' faces.
    for s in (-1, 1):
        b.rect((s * 1.301, 0.92, 0.0), (s, 0, 0), 1.8, 0.225, uv_rect=(0.0, 32 / 256, 1.0, 64 / 256))
    b.rect((0, 0.36, FRONT + 0.071), (0, 0, 1), 2.6, 0.12, uv_rect=(0.0, 66 / 256, 1.0, 94 / 256))
    b.rect((0, 0.36, REAR - 0.071), (0, 0, -1), 2.6, 0.12, uv_rect=(0.0, 66 / 256, 1.0, 94 / 256))

    # Cab: frame, roof and panels; the glass is a group of its own.
    c = m.group('cab', material=2, texture=2)
    cab = sw['cab']
    c.box(-1.05, 1.05, 2.35, 2.42, 2.85, 4.60, uv=cab)
    for x in (-1.02, 0.96):
        for z in (2.90, 4.49):
            c.box(x, x + 0.06, 1.30, 2.35, z, z + 0.06, uv=cab)
    for s in (-1, 1):
        c.face([(s * 1.02, 1.30, 2.90), (s * 1.02, 1.30, FRONT), (s * 1.02, 1.55, FRONT), (s * 1.02, 1.55, 2.90)],
               (s, 0, 0), [cab] * 4)
    c.face([(-1.02, 0.53, 2.90), (1.02, 0.53, 2.90), (1.02, 1.55, 2.90), (-1.02, 1.55, 2.90)], (0, 0, -1), [cab] * 4)
    c.face([(-1.02, 1.30, FRONT), (1.02, 1.30, FRONT), (1.02, 1.55, FRONT), (-1.02, 1.55, FRONT)], (0, 0, 1), [cab] * 4)
    c.box(-1.02, 1.02, 1.50, 1.55, 2.90, FRONT, uv=black, skip=('-y', '+y'))  # belt line

    gl = m.group('cab_glass', material=3)
    for s in (-1, 1):
        gl.face([(s * 1.02, 1.55, 2.96), (s * 1.02, 1.55, 4.49), (s * 1.02, 2.35, 4.49), (s * 1.02, 2.35, 2.96)], (s, 0, 0))
    gl.face([(-0.96, 1.55, FRONT), (0.96, 1.55, FRONT), (0.96, 2.35, FRONT), (-0.96, 2.35, FRONT)], (0, 0, 1))
    gl.face([(-0.96, 1.55, 2.90), (0.96, 1.55, 2.90), (0.96, 2.35, 2.90), (-0.96, 2.35, 2.90)], (0, 0, -1))

    # Towbar mounts: jaws with a vertical pin through the mount point, and
    # the bumpers.
    t = m.group('towbar_mounts', material=4)
    for zm, zb, s in ((5.0, FRONT, 1), (-3.41, REAR, -1)):
        z0, z1 = sorted((zb, zm + s * 0.08))
        t.box(-0.12, 0.12, 0.52, 0.57, z0, z1)
        t.box(-0.12, 0.12, 0.33, 0.38, z0, z1)
        t.cylinder((0, 0.45, zm), (0, 1, 0), 0.03, 0.28, segments=8)
        t.box(-1.30, 1.30, 0.30, 0.42, *sorted((zb, zb + s * 0.07)))

    def lenses(g, lamps, z_face):
        for (x, y, z), w, h in lamps:
            s = 1 if z_face > 0 else -1
            g.box(x - w / 2, x + w / 2, y - h / 2, y + h / 2, *sorted((z, z + s * 0.025)))

    w = m.group('lamps_white', material=5)
    lenses(w, HEAD_LAMPS, 1)
    lenses(w, REVERSE_LAMPS, -1)
    r = m.group('lamps_red', material=6)
    lenses(r, TAIL_LAMPS, -1)
    a = m.group('lamps_amber', material=7)
    lenses(a, INDICATORS[:2], -1)
    lenses(a, INDICATORS[2:], 1)
    for (x, y, z) in STROBES:
        a.cylinder((x, y + 0.06, z), (0, 1, 0), 0.08, 0.12, segments=10, radius1=0.06)

    return m, {'kvq7700_wheel.png': wheel_texture(), 'kvq7700_body.png': body_pic}


# ------------------------------------------------------------------ cockpit

# The dashboard and console faces, as planes through the reference points
# the cockpit's animations and areas use: DASH holds the gauges and the two
# lamp switches, CONSOLE_TOP the display keys and the realism switch,
# CONSOLE_FRONT the steering-mode switch and the refuel button.
DASH_N = (0.0, 0.766019, -0.642818)        # also the needles' axis
DASH_UP = (0.0, 0.642818, 0.766019)
CONSOLE_TOP_N = unit((0.0, 0.914, -0.406))
CONSOLE_TOP_UP = unit((0.0, 0.406, 0.914))
CONSOLE_FRONT_N = unit((0.0, 0.46, -0.888))
CONSOLE_FRONT_UP = unit((0.0, 0.888, 0.46))
COLUMN_AXIS = (0.0, -0.642818, 0.76604)
BUTTON_SHIFT = (0.0, 0.0091922, -0.0077138)

SPEEDO = (-0.48, 1.43437, 4.12454)
TACHO = (-0.72, 1.43437, 4.12455)
FUEL = (-0.6, 1.39581, 4.07858)
GAUGES = [  # centre, dial radius (m), sweep (deg), zero (deg clockwise from up), group, labels
    (SPEEDO, 0.062, 180, -90, 4, ['0', '10', '20', '30']),
    (TACHO, 0.062, 150, -75, 5, ['0', '', '10', '', '20', '']),
    (FUEL, 0.042, 120, -60, 3, ['E', '', 'F']),
]
THROTTLE_REF = (-0.448, 0.609, 3.941)
BRAKE_REF = (-0.748, 0.609, 3.941)
WHEEL_REF = (-0.6, 1.37, 3.787)
PARK_REF = (-0.037, 1.048, 3.464)
GEAR_REF = (-0.146, 0.933, 3.7)
BEACON_REF = (-0.9, 1.4, 4.077)
LIGHT_REF = (-0.9, 1.444, 4.137)
REALISM_REF = (-0.044, 1.335, 3.975)
STEER_MODE_REF = (-0.143891, 1.25191, 3.90956)

# Click areas (p1, p2, p3, p4) the parts must lie in.
AREA_PARK = [(-0.05, 1.11, 3.65), (-0.02, 1.11, 3.65), (-0.05, 1.06, 3.41), (-0.02, 1.06, 3.41)]
AREA_GEAR = [(-0.2, 1.11, 3.8), (-0.07, 1.11, 3.8), (-0.2, 1.11, 3.55), (-0.07, 1.11, 3.55)]
AREA_BEACON = [(-0.916925, 1.42634, 4.08132), (-0.890141, 1.42634, 4.08132), (-0.916925, 1.40218, 4.05076),
               (-0.890141, 1.40218, 4.05076)]
AREA_LIGHT = [(-0.916925, 1.47355, 4.14106), (-0.890141, 1.47355, 4.14106), (-0.916925, 1.4494, 4.11051),
              (-0.890141, 1.4494, 4.11051)]
AREA_REALISM = [(-0.0445655, 1.35983, 3.98485), (-0.0177821, 1.35983, 3.98485), (-0.0445655, 1.34402, 3.94926),
                (-0.0177821, 1.34402, 3.94926)]
AREA_REFUEL = [(-0.0431838, 1.26864, 3.91248), (-0.0188163, 1.26864, 3.91248), (-0.0431837, 1.24701, 3.90126),
               (-0.0188162, 1.24701, 3.90126)]
AREA_KEY1 = [(-0.306507, 1.35905, 4.00576), (-0.283493, 1.35905, 4.00576), (-0.306507, 1.34971, 3.98473),
             (-0.283493, 1.34971, 3.98473)]
KEY_GROUPS = [16, 15, 14, 17]  # display keys 1 to 4, left to right
STEER_SPHERE = ((-0.133891, 1.24728, 3.91843), 0.1)

# Texture 5: where the vessel finds and shows its pictures.
STEER_PICTURES = {'4WS': (15, 716), 'CRAB': (112, 720), '2WS': (208, 718)}  # 70 x 84
STEER_TARGET = (268, 469, 70, 84)
PARK_RELEASED, PARK_SET = (5, 630), (103, 630)   # 88 x 70
LIGHTS_OFF, LIGHTS_ON = (6, 634), (198, 634)     # 88 x 60
PARK_TARGET = (740, 874, 88, 70)
LIGHT_TARGET = (636, 876, 88, 60)
# Texture 1: the status display's rectangle.
DISPLAY_RECT = (13, 21, 498, 358)


def on_plane(origin, normal, up, right_m, up_m, out_m=0.0):
    right = unit(cross(normal, up))
    return add(add(add(origin, mul(right, right_m)), mul(up, up_m)), mul(unit(normal), out_m))


def display_texture():
    p = Picture(512, 512, 0x2b2b2b)
    x0, y0, x1, y1 = DISPLAY_RECT
    p.rect(x0 - 6, y0 - 6, x1 + 6, y1 + 6, 0x111111)
    p.rect(x0, y0, x1, y1, 0x0b1a12)
    for y in range(y0, y1, 4):  # faint scan lines
        p.rect(x0, y, x1, y + 1, 0x0d1e15)
    p.text_centred(256, 380, 'KVQ R7700 STATUS', 0x8a8a8a, 2)
    return p


def gauges_texture():
    """Three dial faces (speed km/h, engine x100 rpm, fuel) and the gear
    indicator's strip; a dial's picture up is the dashboard's up."""
    p = Picture(512, 512, 0x1a1a1a)
    centres = [(128, 128), (384, 128), (128, 384)]
    for (c, (cx, cy)) in zip(GAUGES, centres):
        _, _, sweep, zero, _, labels = c
        p.disc(cx, cy, 124, 0x9a9a9a)
        p.disc(cx, cy, 118, 0x141414)
        n = (len(labels) - 1) * 5
        for k in range(n + 1):
            a = deg(zero + sweep * k / n)
            major = k % 5 == 0
            r0 = 88 if major else 100
            p.line(cx + r0 * math.sin(a), cy - r0 * math.cos(a), cx + 112 * math.sin(a), cy - 112 * math.cos(a),
                   0xf0f0f0, 5 if major else 2.5)
            if major and labels[k // 5]:
                p.text_centred(cx + 66 * math.sin(a), cy - 66 * math.cos(a), labels[k // 5], 0xf0f0f0, 3)
        if labels[-1] == 'F':
            a = deg(zero + sweep * 0.1)
            p.line(cx + 92 * math.sin(a), cy - 92 * math.cos(a), cx + 112 * math.sin(a), cy - 112 * math.cos(a),
                   0xd02020, 6)
    names = ['KM/H', 'X100 RPM', 'FUEL']
    for (cx, cy), name in zip(centres, names):
        p.text_centred(cx, cy + 40, name, 0xb0b0b0, 2)
    # Gear strip (x 256..512, y 256..320): the marks where the indicator
    # stands in reverse, neutral, 1 and 2 (its shifts, 4000 px/m).
    p.rect(256, 256, 512, 320, 0x141414)
    for label, dx in (('R', -0.02), ('N', 0.0), ('1', 0.0225), ('2', 0.045)):
        p.text_centred(384 - 50 + dx * 4000, 296, label, 0xf0f0f0, 3)
    return p


def interior_texture():
    p = Picture(64, 64, 0x404040)
    sw = Swatches(p, 0, 0, 8, 8)
    for name, c in [('dash', 0x2a2c2e), ('console', 0x3a3c3e), ('wall', 0x8c8f92), ('floor', 0x1c1c1c),
                    ('seat', 0x2f3a4a), ('steel', 0x9a9a9a), ('black', 0x151515), ('trim', 0x55585b),
                    ('gate', 0x202020), ('rubber', 0x101010)]:
        sw.add(name, c)
    return p, sw


def crew_texture():
    p = Picture(64, 64, 0x808080)
    sw = Swatches(p, 0, 0, 16, 4)
    for name, c in [('vest', 0xff7a00), ('trousers', 0x1f2d4d), ('skin', 0xd9a27a), ('hair', 0x3a2a1a),
                    ('stripe', 0xd8d8d8), ('boots', 0x1a1a1a)]:
        sw.add(name, c)
    return p, sw


def steer_icon(p, x, y, mode):
    """A tractor seen from above with its wheels as the mode steers them."""
    p.rect(x, y, x + 70, y + 84, 0x101a14)
    p.frame(x, y, x + 70, y + 84, 0x3a6a4a, 2)
    cx = x + 35
    p.frame(cx - 14, y + 10, cx + 14, y + 58, 0x9fe0b0, 2)
    turns = {'2WS': (25, 0), '4WS': (25, -25), 'CRAB': (25, 25)}[mode]
    for k, (wy, turn) in enumerate(((y + 18, turns[0]), (y + 50, turns[1]))):
        for side in (-1, 1):
            wx = cx + side * 21
            a = deg(turn)
            dx, dy = 7 * math.sin(a), 7 * math.cos(a)
            p.line(wx - dx, wy + dy, wx + dx, wy - dy, 0x9fe0b0, 5)
    p.text_centred(cx, y + 73, mode, 0x9fe0b0, 2)


def panel_texture():
    """Texture 5: the pictures the vessel copies, where it copies them from
    and, to start with, where it shows them; and the panel's labels."""
    p = Picture(1024, 1024, 0x262829)
    # Parking brake released, and the same corner as the lights-off
    # picture: the vessel reads both from (5..94, 630..700).
    p.rect(5, 630, 94, 700, 0x303234)
    p.frame(5, 630, 94, 700, 0x5a5e62, 2)
    p.text_centred(50, 665, 'OFF', 0xa0a4a8, 3)
    # Parking brake set.
    x, y = PARK_SET
    p.rect(x, y, x + 88, y + 70, 0x5a0c0c)
    p.frame(x, y, x + 88, y + 70, 0xff4040, 2)
    p.disc(x + 44, y + 26, 17, 0xff4040)
    p.disc(x + 44, y + 26, 13, 0x5a0c0c)
    p.text_centred(x + 44, y + 26, 'P', 0xff4040, 2)
    p.text_centred(x + 44, y + 56, 'PARK', 0xff6060, 2)
    # Lights on.
    x, y = LIGHTS_ON
    p.rect(x, y, x + 88, y + 60, 0x4a3a08)
    p.frame(x, y, x + 88, y + 60, 0xffd040, 2)
    p.disc(x + 26, y + 30, 12, 0xffd040)
    for k in range(3):
        p.line(x + 44, y + 20 + 10 * k, x + 58, y + 20 + 10 * k, 0xffd040, 3)
    p.text_centred(x + 72, y + 30, 'ON', 0xffd040, 2)
    for mode, (x, y) in STEER_PICTURES.items():
        steer_icon(p, x, y, mode)
    # What the cockpit shows at first: front-wheel steering, brake
    # released, lights off.
    sx, sy = STEER_PICTURES['2WS']
    p.copy(sx, sy, 70, 84, STEER_TARGET[0], STEER_TARGET[1])
    p.copy(PARK_RELEASED[0], PARK_RELEASED[1], 88, 70, PARK_TARGET[0], PARK_TARGET[1])
    p.copy(LIGHTS_OFF[0], LIGHTS_OFF[1], 88, 60, LIGHT_TARGET[0], LIGHT_TARGET[1])
    # Labels, 128 x 32 each, in the top rows.
    labels = ['LIGHTS', 'BEACON', 'REALISM', 'REFUEL', 'MODE', 'GEAR', 'BRAKE']
    places = {}
    for k, text in enumerate(labels):
        x, y = (k % 8) * 128, (k // 8) * 32
        p.rect(x + 2, y + 2, x + 126, y + 30, 0x1a1c1d)
        p.text_centred(x + 64, y + 16, text, 0xe0e0e0, 2)
        places[text] = (x + 2, y + 2, x + 126, y + 30)
    # The gear gate: N, R, 1, 2 from front to back (x 0..128, y 64..320).
    p.rect(0, 64, 128, 320, 0x1a1c1d)
    for text, v in (('N', 0.06), ('R', 0.295), ('1', 0.66), ('2', 0.925)):
        p.text_centred(100, 64 + 256 * v, text, 0xe0e0e0, 3)
    p.rect(40, 70, 56, 314, 0x050505)  # the slot
    places['GATE'] = (0, 64, 128, 320)
    return p, places


def uvr(rect, size):
    x0, y0, x1, y1 = rect
    return (x0 / size, y0 / size, x1 / size, y1 / size)


def cockpit():
    m = Mesh('KVQ R7700 cab (virtual cockpit). Written by addons/meshes/make_meshes.py.\n'
             'Moving parts are modelled around the reference points of their animations.')
    # Materials, numbered from 0 as the vessel sets them.
    m.materials = [
        Material('needles', (0.8, 0, 0, 1), specular=(0.823529, 0.823529, 0.823529, 1), emissive=(0.2, 0, 0, 1)),
        Material('dials', (1, 1, 1, 1), specular=(1, 1, 1, 1), emissive=(0.2, 0.2, 0.2, 0.2)),
        Material('lamp_left', (43 / 255, 150 / 255, 1 / 255, 1), specular=(0.9, 0.9, 0.9, 1), power=40,
                 emissive=(0, 0.1, 0, 1)),
        Material('interior', (1, 1, 1, 1), specular=(0.2, 0.2, 0.2, 1), power=10),
        Material('crew', (1, 1, 1, 1), specular=(0.1, 0.1, 0.1, 1), power=5),
        Material('lamp_right', (43 / 255, 150 / 255, 1 / 255, 1), specular=(0.9, 0.9, 0.9, 1), power=40,
                 emissive=(0, 0.1, 0, 1)),
        Material('controls', (0.12, 0.12, 0.12, 1), specular=(0.5, 0.5, 0.5, 1), power=20),
        Material('keys', (0.87451, 0.87451, 0.87451, 1), specular=(0.9, 0.9, 0.9, 1), emissive=(0.2, 0.2, 0.2, 1)),
        Material('screen', (1, 1, 1, 1), emissive=(0.85, 0.85, 0.85, 1)),
        Material('pictures', (1, 1, 1, 1), specular=(1, 1, 1, 1), emissive=(0.5, 0.5, 0.5, 0.5)),
    ]
    m.textures = ['kvq7700_vc_display.dds', 'kvq7700_vc_gauges.dds', 'kvq7700_vc_interior.dds',
                  'kvq7700_vc_crew.dds', 'kvq7700_vc_panel.dds']
    interior_pic, isw = interior_texture()
    crew_pic, csw = crew_texture()
    panel_pic, places = panel_texture()
    groups = [None] * 26
    spec = {  # group: (label, material (0-based), texture)
        0: ('status_display', 8, 1), 1: ('throttle_pedal', 6, 0), 2: ('brake_pedal', 6, 0),
        3: ('fuel_needle', 0, 0), 4: ('speedometer_needle', 0, 0), 5: ('tachometer_needle', 0, 0),
        6: ('gear_indicator', 0, 0), 7: ('indicator_lamp_left', 2, 0), 8: ('indicator_lamp_right', 5, 0),
        9: ('dials', 1, 2), 10: ('steering_wheel', 6, 0), 11: ('light_switch', 6, 0), 12: ('beacon_switch', 6, 0),
        13: ('realism_switch', 6, 0), 14: ('display_key_3', 7, 0), 15: ('display_key_2', 7, 0),
        16: ('display_key_1', 7, 0), 17: ('display_key_4', 7, 0), 18: ('panel_pictures', 9, 5),
        19: ('gear_lever', 6, 0), 20: ('parking_brake', 6, 0), 21: ('refuel_button', 7, 0),
        22: ('steering_mode_switch', 6, 0), 23: ('cab_inside', 3, 3), 24: ('crew_driver', 4, 4),
        25: ('crew_passenger', 4, 4),
    }
    for i in range(26):
        label, mat, tex = spec[i]
        groups[i] = m.group(label, material=mat + 1, texture=tex)
    G = groups

    # -- cab inside (group 23): floor, walls, dashboard, console, seats
    cab = G[23]
    dash, console, wall, floor, seat, steel, black, trim = (isw[k] for k in (
        'dash', 'console', 'wall', 'floor', 'seat', 'steel', 'black', 'trim'))
    cab.face([(-0.98, 0.55, 2.95), (0.98, 0.55, 2.95), (0.98, 0.55, 4.45), (-0.98, 0.55, 4.45)], (0, 1, 0), [floor] * 4)
    for s in (-1, 1):
        cab.face([(s * 0.98, 0.55, 2.95), (s * 0.98, 0.55, 4.45), (s * 0.98, 1.50, 4.45), (s * 0.98, 1.50, 2.95)],
                 (-s, 0, 0), [wall] * 4)
        cab.box(*sorted((s * 0.98, s * 0.94)), 1.08, 1.34, 3.66, 4.04, uv=trim)  # door handle recess
    cab.face([(-0.98, 0.55, 2.95), (0.98, 0.55, 2.95), (0.98, 1.50, 2.95), (-0.98, 1.50, 2.95)], (0, 0, 1), [wall] * 4)
    # The driver's dashboard: its face is the plane of the gauges.
    fuel = FUEL
    def dash_point(u):
        return (fuel[1] + u * DASH_UP[1], fuel[2] + u * DASH_UP[2])
    lo, hi = dash_point(-0.07), dash_point(0.16)
    driver_dash = [(0.55, 4.03), (lo[0], lo[1]), (hi[0], hi[1]), (1.53, 4.32), (1.46, 4.45), (0.55, 4.45)]
    cab.prism_x(driver_dash, -0.98, -0.34, uv=dash)
    cab.prism_x(driver_dash, 0.03, 0.98, uv=dash)
    # The console: its front face and top are the planes of the switches
    # and keys there, then a shelf with the gear gate and the brake lever.
    def plane_y(n, point, z):
        return point[1] - (z - point[2]) * (-n[2]) / n[1]
    edge_z = 3.9456
    console_poly = [(0.55, 3.831), (1.10, 3.831), (plane_y(CONSOLE_FRONT_N, STEER_MODE_REF, edge_z), edge_z),
                    (plane_y(CONSOLE_TOP_N, REALISM_REF, 4.20), 4.20), (1.46, 4.45), (0.55, 4.45)]
    cab.prism_x(console_poly, -0.34, 0.03, uv=console)
    cab.box(-0.22, -0.06, 0.55, 1.10, 3.35, 3.831, uv=console)
    cab.box(-0.06, 0.03, 0.55, 1.04, 3.35, 3.831, uv=console)
    # Steering column.
    cab.cylinder(add(WHEEL_REF, mul(COLUMN_AXIS, 0.16)), COLUMN_AXIS, 0.035, 0.3, segments=8, uv=black)
    # Seats.
    for x0, x1 in ((-0.85, -0.35), (0.35, 0.85)):
        cab.box(x0, x1, 0.55, 1.12, 3.0, 3.48, uv=seat)
        cab.solid([(x0, 1.12, 2.98), (x1, 1.12, 2.98), (x0, 1.12, 3.12), (x1, 1.12, 3.12),
                   (x0, 1.86, 2.92), (x1, 1.86, 2.92), (x0, 1.86, 3.04), (x1, 1.86, 3.04)],
                  [[0, 1, 3, 2], [4, 5, 7, 6], [0, 1, 5, 4], [2, 3, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5]], uv=seat)

    # -- gauges: faces (group 9), needles (3, 4, 5), gear strip and marker (6)
    g_size = 512.0
    centres = [(128, 128), (384, 128), (128, 384)]
    for (centre, radius, sweep, zero, grp, _), (px, py) in zip(GAUGES, centres):
        r_px = 124
        G[9].rect(add(centre, mul(DASH_N, 0.0015)), DASH_N, 2 * radius, 2 * radius,
                  uv_rect=((px - r_px) / g_size, (py - r_px) / g_size, (px + r_px) / g_size, (py + r_px) / g_size),
                  up=DASH_UP)
        # Needle at its zero mark (animation state 0): a thin spike.
        a = deg(zero)
        right = unit(cross(DASH_N, DASH_UP))
        d = add(mul(DASH_UP, math.cos(a)), mul(right, math.sin(a)))
        side = add(mul(DASH_UP, -math.sin(a)), mul(right, math.cos(a)))
        base = add(centre, mul(DASH_N, 0.004))
        tip = add(base, mul(d, radius * 0.86))
        back = add(base, mul(d, -radius * 0.18))
        w = radius * 0.06
        G[grp].face([back, add(base, mul(side, w)), tip, add(base, mul(side, -w))], DASH_N)
        G[grp].cylinder(add(centre, mul(DASH_N, 0.005)), DASH_N, radius * 0.1, 0.004, segments=8)
    # Gear strip: between speedometer and tachometer, above the fuel gauge.
    strip_c = on_plane(FUEL, DASH_N, DASH_UP, 0.0, 0.095, 0.0015)
    G[9].rect(strip_c, DASH_N, 0.064, 0.016, uv_rect=(256 / g_size, 256 / g_size, 1.0, 320 / g_size), up=DASH_UP)
    # The marker stands above the strip's N (0.0125 left of the strip's middle,
    # as the strip picture puts it) and moves along x with the gear.
    n_mark = on_plane(FUEL, DASH_N, DASH_UP, -0.0125, 0.095 + 0.011, 0.003)
    G[6].face([add(n_mark, mul(DASH_UP, 0.006)), add(n_mark, (0.004, 0, 0)), add(n_mark, (-0.004, 0, 0))], DASH_N)
    # Indicator lamps, left of the tachometer and right of the speedometer.
    for grp, r_m in ((7, -0.20), (8, 0.20)):
        c = on_plane(FUEL, DASH_N, DASH_UP, r_m, 0.10, 0.002)
        s = -1 if grp == 7 else 1
        G[grp].face([add(c, (s * 0.016, 0, 0)), add(add(c, (-s * 0.006, 0, 0)), mul(DASH_UP, 0.012)),
                     add(add(c, (-s * 0.006, 0, 0)), mul(DASH_UP, -0.012))], DASH_N)

    # -- pedals (1, 2): pivot at the floor end, pad up and back
    for grp, ref in ((1, THROTTLE_REF), (2, BRAKE_REF)):
        x, y, z = ref
        G[grp].box(x - 0.015, x + 0.015, y, y + 0.18, z - 0.03, z - 0.005)
        G[grp].solid([(x - 0.045, y + 0.10, z - 0.09), (x + 0.045, y + 0.10, z - 0.09),
                      (x - 0.045, y + 0.24, z - 0.05), (x + 0.045, y + 0.24, z - 0.05),
                      (x - 0.045, y + 0.10, z - 0.07), (x + 0.045, y + 0.10, z - 0.07),
                      (x - 0.045, y + 0.24, z - 0.03), (x + 0.045, y + 0.24, z - 0.03)],
                     [[0, 1, 3, 2], [4, 5, 7, 6], [0, 1, 5, 4], [2, 3, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5]])

    # -- steering wheel (10): rim in the plane across the column, spokes,
    # and a knob at the top so that turns show
    w = G[10]
    right = (1.0, 0.0, 0.0)
    up = unit(cross(right, COLUMN_AXIS))
    up = mul(up, 1 if up[1] > 0 else -1)
    seg = 16
    for i in range(seg):
        a0, a1 = 2 * PI * i / seg, 2 * PI * (i + 1) / seg
        mid_a = (a0 + a1) / 2
        cm = add(WHEEL_REF, add(mul(right, 0.19 * math.sin(mid_a)), mul(up, 0.19 * math.cos(mid_a))))
        tangent = unit(sub(add(mul(right, math.sin(a1)), mul(up, math.cos(a1))),
                           add(mul(right, math.sin(a0)), mul(up, math.cos(a0)))))
        w.cylinder(cm, tangent, 0.014, 0.19 * 2 * math.sin(PI / seg) + 0.006, segments=6)
    for a in (deg(90), deg(-90), deg(180)):
        d = add(mul(right, math.sin(a)), mul(up, math.cos(a)))
        w.cylinder(add(WHEEL_REF, mul(d, 0.095)), d, 0.01, 0.19, segments=6)
    w.cylinder(WHEEL_REF, COLUMN_AXIS, 0.04, 0.04, segments=10)
    w.sphere(add(WHEEL_REF, mul(up, 0.19)), 0.022, segments=8)

    # -- toggle switches (11, 12 on the dashboard, 13 on the console): a
    # stick from the pivot out to the middle of the click area
    def toggle(g, ref, normal, up_dir, x):
        base = (x, ref[1], ref[2])
        stick_c = add(base, mul(normal, 0.011))
        g.cylinder(stick_c, normal, 0.0035, 0.022, segments=6)
        g.sphere(add(base, mul(normal, 0.022)), 0.006, segments=6)
        g.rect(add(base, mul(normal, 0.0008)), normal, 0.022, 0.03, up=up_dir)  # bezel plate
    toggle(G[11], LIGHT_REF, DASH_N, DASH_UP, -0.9035)
    toggle(G[12], BEACON_REF, DASH_N, DASH_UP, -0.9035)
    toggle(G[13], REALISM_REF, CONSOLE_TOP_N, CONSOLE_TOP_UP, -0.0312)

    # -- display keys (16, 15, 14, 17) and the refuel button (21): caps
    # standing out of their click areas, pushed in by the button shift
    def key(g, quad, normal, height):
        c = mul(add(add(quad[0], quad[1]), add(quad[2], quad[3])), 0.25)
        width = quad[1][0] - quad[0][0] - 0.003
        depth = math.dist(quad[0], quad[2]) - 0.003
        up_dir = unit(sub(quad[0], quad[2]))
        right = (1.0, 0.0, 0.0)
        corners = []
        for hgt in (0.0, height):
            for du, dr in ((1, -1), (1, 1), (-1, -1), (-1, 1)):
                corners.append(add(add(add(c, mul(up_dir, du * depth / 2)), mul(right, dr * width / 2)),
                                   mul(normal, hgt)))
        g.solid(corners, [[0, 1, 3, 2], [4, 5, 7, 6], [0, 1, 5, 4], [2, 3, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5]])
    for k, grp in enumerate(KEY_GROUPS):
        quad = [add(p, (0.05 * k, 0, 0)) for p in AREA_KEY1]
        key(G[grp], [sub(p, mul(CONSOLE_TOP_N, 0.0)) for p in quad], CONSOLE_TOP_N, 0.010)
    key(G[21], [sub(p, mul(CONSOLE_FRONT_N, 0.006)) for p in AREA_REFUEL], CONSOLE_FRONT_N, 0.012)

    # -- status display (0): texture 1, the bezel around the display's rectangle
    disp_c = on_plane(AREA_KEY1[0], CONSOLE_TOP_N, CONSOLE_TOP_UP, 0.0, 0.0, 0.0)
    disp_c = (-0.2195, disp_c[1], disp_c[2])
    disp_c = add(add(disp_c, mul(CONSOLE_TOP_UP, 0.012 + 0.157 / 2)), mul(CONSOLE_TOP_N, -0.006))
    G[0].rect(disp_c, CONSOLE_TOP_N, 0.211, 0.157, uv_rect=(0, 0, 1, 372 / 512), up=CONSOLE_TOP_UP)

    # -- gear lever (19): stick from its pivot under the gate up through it,
    # knob just above the gate
    x, y, z = GEAR_REF
    G[19].box(x - 0.006, x + 0.006, y, y + 0.19, z - 0.006, z + 0.006)
    G[19].sphere((x, y + 0.20, z), 0.022, segments=8, scale=(1, 0.8, 1))
    # -- parking brake (20): a lever lying along its click area, pivot at the back
    x, y, z = PARK_REF
    tip = (-0.035, 1.095, 3.62)
    G[20].solid([(x - 0.008, y - 0.004, z), (x + 0.008, y - 0.004, z), (x - 0.008, y + 0.012, z),
                 (x + 0.008, y + 0.012, z), (tip[0] - 0.008, tip[1] - 0.006, tip[2]),
                 (tip[0] + 0.008, tip[1] - 0.006, tip[2]), (tip[0] - 0.008, tip[1] + 0.008, tip[2]),
                 (tip[0] + 0.008, tip[1] + 0.008, tip[2])],
                [[0, 1, 3, 2], [4, 5, 7, 6], [0, 1, 5, 4], [2, 3, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5]])
    G[20].cylinder(tip, (0, 0.2, 1), 0.012, 0.05, segments=8)
    # -- steering-mode switch (22): a lever out of the console's front
    base = STEER_MODE_REF
    G[22].cylinder(add(base, mul(CONSOLE_FRONT_N, 0.015)), CONSOLE_FRONT_N, 0.005, 0.03, segments=6)
    G[22].sphere(add(base, mul(CONSOLE_FRONT_N, 0.032)), 0.011, segments=8)
    G[22].rect(add(base, mul(CONSOLE_FRONT_N, 0.0008)), CONSOLE_FRONT_N, 0.03, 0.045, up=CONSOLE_FRONT_UP)

    # -- pictures and labels (18, texture 5)
    P = G[18]
    size = 1024.0
    lt = LIGHT_TARGET
    P.rect(on_plane(LIGHT_REF, DASH_N, DASH_UP, 0.07, 0.0, 0.0015), DASH_N, 0.044, 0.030,
           uv_rect=uvr((lt[0], lt[1], lt[0] + lt[2], lt[1] + lt[3]), size), up=DASH_UP)
    st = STEER_TARGET
    P.rect(add((-0.2, 1.205, 0), (0, 0, (0.46 * 1.205 + 2.8958) / 0.888 - 0.0015)), CONSOLE_FRONT_N, 0.035, 0.042,
           uv_rect=uvr((st[0], st[1], st[0] + st[2], st[1] + st[3]), size), up=CONSOLE_FRONT_UP)
    pt = PARK_TARGET
    P.rect((0.006, 1.0415, 3.70), (0, 1, 0), 0.040, 0.032, uv_rect=uvr((pt[0], pt[1], pt[0] + pt[2], pt[1] + pt[3]), size),
           up=(0, 0, 1))
    def label(text, centre, normal, up_dir, width=0.05):
        P.rect(centre, normal, width, width * 28 / 124, uv_rect=uvr(places[text], size), up=up_dir)
    label('LIGHTS', on_plane(LIGHT_REF, DASH_N, DASH_UP, 0.035 + 0.07, 0.0, 0.0015), DASH_N, DASH_UP, 0.03)
    label('BEACON', on_plane(BEACON_REF, DASH_N, DASH_UP, 0.04, 0.0, 0.0015), DASH_N, DASH_UP, 0.04)
    label('REALISM', on_plane(REALISM_REF, CONSOLE_TOP_N, CONSOLE_TOP_UP, 0.0, 0.022, 0.0015),
          CONSOLE_TOP_N, CONSOLE_TOP_UP, 0.035)
    label('MODE', (-0.2, 1.258, (0.46 * 1.258 + 2.8958) / 0.888 - 0.0015), CONSOLE_FRONT_N, CONSOLE_FRONT_UP, 0.03)
    label('REFUEL', (-0.031, 1.285, (0.46 * 1.285 + 2.8958) / 0.888 - 0.0015), CONSOLE_FRONT_N, CONSOLE_FRONT_UP, 0.03)
    gx0, gy0, gx1, gy1 = places['GATE']
    P.face([(-0.2, 1.1015, 3.8), (-0.07, 1.1015, 3.8), (-0.07, 1.1015, 3.55), (-0.2, 1.1015, 3.55)], (0, 1, 0),
           [(gx0 / size, gy0 / size), (gx1 / size, gy0 / size), (gx1 / size, gy1 / size), (gx0 / size, gy1 / size)])

    # -- crew figures (24 driver, 25 passenger): seated, the head behind
    # the cockpit's eye points
    for grp, x in ((24, -0.6), (25, 0.6)):
        f = G[grp]
        vest, trousers, skin, hair, boots = (csw[k] for k in ('vest', 'trousers', 'skin', 'hair', 'boots'))
        f.box(x - 0.18, x + 0.18, 1.14, 1.62, 3.06, 3.30, uv=vest)            # torso
        f.box(x - 0.07, x + 0.07, 1.62, 1.68, 3.13, 3.25, uv=skin)            # neck
        f.sphere((x, 1.79, 3.20), 0.11, segments=10, uv=skin, scale=(0.9, 1.1, 1.0))
        f.sphere((x, 1.83, 3.17), 0.105, segments=10, uv=hair, scale=(0.95, 0.9, 1.0))
        for s in (-1, 1):
            lx = x + s * 0.09
            f.box(lx - 0.075, lx + 0.075, 1.12, 1.26, 3.10, 3.62, uv=trousers)  # thigh
            f.box(lx - 0.06, lx + 0.06, 0.62, 1.20, 3.56, 3.70, uv=trousers)    # shin
            f.box(lx - 0.06, lx + 0.06, 0.55, 0.64, 3.56, 3.86, uv=boots)
            ax = x + s * 0.23
            f.box(ax - 0.05, ax + 0.05, 1.22, 1.58, 3.10, 3.24, uv=vest)        # upper arm
            f.box(ax - 0.045, ax + 0.045, 1.20, 1.30, 3.24, 3.50, uv=vest)      # forearm
            f.box(ax - 0.04, ax + 0.04, 1.19, 1.29, 3.50, 3.58, uv=skin)        # hand

    pictures = {'kvq7700_vc_display.png': display_texture(), 'kvq7700_vc_gauges.png': gauges_texture(),
                'kvq7700_vc_interior.png': interior_pic, 'kvq7700_vc_crew.png': crew_pic,
                'kvq7700_vc_panel.png': panel_pic}
    return m, pictures


# ------------------------------------------------------------------ towbar

def towbar():
    m = Mesh('Towbar, 6.5 m from the tractor\'s mount (origin) to the aircraft\'s tow fitting.\n'
             'Written by addons/meshes/make_meshes.py.')
    m.materials = [Material('paint', (0.95, 0.72, 0.05, 1), specular=(0.4, 0.4, 0.4, 1), power=20),
                   Material('steel', (0.3, 0.3, 0.32, 1), specular=(0.6, 0.6, 0.6, 1), power=30),
                   Material('tyre', (0.1, 0.1, 0.1, 1))]
    bar = m.group('bar', material=1)
    bar.box(-0.05, 0.05, -0.05, 0.05, 0.25, 6.2)
    for s in (-1, 1):  # the A-frame near the tractor's end
        bar.solid([(s * 0.04, -0.04, 0.25), (s * 0.04, 0.04, 0.25), (s * 0.04, -0.04, 0.35), (s * 0.04, 0.04, 0.35),
                   (s * 0.32, -0.04, 1.45), (s * 0.32, 0.04, 1.45), (s * 0.32, -0.04, 1.55), (s * 0.32, 0.04, 1.55)],
                  [[0, 1, 3, 2], [4, 5, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5], [0, 1, 5, 4], [2, 3, 7, 6]])
    bar.box(-0.34, 0.34, -0.04, 0.04, 1.45, 1.55)
    ends = m.group('fittings', material=2)
    ends.cylinder((0, 0, 0), (0, 1, 0), 0.12, 0.06, segments=12)          # lunette ring on the tractor's pin
    ends.box(-0.04, 0.04, -0.03, 0.03, 0.1, 0.3)
    ends.box(-0.14, 0.14, -0.06, 0.06, 6.2, 6.45)                          # aircraft head
    ends.cylinder((0, 0, 6.5), (1, 0, 0), 0.03, 0.3, segments=8)
    wheels = m.group('wheels', material=3)
    for s in (-1, 1):
        wheels.cylinder((s * 0.42, -0.26, 1.5), (1, 0, 0), 0.2, 0.1, segments=12)
    return m, {}


# ------------------------------------------------------------------ crew on foot

SUITS = {  # mesh file under Meshes/UMmu: vest colour
    'UMMu': 0xff7a00, 'UMMup': 0x2050c0, 'UMMuSEC': 0x202020, 'UMMuVIP': 0x7a1a7a, 'UMMuSCI': 0xe0e0e0,
    'UMMuMED': 0x20a060, 'UMMuTECH': 0xffd000,
}


def crew_member(vest_colour):
    """Standing, feet on the vessel's origin, facing +z."""
    m = Mesh('A crew member on foot. Written by addons/meshes/make_meshes.py.')
    m.materials = [Material('suit', (1, 1, 1, 1), specular=(0.1, 0.1, 0.1, 1), power=5)]
    pic = Picture(64, 64, 0x808080)
    sw = Swatches(pic, 0, 0, 16, 4)
    for name, c in [('vest', vest_colour), ('trousers', 0x1f2d4d), ('skin', 0xd9a27a), ('hair', 0x3a2a1a),
                    ('stripe', 0xd8d8d8), ('boots', 0x1a1a1a)]:
        sw.add(name, c)
    f = m.group('body', material=1, texture=1)
    f.box(-0.19, 0.19, 0.92, 1.50, -0.12, 0.12, uv=sw['vest'])
    f.box(-0.195, 0.195, 1.10, 1.16, -0.125, 0.125, uv=sw['stripe'])
    f.box(-0.07, 0.07, 1.50, 1.56, -0.05, 0.05, uv=sw['skin'])
    f.sphere((0, 1.67, 0.0), 0.11, segments=10, uv=sw['skin'], scale=(0.9, 1.1, 1.0))
    f.sphere((0, 1.71, -0.03), 0.105, segments=10, uv=sw['hair'], scale=(0.95, 0.9, 1.0))
    for s in (-1, 1):
        f.box(s * 0.10 - 0.075, s * 0.10 + 0.075, 0.08, 0.94, -0.08, 0.08, uv=sw['trousers'])
        f.box(s * 0.10 - 0.07, s * 0.10 + 0.07, 0.0, 0.09, -0.09, 0.16, uv=sw['boots'])
        f.box(s * 0.25 - 0.05, s * 0.25 + 0.05, 0.82, 1.46, -0.06, 0.06, uv=sw['vest'])
        f.box(s * 0.25 - 0.04, s * 0.25 + 0.04, 0.72, 0.82, -0.05, 0.05, uv=sw['skin'])
    return m, pic


# ------------------------------------------------------------------ airliner

# Its class: nose wheel touching down at z 11, main wheels at x +-3, z -1.5,
# the ground 3 m under the origin, the tow fitting at (0, -2.54, 11.5).
GROUND = -3.0
NOSE_GEAR_Z, MAIN_GEAR_X, MAIN_GEAR_Z = 11.0, 3.0, -1.5
TOW_POINT = (0.0, -2.54, 11.5)
FUSELAGE_R, AXIS_Y = 1.98, 0.55


def airliner_texture():
    p = Picture(512, 256, 0xf2f2f2)
    sw = Swatches(p, 0, 0, 16, 32)
    for name, c in [('white', 0xf2f2f2), ('grey', 0xb8bcc0), ('dark', 0x303438), ('blue', 0x1c3f94),
                    ('tyre', 0x141414), ('steel', 0x8a8e92), ('window', 0x20242a), ('belly', 0xd0d4d8)]:
        sw.add(name, c)
    # Fuselage skin, y 32..256: v runs round the fuselage from the top (v 32)
    # to the keel (v 256); u runs nose (0) to tail (1). A cheat line and a
    # row of cabin windows along the side.
    p.rect(0, 32, 512, 256, 0xf2f2f2)
    p.rect(0, 200, 512, 256, 0xd0d4d8)
    p.rect(0, 150, 512, 160, 0x1c3f94)
    for k in range(60):
        x = 60 + k * 6.4
        if x < 450:
            p.rect(int(x), 128, int(x) + 3, 136, 0x20242a)
    p.rect(8, 120, 30, 134, 0x20242a)  # cockpit windows
    return p, sw


def airliner():
    m = Mesh('Narrow-body airliner (sample class "Airliner"), 38 m long, 34 m span.\n'
             'Written by addons/meshes/make_meshes.py.')
    m.materials = [Material('skin', (1, 1, 1, 1), specular=(0.6, 0.6, 0.6, 1), power=30),
                   Material('metal', (0.72, 0.74, 0.76, 1), specular=(0.6, 0.6, 0.6, 1), power=30),
                   Material('tyre', (0.08, 0.08, 0.08, 1))]
    m.textures = ['airliner.dds']
    pic, sw = airliner_texture()
    nose_z, tail_z = 16.2, -21.6
    # Fuselage: rings of (z, radius, centre height), 16 sides.
    rings = [(nose_z, 0.0, AXIS_Y - 0.5), (nose_z - 0.6, 0.9, AXIS_Y - 0.35), (nose_z - 1.8, 1.55, AXIS_Y - 0.12),
             (nose_z - 3.5, 1.92, AXIS_Y), (nose_z - 6.0, FUSELAGE_R, AXIS_Y), (-12.0, FUSELAGE_R, AXIS_Y),
             (-16.0, 1.6, AXIS_Y + 0.35), (-19.5, 0.9, AXIS_Y + 0.9), (tail_z, 0.25, AXIS_Y + 1.3)]
    f = m.group('fuselage', material=1, texture=1)
    sides = 16
    length = nose_z - tail_z
    def ring_point(k, i):
        z, r, cy = rings[k]
        a = 2 * PI * i / sides
        return (r * math.sin(a), cy + r * math.cos(a), z)
    def ring_uv(k, i):
        z = rings[k][0]
        a = (i % (sides + 1)) / sides
        around = a if a <= 0.5 else 1 - a  # both sides alike: top 0, keel 0.5
        return ((nose_z - z) / length, (32 + around * 2 * 224) / 256)
    for k in range(len(rings) - 1):
        for i in range(sides):
            quad = [ring_point(k, i), ring_point(k, i + 1), ring_point(k + 1, i + 1), ring_point(k + 1, i)]
            uvs = [ring_uv(k, i), ring_uv(k, i + 1), ring_uv(k + 1, i + 1), ring_uv(k + 1, i)]
            if rings[k][1] == 0:
                quad, uvs = quad[1:], uvs[1:]
            mid = mul(add(add(quad[0], quad[1]), quad[2]), 1.0 / 3)
            axis_pt = (0, rings[k][2], mid[2])
            f.face(quad, sub(mid, axis_pt), uvs)
    f.face([ring_point(len(rings) - 1, i) for i in range(sides)], (0, 0, -1), [sw['grey']] * sides)

    wings = m.group('wings_and_tail', material=1, texture=1)
    grey = sw['grey']
    def wing(root_le, root_te, tip_le, tip_te, root_y, tip_y, t_root, t_tip, s):
        """One wing as a thin solid: (z of leading/trailing edge at root and tip)."""
        rx, tx = s * 1.6, s * 17.0
        pts = [(rx, root_y + t_root, root_le), (rx, root_y + t_root * 0.6, root_te), (tx, tip_y + t_tip, tip_le),
               (tx, tip_y + t_tip * 0.6, tip_te), (rx, root_y - t_root * 0.3, root_le), (rx, root_y - t_root * 0.2, root_te),
               (tx, tip_y - t_tip * 0.3, tip_le), (tx, tip_y - t_tip * 0.2, tip_te)]
        wings.solid(pts, [[0, 1, 3, 2], [4, 5, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5], [0, 1, 5, 4], [2, 3, 7, 6]], uv=grey)
    for s in (-1, 1):
        wing(3.2, -3.4, -4.6, -6.4, AXIS_Y - 1.25, AXIS_Y - 1.25 + 15.4 * math.tan(deg(5)), 0.45, 0.12, s)
        # Horizontal tail.
        hx0, hx1 = s * 0.8, s * 6.2
        pts = [(hx0, AXIS_Y + 1.05, -16.6), (hx0, AXIS_Y + 1.05, -20.2), (hx1, AXIS_Y + 1.6, -19.6),
               (hx1, AXIS_Y + 1.6, -21.0), (hx0, AXIS_Y + 0.85, -16.6), (hx0, AXIS_Y + 0.85, -20.2),
               (hx1, AXIS_Y + 1.5, -19.6), (hx1, AXIS_Y + 1.5, -21.0)]
        wings.solid(pts, [[0, 1, 3, 2], [4, 5, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5], [0, 1, 5, 4], [2, 3, 7, 6]], uv=grey)
    fin_top = GROUND + 11.76
    pts = [(-0.15, AXIS_Y + 1.2, -14.2), (-0.15, AXIS_Y + 1.4, -20.8), (-0.06, fin_top, -19.6), (-0.06, fin_top, -21.4),
           (0.15, AXIS_Y + 1.2, -14.2), (0.15, AXIS_Y + 1.4, -20.8), (0.06, fin_top, -19.6), (0.06, fin_top, -21.4)]
    wings.solid(pts, [[0, 1, 3, 2], [4, 5, 7, 6], [0, 2, 6, 4], [1, 3, 7, 5], [0, 1, 5, 4], [2, 3, 7, 6]], uv=sw['blue'])

    eng = m.group('engines', material=1, texture=1)
    for s in (-1, 1):
        c = (s * 5.75, AXIS_Y - 2.05, 2.6)
        eng.cylinder(c, (0, 0, 1), 0.95, 4.2, segments=14, uv=sw['white'], caps=False, radius1=1.05)
        eng.face([(c[0] + 0.8 * math.sin(2 * PI * i / 14), c[1] + 0.8 * math.cos(2 * PI * i / 14), c[2] + 2.05)
                  for i in range(14)], (0, 0, 1), [sw['dark']] * 14)
        eng.face([(c[0] + 0.7 * math.sin(2 * PI * i / 14), c[1] + 0.7 * math.cos(2 * PI * i / 14), c[2] - 2.05)
                  for i in range(14)], (0, 0, -1), [sw['dark']] * 14)
        eng.box(c[0] - 0.15, c[0] + 0.15, c[1] + 0.9, AXIS_Y - 1.2, -0.2, 2.8, uv=grey)  # pylon

    gear = m.group('landing_gear', material=2)
    tyres = m.group('tyres', material=3)
    nose_r, main_r = 0.38, 0.57
    # Nose gear: leg from the keel down to its axle, the tow fitting ahead.
    gear.cylinder((0, (AXIS_Y - 1.7 + GROUND + nose_r) / 2, NOSE_GEAR_Z), (0, 1, 0), 0.09,
                  (AXIS_Y - 1.7) - (GROUND + nose_r), segments=8)
    gear.box(-0.06, 0.06, TOW_POINT[1] - 0.05, TOW_POINT[1] + 0.05, NOSE_GEAR_Z, TOW_POINT[2] + 0.04)
    gear.cylinder(TOW_POINT, (1, 0, 0), 0.04, 0.2, segments=8)
    for s in (-1, 1):
        tyres.cylinder((s * 0.2, GROUND + nose_r, NOSE_GEAR_Z), (1, 0, 0), nose_r, 0.22, segments=14)
    for s in (-1, 1):
        x = s * MAIN_GEAR_X
        top = AXIS_Y - 1.2
        gear.cylinder((x, (top + GROUND + main_r) / 2, MAIN_GEAR_Z), (0, 1, 0), 0.14, top - (GROUND + main_r), segments=8)
        for dx in (-0.38, 0.38):
            tyres.cylinder((x + dx, GROUND + main_r, MAIN_GEAR_Z), (1, 0, 0), main_r, 0.36, segments=16)
    return m, {'airliner.png': pic}


# ------------------------------------------------------------------ main

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = 'wb' if isinstance(data, bytes) else 'w'
    with open(path, mode, **({} if mode == 'wb' else {'newline': '\n', 'encoding': 'ascii'})) as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        print('usage: make_meshes.py OUT', file=sys.stderr)
        return 2
    out = argv[1]
    meshes = {}
    textures = {}
    for name, make in (('kvq7700', tractor), ('kvq7700_vc', cockpit), ('kvq_towbar', towbar), ('Airliner', airliner)):
        mesh, pics = make()
        meshes[name] = mesh
        textures.update(pics)
    for suit, colour in SUITS.items():
        mesh, pic = crew_member(colour)
        mesh.textures = ['UMmu\\%s.dds' % suit]
        mesh.groups[0].texture = 1
        meshes['UMmu/' + suit] = mesh
        textures['UMmu/%s.png' % suit] = pic
    for name, mesh in sorted(meshes.items()):
        write(os.path.join(out, 'Meshes', *name.split('/')) + '.msh', mesh.text())
    for name, pic in sorted(textures.items()):
        write(os.path.join(out, 'Textures', *name.split('/')), pic.png())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
