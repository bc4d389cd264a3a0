#!/usr/bin/env python3
"""Writes the device tab icons: common/device_ico/<stem>_device_<state>.svg.

Seven device glyphs x four states (normal, selected, synchro_normal,
synchro_selected). Run once after changing a glyph or the palette; the SVG
files it writes are kept in the tree, the build only renders them.

    python3 skin/image/generate_icons.py
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "common", "device_ico")

BG = "#15171c"
GREY = "#c9ced8"
CYAN = "#19d3ff"
MAGENTA = "#ff2e88"
WHITE = "#ffffff"

# Each glyph is drawn in a 48x48 box. {c} is the line colour, {d} the colour
# of filled details (keys, wheel, ports). Lines inherit a 2px stroke from the
# enclosing group; the area y > 41 is left for the selection underline.
GLYPHS = {
    # keyboard: case, two key rows, space bar
    "kb": """
    <rect x="4" y="13" width="40" height="22" rx="3.5"/>
    <g fill="{d}" stroke="none">
      <rect x="10" y="18" width="3" height="2" rx="0.5"/>
      <rect x="15" y="18" width="3" height="2" rx="0.5"/>
      <rect x="20" y="18" width="3" height="2" rx="0.5"/>
      <rect x="25" y="18" width="3" height="2" rx="0.5"/>
      <rect x="30" y="18" width="3" height="2" rx="0.5"/>
      <rect x="35" y="18" width="3" height="2" rx="0.5"/>
      <rect x="12" y="23" width="4" height="2" rx="0.5"/>
      <rect x="17" y="23" width="4" height="2" rx="0.5"/>
      <rect x="22" y="23" width="4" height="2" rx="0.5"/>
      <rect x="27" y="23" width="4" height="2" rx="0.5"/>
      <rect x="32" y="23" width="4" height="2" rx="0.5"/>
      <rect x="15" y="28" width="18" height="2" rx="1"/>
    </g>""",
    # mouse: shell, button seam, centre split, wheel
    "ms": """
    <path d="M24 5 C18 5 14 9.5 14 16 V28 C14 34.5 18.5 39 24 39 C29.5 39 34 34.5 34 28 V16 C34 9.5 30 5 24 5 Z"/>
    <path d="M14 19 H34 M24 5 V8 M24 16 V19"/>
    <rect x="22" y="9" width="4" height="6" rx="2" fill="{d}" stroke="none"/>""",
    # soft cloth pad: a mat in perspective with rounded corners and a stitched hem
    "soft_mp": """
    <path d="M14 12 H34 Q37 12 38 15 L43.5 31 Q44.5 35 40.5 35 H7.5 Q3.5 35 4.5 31 L10 15 Q11 12 14 12 Z"/>
    <path d="M15.5 16 H32.5 L37.8 31 H10.2 Z" stroke-width="1.5" stroke-dasharray="2.5 2" stroke="{d}"/>""",
    # hard pad: a slab in perspective with its lit front edge and a cable
    "hard_mp": """
    <path d="M11 14 H37 L44 30 H4 Z"/>
    <path d="M4 30 V35 H44 V30"/>
    <rect x="7" y="31.5" width="34" height="2" rx="1" fill="{d}" stroke="none"/>
    <path d="M24 14 V8 Q24 5 21 5 H19"/>""",
    # headset: band, ear cups, microphone boom
    "hd": """
    <path d="M11 26 V22 A13 13 0 0 1 37 22 V26"/>
    <rect x="8" y="23" width="7" height="12" rx="3"/>
    <rect x="33" y="23" width="7" height="12" rx="3"/>
    <path d="M11.5 35 Q12 39.5 18 39.5"/>
    <rect x="18" y="38" width="6" height="3" rx="1.5" fill="{d}" stroke="none"/>""",
    # USB hub: housing with three ports and its cable
    "hub": """
    <rect x="13" y="16" width="30" height="16" rx="3"/>
    <g fill="{d}" stroke="none">
      <rect x="18" y="22" width="5" height="4" rx="0.75"/>
      <rect x="25.5" y="22" width="5" height="4" rx="0.75"/>
      <rect x="33" y="22" width="5" height="4" rx="0.75"/>
    </g>
    <path d="M13 24 H10 Q6 24 6 28 V36"/>
    <rect x="3.5" y="35" width="5" height="5" rx="1" fill="{d}" stroke="none"/>""",
    # unknown device: a generic device outline holding a question mark
    "unknow": """
    <rect x="13" y="5" width="22" height="34" rx="5"/>
    <path d="M19.5 17.5 A4.5 4.5 0 1 1 26.5 21.2 C24.8 22.3 24 23.2 24 25.2 V26.5"/>
    <circle cx="24" cy="31.5" r="1.6" fill="{d}" stroke="none"/>""",
}

ORDER = ["kb", "ms", "soft_mp", "hard_mp", "hd", "hub", "unknow"]


def _arc_arrow(cx, cy, r, a0, a1):
    """An arc from angle a0 to a1 (degrees, clockwise on screen) and the
    triangle of its arrow head at a1."""
    def pt(a, rad=r):
        t = math.radians(a)
        return cx + rad * math.cos(t), cy + rad * math.sin(t)

    x0, y0 = pt(a0)
    x1, y1 = pt(a1 - 18)  # the line stops short of the head
    arc = f"M{x0:.2f} {y0:.2f} A{r} {r} 0 0 1 {x1:.2f} {y1:.2f}"
    tip = pt(a1 + 8)
    t = math.radians(a1 - 10)
    # head base: across the arc, centred a little behind the tip
    bx, by = cx + r * math.cos(t), cy + r * math.sin(t)
    nx, ny = math.cos(t), math.sin(t)  # radial direction
    w = 2.3
    p1 = (bx + nx * w, by + ny * w)
    p2 = (bx - nx * w, by - ny * w)
    head = (f"M{tip[0]:.2f} {tip[1]:.2f} L{p1[0]:.2f} {p1[1]:.2f} "
            f"L{p2[0]:.2f} {p2[1]:.2f} Z")
    return arc, head


def sync_badge():
    cx, cy, r = 39, 9, 7.5
    a1, h1 = _arc_arrow(cx, cy, 3.7, 200, 330)
    a2, h2 = _arc_arrow(cx, cy, 3.7, 20, 150)
    return f"""
  <g id="sync-badge">
    <circle cx="{cx}" cy="{cy}" r="{r + 1.5}" fill="{BG}"/>
    <circle cx="{cx}" cy="{cy}" r="{r}" fill="{MAGENTA}"/>
    <path d="{a1} {a2}" fill="none" stroke="{WHITE}" stroke-width="1.6" stroke-linecap="round"/>
    <path d="{h1} {h2}" fill="{WHITE}" stroke="none"/>
  </g>"""


def icon(stem, selected, synchro):
    body = GLYPHS[stem]
    parts = []
    if selected:
        glow = body.format(c=CYAN, d=CYAN)
        parts.append(f"""
  <g id="glow" fill="none" stroke="{CYAN}" stroke-width="6" stroke-opacity="0.16"
     stroke-linecap="round" stroke-linejoin="round">{glow}
  </g>""")
        parts.append(f"""
  <rect x="13" y="42" width="22" height="4" rx="2" fill="{CYAN}" fill-opacity="0.25"/>
  <rect x="15" y="43" width="18" height="2" rx="1" fill="{CYAN}"/>""")
        c, d = CYAN, WHITE
    else:
        c, d = GREY, GREY
    glyph = body.format(c=c, d=d)
    parts.append(f"""
  <g id="glyph" fill="none" stroke="{c}" stroke-width="2"
     stroke-linecap="round" stroke-linejoin="round">{glyph}
  </g>""")
    if synchro:
        parts.append(sync_badge())
    state = ("synchro_" if synchro else "") + ("selected" if selected else "normal")
    title = f"{stem} device tab icon, {state.replace('_', ' ')}"
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" '
            f'viewBox="0 0 48 48">\n  <title>{title}</title>'
            + "".join(parts) + "\n</svg>\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    for stem in ORDER:
        for synchro in (False, True):
            for selected in (False, True):
                state = ("synchro_" if synchro else "") + ("selected" if selected else "normal")
                path = os.path.join(OUT, f"{stem}_device_{state}.svg")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(icon(stem, selected, synchro))
                print(os.path.relpath(path, HERE))


if __name__ == "__main__":
    main()
