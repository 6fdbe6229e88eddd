#!/usr/bin/env python3
"""Draws the program's pictures as SVG files beside this script.

The SVG files are committed; run this again only after changing a drawing here:
    python3 resources/draw_pictures.py
Only SVG Tiny features that the Qt SVG renderer reads are used (no clip paths, masks or
filters).
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette
SKY_TOP, SKY_LOW = "#3d8fd8", "#bfe2ff"
GREY_TOP, GREY_LOW = "#8d99a6", "#d7dde3"
DARK_TOP, DARK_LOW = "#4e5b69", "#9eabb8"
SUN_CORE, SUN_EDGE, SUN_RAY = "#ffe873", "#f5a300", "#ffb81c"
RAIN = "#1769d6"
FLAKE, FLAKE_EDGE = "#ffffff", "#3f6fb5"


def svg(width, height, body, defs=""):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
        f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">\n'
        f"<defs>{defs}</defs>\n{body}\n</svg>\n"
    )


def vertical_gradient(name, top, bottom):
    return (
        f'<linearGradient id="{name}" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        "</linearGradient>"
    )


def write(path, text):
    full = os.path.join(HERE, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as out:
        out.write(text)


# ---------------------------------------------------------------- weather (177 x 177 design box)

CLOUD_PUFFS = [(-34, 6, 20), (-12, -12, 27), (17, -4, 24), (38, 9, 15)]


def cloud(cx, cy, scale, fill, edge, width=4):
    """A cloud as a union of puffs: an outline layer below a fill layer, so no inner lines."""

    def shapes(grow, colour):
        parts = [
            f'<circle cx="{x}" cy="{y}" r="{r + grow}" fill="{colour}"/>' for x, y, r in CLOUD_PUFFS
        ]
        parts.append(
            f'<rect x="{-52 - grow}" y="{2 - grow}" width="{104 + 2 * grow}" '
            f'height="{26 + 2 * grow}" rx="{13 + grow}" fill="{colour}"/>'
        )
        return "".join(parts)

    return (
        f'<g transform="translate({cx} {cy}) scale({scale})">'
        f"{shapes(width, edge)}{shapes(0, fill)}</g>"
    )


def sun(cx, cy, r, rays=12):
    lines = []
    for i in range(rays):
        a = 2 * math.pi * i / rays
        x1, y1 = cx + (r + 8) * math.cos(a), cy + (r + 8) * math.sin(a)
        x2, y2 = cx + (r + 8 + r * 0.5) * math.cos(a), cy + (r + 8 + r * 0.5) * math.sin(a)
        lines.append(f'<line x1="{x1:.1f}" y1="{y1:.1f}" x2="{x2:.1f}" y2="{y2:.1f}"/>')
    return (
        f'<g stroke="{SUN_RAY}" stroke-width="{r * 0.2:.1f}" stroke-linecap="round">'
        + "".join(lines)
        + "</g>"
        f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#sunface)" stroke="{SUN_EDGE}" '
        f'stroke-width="{r * 0.1:.1f}"/>'
    )


def raindrop(x, y, size=1.0):
    return (
        f'<line x1="{x}" y1="{y}" x2="{x - 7 * size:.1f}" y2="{y + 16 * size:.1f}" stroke="{RAIN}" '
        f'stroke-width="{6 * size:.1f}" stroke-linecap="round"/>'
    )


def flake(x, y, r=10):
    arms = []
    for i in range(3):
        a = math.pi * i / 3 + math.pi / 2
        dx, dy = r * math.cos(a), r * math.sin(a)
        arms.append(f"M{x - dx:.1f} {y - dy:.1f}L{x + dx:.1f} {y + dy:.1f}")
    d = "".join(arms)
    return (
        f'<path d="{d}" stroke="{FLAKE_EDGE}" stroke-width="{r * 0.75:.1f}" stroke-linecap="round"/>'
        f'<path d="{d}" stroke="{FLAKE}" stroke-width="{r * 0.38:.1f}" stroke-linecap="round"/>'
    )


# Rows of precipitation under the cloud: (y, xs). The small pictures get fewer, bigger items so
# that rain and snow stay apart at 63 x 51 pixels.
LARGE_ROWS = [(118, [45, 88, 131]), (140, [66, 109, 152]), (162, [30, 88, 131])]
SMALL_ROWS = [(120, [42, 88, 134]), (151, [65, 111])]


def precipitation(kinds, small):
    """kinds cycles through 'r' (rain) and 's' (snow)."""
    items, k = [], 0
    for y, xs in SMALL_ROWS if small else LARGE_ROWS:
        for x in xs:
            kind = kinds[k % len(kinds)]
            if kind == "r":
                items.append(raindrop(x + 4, y - 8, 1.6) if small else raindrop(x + 4, y - 6))
            else:
                items.append(flake(x, y, 15 if small else 11))
            k += 1
    return "".join(items)


def weather_motif(name, small):
    """Sky colours and the drawing of a weather class in a 177 x 177 box."""
    edge = 7 if small else 4
    rain_cloud = lambda fill: cloud(88, 66, 1.25, fill, "#3c4754", edge)
    motifs = {
        "sunny": (SKY_TOP, SKY_LOW, sun(88.5, 88.5, 36 if small else 34)),
        "variable": (
            SKY_TOP,
            SKY_LOW,
            sun(112, 62, 28 if small else 26) + cloud(78, 112, 1.15, "#ffffff", "#8ea4ba", edge),
        ),
        "overcast": (
            GREY_TOP,
            GREY_LOW,
            cloud(110, 68, 0.95, "#c3cbd3", "#6f7c89", edge)
            + cloud(74, 106, 1.2, "#eef1f4", "#7d8a97", edge),
        ),
        "rainy": (DARK_TOP, DARK_LOW, rain_cloud("#8592a0") + precipitation("r", small)),
        "rainsnow": (DARK_TOP, GREY_LOW, rain_cloud("#98a4b1") + precipitation("rs", small)),
        "snow": (
            GREY_TOP,
            "#eef2f6",
            cloud(88, 66, 1.25, "#c9d1d9", "#5d6a77", edge) + precipitation("s", small),
        ),
    }
    return motifs[name]


WEATHER = ["sunny", "variable", "overcast", "rainy", "rainsnow", "snow"]

SUN_FACE = (
    '<radialGradient id="sunface" cx="0.4" cy="0.4" r="0.6">'
    f'<stop offset="0" stop-color="#fffbe0"/><stop offset="0.5" stop-color="{SUN_CORE}"/>'
    '<stop offset="1" stop-color="#ffc21a"/></radialGradient>'
)


def weather_picture(name, width, height):
    top, low, motif = weather_motif(name, small=width < 177)
    # The motif is drawn in a 177 x 177 box; the small picture shows it centred and slightly
    # cropped at the top and bottom, where there is only sky.
    scale = min(width / 177, height / 160)
    dx, dy = (width - 177 * scale) / 2, (height - 177 * scale) / 2
    body = (
        f'<rect x="0" y="0" width="{width}" height="{height}" fill="url(#sky)"/>'
        f'<g transform="translate({dx:.2f} {dy:.2f}) scale({scale:.4f})">{motif}</g>'
    )
    return svg(width, height, body, vertical_gradient("sky", top, low) + SUN_FACE)


# ---------------------------------------------------------------- trend arrows


def vertical_arrow(up, double, fill, edge):
    """A 17 x 33 arrow as one outline; the quick trends carry a second head."""
    single = [(8.5, 1.5), (16, 11), (11.5, 11), (11.5, 31.5), (5.5, 31.5), (5.5, 11), (1, 11)]
    twin = [(8.5, 1.5), (16, 10), (12, 10), (16, 19), (11.5, 19), (11.5, 31.5), (5.5, 31.5),
            (5.5, 19), (1, 19), (5, 10), (1, 10)]
    outline = twin if double else single
    points = " ".join(f"{x},{y if up else 33 - y}" for x, y in outline)
    body = (
        f'<polygon points="{points}" fill="{fill}" stroke="{edge}" stroke-width="1" '
        'stroke-linejoin="round"/>'
    )
    return svg(17, 33, body)


def constant_arrow():
    d = "M2 13L20 13L20 6L31 16.5L20 27L20 20L2 20Z"
    body = f'<path d="{d}" fill="#3a7bd5" stroke="#1f4f91" stroke-width="1" stroke-linejoin="round"/>'
    return svg(33, 33, body)


# ---------------------------------------------------------------- altitude gauge, 297 x 221
# The gauge maps its altitude range onto y = 224 (bottom) .. 24 (top) of the panel.


def gauge_y(altitude, bottom, top):
    return 224 - (altitude - bottom) * 200 / (top - bottom)


def ridge(points, bottom, top, fill, edge):
    coords = " ".join(f"{x},{gauge_y(a, bottom, top):.1f}" for x, a in points)
    return (
        f'<polygon points="0,221 {coords} 297,221" fill="{fill}" stroke="{edge}" '
        'stroke-width="1.5" stroke-linejoin="round"/>'
    )


def snowcap(peak_x, peak_alt, line_alt, half_width, bottom, top):
    py, ly = gauge_y(peak_alt, bottom, top), gauge_y(line_alt, bottom, top)
    w = half_width
    return (
        f'<polygon points="{peak_x},{py:.1f} {peak_x + w},{ly:.1f} {peak_x + w * 0.45},{ly - 5:.1f} '
        f"{peak_x + w * 0.1},{ly + 3:.1f} {peak_x - w * 0.35},{ly - 4:.1f} {peak_x - w},{ly:.1f}\" "
        'fill="#ffffff" stroke="#9fb2c6" stroke-width="1"/>'
    )


def ticks(bottom, top, step, major):
    lines = []
    a = bottom
    while a <= top:
        y = gauge_y(a, bottom, top)
        length = 10 if a % major == 0 else 5
        if y <= 221:
            lines.append(f'<line x1="{297 - length}" y1="{y:.1f}" x2="297" y2="{y:.1f}"/>')
        a += step
    return '<g stroke="#1c2b3a" stroke-width="1.5">' + "".join(lines) + "</g>"


SEABED = [(210, 0), (235, -400), (260, -750), (297, -900)]


def mountain_low():
    b, t = -1000, 2000
    sea = gauge_y(0, b, t)
    body = (
        '<rect x="0" y="0" width="297" height="221" fill="url(#sky)"/>'
        + ridge([(0, 900), (40, 1350), (85, 800), (130, 1100), (175, 450), (215, 120), (240, 0),
                 (297, 0)], b, t, "#6fae4b", "#3f7228")
        + ridge([(0, 350), (50, 600), (100, 300), (150, 200), (190, 60)] + SEABED, b, t, "#8cc063", "#4d8531")
        # The sea between sea level and the sunken coast.
        + '<polygon points="'
        + " ".join(f"{x},{gauge_y(a, b, t):.1f}" for x, a in SEABED)
        + f' 297,{sea:.1f}" fill="url(#sea)" stroke="#a08a55" stroke-width="2" '
        'stroke-linejoin="round"/>'
        + ticks(b, t, 250, 1000)
    )
    defs = vertical_gradient("sky", "#7fc0f2", "#dff1ff") + vertical_gradient(
        "sea", "#3f93d6", "#0c3f75"
    )
    return svg(297, 221, body, defs)


def mountain_mid():
    b, t = 2000, 6000
    body = (
        '<rect x="0" y="0" width="297" height="221" fill="url(#sky)"/>'
        + ridge([(0, 3900), (45, 4800), (95, 3700), (150, 5300), (205, 3600), (250, 3000),
                 (297, 2600)], b, t, "#8a7d72", "#4f453d")
        + snowcap(45, 4800, 4250, 22, b, t)
        + snowcap(150, 5300, 4500, 30, b, t)
        + ridge([(0, 2700), (60, 3100), (120, 2600), (180, 2900), (240, 2400), (297, 2200)],
                b, t, "#5f7f4a", "#34502a")
        + ticks(b, t, 250, 1000)
    )
    return svg(297, 221, body, vertical_gradient("sky", "#4f9be0", "#d6ecff"))


def mountain_high():
    b, t = 6000, 10000
    body = (
        '<rect x="0" y="0" width="297" height="221" fill="url(#sky)"/>'
        + ridge([(0, 7600), (40, 8100), (80, 7200), (135, 8850), (190, 7500), (240, 7000),
                 (297, 6600)], b, t, "#7b8794", "#3e4955")
        + snowcap(135, 8850, 7600, 45, b, t)
        + snowcap(40, 8100, 7450, 24, b, t)
        + ridge([(0, 6600), (70, 6900), (150, 6500), (220, 6800), (297, 6300)], b, t,
                "#e9eef3", "#8a9aab")
        + f'<path d="M205 {gauge_y(9500, b, t):.1f}l24 0l4 -3l3 0l-2 5l-27 1z" fill="#ffffff" '
        'stroke="#2b3b4c" stroke-width="1"/>'
        + ticks(b, t, 250, 1000)
    )
    return svg(297, 221, body, vertical_gradient("sky", "#0f3c78", "#8fc3f0"))


def gauge_arrow(up):
    d = "M8 0L16 16L0 16Z" if up else "M0 0L16 0L8 16Z"
    return svg(16, 16, f'<path d="{d}" fill="#e01b24" stroke="#8a0f15" stroke-width="1"/>')


# ---------------------------------------------------------------- thermometer scale, 36 x 190
# Placed with its top 24 pixels above the column's zero point so that t degrees Celsius lie at
# y = 160 - 2.08 (t + 10) of the picture, in step with the mercury column.


def thermometer_scale():
    parts = []
    for t in range(-10, 61, 2):
        y = 160 - 2.08 * (t + 10)
        major = t % 10 == 0
        length = 9 if major else 4
        parts.append(
            f'<line x1="{36 - length}" y1="{y:.2f}" x2="36" y2="{y:.2f}" stroke="#1c2b3a" '
            f'stroke-width="{1.4 if major else 1}"/>'
        )
        if major:
            parts.append(
                f'<text x="25" y="{y + 3.5:.2f}" font-family="Liberation Sans, Arial" '
                f'font-size="10" text-anchor="end" fill="#1c2b3a">{t}</text>'
            )
    parts.append(
        '<text x="18" y="9" font-family="Liberation Sans, Arial" font-size="10" font-weight="bold" '
        'text-anchor="middle" fill="#1c2b3a">\u00b0C</text>'
    )
    return svg(36, 190, "".join(parts))


# ---------------------------------------------------------------- maker logo and program icons


def dial(cx, cy, r, needle_deg):
    """A barometer dial: rim, face, scale ticks over 270 degrees and a red needle."""
    ticks_ = []
    for i in range(0, 28):
        a = math.radians(135 + i * 10)
        inner = r * (0.72 if i % 3 == 0 else 0.8)
        ticks_.append(
            f'<line x1="{cx + inner * math.cos(a):.1f}" y1="{cy + inner * math.sin(a):.1f}" '
            f'x2="{cx + r * 0.88 * math.cos(a):.1f}" y2="{cy + r * 0.88 * math.sin(a):.1f}"/>'
        )
    a = math.radians(needle_deg)
    tip = (cx + r * 0.78 * math.cos(a), cy + r * 0.78 * math.sin(a))
    side = math.radians(needle_deg + 90)
    w = r * 0.07
    needle = (
        f"M{tip[0]:.1f} {tip[1]:.1f}L{cx + w * math.cos(side):.1f} {cy + w * math.sin(side):.1f}"
        f"L{cx - w * math.cos(side):.1f} {cy - w * math.sin(side):.1f}Z"
    )
    return (
        f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#rim)"/>'
        f'<circle cx="{cx}" cy="{cy}" r="{r * 0.9:.1f}" fill="#fbfcfd"/>'
        f'<g stroke="#1c2b3a" stroke-width="{max(1, r * 0.035):.1f}" stroke-linecap="round">'
        + "".join(ticks_)
        + "</g>"
        f'<path d="{needle}" fill="#e01b24"/>'
        f'<circle cx="{cx}" cy="{cy}" r="{r * 0.1:.1f}" fill="#1c2b3a"/>'
    )


RIM = vertical_gradient("rim", "#5aa0e0", "#123e73")


def logo():
    body = (
        '<rect x="0" y="0" width="241" height="33" fill="#ffffff"/>'
        + dial(16.5, 16.5, 15, -60)
        + '<text x="38" y="24" font-family="Liberation Sans, Arial" font-size="22" '
        'font-weight="bold" fill="#123e73" letter-spacing="2">CORVASINE</text>'
        '<path d="M190 22 q6 -8 12 0 t12 0 t12 0" fill="none" stroke="#3a8fd8" stroke-width="3" '
        'stroke-linecap="round"/>'
    )
    return svg(241, 33, body, RIM)


def program_icon():
    return svg(64, 64, dial(32, 32, 30, -45), RIM)


def about_picture():
    body = (
        '<rect x="0" y="0" width="310" height="240" fill="url(#night)"/>'
        '<polygon points="0,240 0,185 45,150 85,178 135,120 175,165 215,140 260,172 310,150 310,240" '
        'fill="#1d3b5e"/>'
        '<polygon points="0,240 0,210 60,190 120,212 190,195 250,215 310,200 310,240" '
        'fill="#14304f"/>'
        + dial(155, 150, 58, -70)
    )
    return svg(310, 240, body, vertical_gradient("night", "#0c2748", "#3b78b8") + RIM)


def main():
    for name in WEATHER:
        write(f"weather/{name}_177.svg", weather_picture(name, 177, 177))
        write(f"weather/{name}_63.svg", weather_picture(name, 63, 51))
    write("trend/quick_up.svg", vertical_arrow(True, True, "#2e9e44", "#1b6329"))
    write("trend/slow_up.svg", vertical_arrow(True, False, "#8fd17d", "#3f8a30"))
    write("trend/constant.svg", constant_arrow())
    write("trend/slow_down.svg", vertical_arrow(False, False, "#f5a04a", "#a85a12"))
    write("trend/quick_down.svg", vertical_arrow(False, True, "#d7263d", "#8a1424"))
    write("altimeter/mount_low.svg", mountain_low())
    write("altimeter/mount_mid.svg", mountain_mid())
    write("altimeter/mount_high.svg", mountain_high())
    write("altimeter/arrow_up.svg", gauge_arrow(True))
    write("altimeter/arrow_down.svg", gauge_arrow(False))
    write("thermometer/scale.svg", thermometer_scale())
    write("logo/corvasine.svg", logo())
    write("icons/program.svg", program_icon())
    write("icons/about.svg", about_picture())


if __name__ == "__main__":
    main()
