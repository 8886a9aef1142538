#!/usr/bin/env python3
"""Draws the skins shipped with Morvelant: a skin file (.pds), a background image (the normal
look of the whole window) and a buttons image (every button's pushed look) per skin.

    tools/make-skins.py OUT_FOLDER

The output is the same for the same script and Pillow version: restyle a skin by changing its
theme or layout below and running the script again (the build does it into build/dist/Skins/).

Every image is drawn four times larger and scaled down, for smooth edges. The pushed look of an
element sits at the same place in the buttons image as its normal look in the background, so
PushedLeft/PushedTop equal Left/Top. A knob's pushed look is its ordinary appearance: it is drawn
at the knob's first place in the buttons image, over the same track the background shows.
"""
import math
import os
import sys
from dataclasses import dataclass, field

from PIL import Image, ImageDraw

COMMAND_BAR = 25  # rows of the window above the skin's own coordinates
SS = 4  # supersampling factor


@dataclass
class Theme:
    name: str
    background: tuple  # window, top to bottom gradient
    background_low: tuple
    panel: tuple  # behind text views
    screen: tuple  # the ViewPort when idle
    button: tuple
    button_edge: tuple
    icon: tuple
    accent: tuple  # pushed looks and toggles that are on
    accent_icon: tuple
    text: tuple  # info line and time
    list_back: tuple
    list_text: tuple
    track: tuple
    radius: float  # corner radius relative to a button's size
    font: str = "DejaVu Sans"


GRAPHITE = Theme(
    name="graphite",
    background=(38, 42, 52), background_low=(22, 25, 31), panel=(16, 18, 23),
    screen=(10, 12, 16), button=(54, 60, 74), button_edge=(72, 80, 98),
    icon=(228, 232, 240), accent=(46, 150, 255), accent_icon=(255, 255, 255),
    text=(150, 210, 255), list_back=(16, 18, 23), list_text=(214, 220, 232),
    track=(78, 86, 104), radius=0.28)

DAYLIGHT = Theme(
    name="daylight",
    background=(246, 242, 233), background_low=(241, 236, 225), panel=(255, 252, 245),
    screen=(226, 219, 204), button=(255, 255, 255), button_edge=(205, 196, 178),
    icon=(52, 48, 44), accent=(255, 122, 26), accent_icon=(255, 255, 255),
    text=(60, 52, 44), list_back=(255, 252, 245), list_text=(40, 36, 32),
    track=(210, 200, 182), radius=0.5)


@dataclass
class Element:
    name: str
    left: int
    top: int  # skin coordinates (the file's value)
    width: int
    height: int
    extra: dict = field(default_factory=dict)  # further keys of the block

    @property
    def box(self):
        return (self.left, self.top, self.left + self.width, self.top + self.height)


TRANSPORT = ["PrevButton", "PlayButton", "StopButton", "NextButton", "FFWDButton"]
TOGGLES = ["MuteButton", "RepeatButton", "EQButton", "FullScreenButton", "RotateButton"]
FILES = ["OpenButton", "PlaylistButton"]


def points_for(height):
    """The largest point size whose line (96 dpi) fits in `height` pixels."""
    return max(6, height * 72 // 96)


def text_keys(theme, points, back=None):
    # The info line starts centred; a tap on it makes it scroll.
    keys = {"Font": theme.font, "PointSize": points,
            "FontRed": theme.text[0], "FontGreen": theme.text[1], "FontBlue": theme.text[2]}
    if back:
        keys.update({"BackRed": back[0], "BackGreen": back[1], "BackBlue": back[2]})
    return keys


def list_keys(theme, points):
    return {"Font": theme.font, "PointSize": points,
            "FontRed": theme.list_text[0], "FontGreen": theme.list_text[1],
            "FontBlue": theme.list_text[2], "BackRed": theme.list_back[0],
            "BackGreen": theme.list_back[1], "BackBlue": theme.list_back[2]}


def row(names, left, top, size, gap, big=None, big_size=0):
    """Square buttons side by side; `big` is drawn larger and centred on the row."""
    out, x = [], left
    for name in names:
        s = big_size if name == big else size
        out.append(Element(name, x, top + (max(size, big_size) - s) // 2, s, s))
        x += s + gap
    return out


def row_width(names, size, gap, big=None, big_size=0):
    return sum(big_size if n == big else size for n in names) + gap * (len(names) - 1)


def slider(area_name, knob_name, left, top, width, height, knob, vertical=False):
    """A slider area and its knob at the area's start; a tap moves it a tenth of the way."""
    extent = (height if vertical else width) - knob
    area = Element(area_name, left, top, width, height)
    if vertical:
        k = Element(knob_name, left, top, width, knob, {"BigStep": max(1, extent // 10)})
    else:
        k = Element(knob_name, left, top, knob, height, {"BigStep": max(1, extent // 10)})
    return [area, k]


def views(theme, viewport, info, time, text_points, list_points, info_back):
    vp = Element("ViewPort", *viewport)
    return [vp,
            Element("InfoView", *info, text_keys(theme, text_points, info_back)),
            Element("Time", *time, text_keys(theme, text_points, info_back)),
            Element("PlaylistView", *viewport, list_keys(theme, list_points)),
            Element("MediaView", *viewport, list_keys(theme, list_points))]


def controls_stack(theme, left, bottom, w, s):
    """The info line, the time and seek bar, the transport row, the other buttons and the volume
    slider, stacked upwards from `bottom` in a column `w` wide. Returns them and their height."""
    gap = round(4 * s)
    text_h = round(18 * s)
    seek_h = round(20 * s)
    b = min(round(40 * s), (w - 4 * gap - round(8 * s)) // 5)
    play = b + round(8 * s)
    t = min(round(34 * s), (w - 6 * gap) // 7)
    vol_h = round(20 * s)
    height = text_h + seek_h + play + t + vol_h + 5 * gap
    y = bottom - height
    time_w = round(54 * s)
    els = [("InfoView", (left, y, w, text_h)),
           ("Time", (left + w - time_w, y + text_h + gap, time_w, seek_h))]
    y += text_h + gap
    els += slider("SeekArea", "SeekButton", left, y, w - time_w - gap, seek_h, seek_h)
    y += seek_h + gap * 2
    tw = row_width(TRANSPORT, b, gap, "PlayButton", play)
    els += row(TRANSPORT, left + (w - tw) // 2, y, b, gap, "PlayButton", play)
    y += play + gap
    els += row(FILES + TOGGLES, left + (w - row_width(FILES + TOGGLES, t, gap)) // 2, y, t, gap)
    y += t + gap
    els += slider("VolumeArea", "VolumeButton", left + w // 4, y, w // 2, vol_h, vol_h)
    return els, height, text_h


def finish(theme, els, viewport, text_h, s, info_back):
    """The views: the text elements get the theme's font, the list views fill the ViewPort."""
    out, rects = [], {}
    for e in els:
        if isinstance(e, tuple):
            rects[e[0]] = e[1]
        else:
            out.append(e)
    return out + views(theme, viewport, rects["InfoView"], rects["Time"],
                       points_for(round(text_h * 0.8)), points_for(round(13 * s)), info_back)


def layout_portrait(theme, w, h, s):
    """Picture on top, the controls under it."""
    m = round(6 * s)
    els, height, text_h = controls_stack(theme, m, h - m, w - 2 * m, s)
    return finish(theme, els, (m, m, w - 2 * m, h - 2 * m - height - round(4 * s)), text_h, s,
                  theme.panel)


def layout_side(theme, w, h, s):
    """Wide and low screens: the picture on the left at 4:3, the controls in a column beside it."""
    m = round(6 * s)
    vp_h = h - 2 * m
    vp_w = min(vp_h * 4 // 3, (w - 3 * m) // 2)
    left = m + vp_w + m
    _, height, _ = controls_stack(theme, left, h - m, w - left - m, s)
    # The column sits in the middle of the screen's height.
    els, height, text_h = controls_stack(theme, left, h - m - (vp_h - height) // 2,
                                         w - left - m, s)
    return finish(theme, els, (m, m, vp_w, vp_h), text_h, s, theme.panel)


def layout_landscape(theme, w, h, s):
    """Picture on the left with a column of toggles beside it; under them the info line and time,
    the seek bar, and one row with the file buttons, the transport and the volume slider."""
    m = round(6 * s)
    gap = round(4 * s)
    text_h = round(18 * s)
    seek_h = round(20 * s)
    budget = w - 2 * m
    b = min(round(34 * s), int((budget - 8 * gap) / 9.45))
    play = round(b * 1.25)
    bottom = text_h + seek_h + play + 3 * gap
    top_h = h - m - bottom - m
    t = min(round(34 * s), (top_h - 4 * gap) // 5)
    vp_w = w - 2 * m - gap - t
    els = []
    x = m + vp_w + gap
    els += [Element(n, x, m + i * (t + gap), t, t) for i, n in enumerate(TOGGLES)]
    y = m + top_h + gap
    time_w = round(60 * s)
    els += [("InfoView", (m, y, w - 2 * m - time_w - gap, text_h)),
            ("Time", (w - m - time_w, y, time_w, text_h))]
    y += text_h + gap
    els += slider("SeekArea", "SeekButton", m, y, w - 2 * m, seek_h, seek_h)
    y += seek_h + gap
    els += row(FILES, m, y + (play - b) // 2, b, gap)
    files_end = m + row_width(FILES, b, gap)
    tw = row_width(TRANSPORT, b, gap, "PlayButton", play)
    tx = max(files_end + 2 * gap, (w - tw) // 2)
    els += row(TRANSPORT, tx, y, b, gap, "PlayButton", play)
    vol_left = tx + tw + 2 * gap
    vol_h = min(seek_h, b)
    els += slider("VolumeArea", "VolumeButton", vol_left, y + (play - vol_h) // 2,
                  w - m - vol_left, vol_h, vol_h)
    return finish(theme, els, (m, m, vp_w, top_h), text_h, s, theme.panel)


def layout_touch(theme, w, h, s):
    """Large targets for fingers: round transport buttons in one row, the file and toggle
    buttons in a second row, a tall seek bar and a wide volume bar."""
    m = round(8 * s)
    gap = round(8 * s)
    text_h = round(22 * s)
    seek_h = round(30 * s)
    b = min(round(60 * s), (w - 2 * m - 8 * gap) // 5)
    t = min(round(44 * s), (w - 2 * m - 8 * gap) // 10)
    rows = text_h + seek_h + b + t + 5 * gap
    vp_h = h - m - rows - m
    y = m + vp_h + gap
    time_w = round(70 * s)
    els = [("InfoView", (m, y, w - 2 * m - time_w - gap, text_h)),
           ("Time", (w - m - time_w, y, time_w, text_h))]
    y += text_h + gap
    els += slider("SeekArea", "SeekButton", m, y, w - 2 * m, seek_h, seek_h)
    y += seek_h + gap
    tw = row_width(TRANSPORT, b, gap * 2)
    els += row(TRANSPORT, (w - tw) // 2, y, b, gap * 2)
    y += b + gap
    left = row(FILES + TOGGLES, m, y, t, gap)
    els += left
    vol_left = left[-1].left + t + gap * 2
    els += slider("VolumeArea", "VolumeButton", vol_left, y + (t - seek_h) // 2,
                  w - m - vol_left, seek_h, seek_h)
    return finish(theme, els, (m, m, w - 2 * m, vp_h), text_h, s, None)


# ---- Drawing ----

def sc(v):
    return [round(x * SS) for x in v] if isinstance(v, (tuple, list)) else round(v * SS)


def lerp(a, b, f):
    return tuple(round(a[i] + (b[i] - a[i]) * f) for i in range(3))


def gradient(w, h, top, bottom):
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def icon_polygons(name, box):
    """Shapes of each icon inside `box` (supersampled pixels): a list of (kind, data)."""
    x0, y0, x1, y1 = box
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = (x1 - x0) / 2 * 0.46
    lw = max(2, r * 0.22)

    def tri(cx_, w_, h_, right=True):
        if right:
            return ("poly", [(cx_ - w_ / 2, cy - h_), (cx_ + w_ / 2, cy), (cx_ - w_ / 2, cy + h_)])
        return ("poly", [(cx_ + w_ / 2, cy - h_), (cx_ - w_ / 2, cy), (cx_ + w_ / 2, cy + h_)])

    def bar(x, w_, h_):
        return ("rect", [x, cy - h_, x + w_, cy + h_])

    if name == "PlayButton":  # play and pause together: one button does both
        return [tri(cx - r * 0.35, r * 0.95, r * 0.75), bar(cx + r * 0.35, r * 0.22, r * 0.7),
                bar(cx + r * 0.75, r * 0.22, r * 0.7)]
    if name == "StopButton":
        return [("rect", [cx - r * 0.62, cy - r * 0.62, cx + r * 0.62, cy + r * 0.62])]
    if name == "NextButton":
        return [tri(cx - r * 0.4, r * 0.75, r * 0.7), tri(cx + r * 0.3, r * 0.75, r * 0.7),
                bar(cx + r * 0.7, r * 0.2, r * 0.7)]
    if name == "PrevButton":
        return [tri(cx + r * 0.4, r * 0.75, r * 0.7, False),
                tri(cx - r * 0.3, r * 0.75, r * 0.7, False), bar(cx - r * 0.9, r * 0.2, r * 0.7)]
    if name == "FFWDButton":
        return [tri(cx - r * 0.38, r * 0.8, r * 0.7), tri(cx + r * 0.42, r * 0.8, r * 0.7)]
    if name == "OpenButton":  # eject
        return [("poly", [(cx - r * 0.8, cy + r * 0.1), (cx, cy - r * 0.75),
                          (cx + r * 0.8, cy + r * 0.1)]),
                ("rect", [cx - r * 0.8, cy + r * 0.35, cx + r * 0.8, cy + r * 0.6])]
    if name == "PlaylistButton":
        out = []
        for i in range(3):
            yy = cy - r * 0.6 + i * r * 0.6
            out.append(("rect", [cx - r * 0.45, yy - lw / 2, cx + r * 0.85, yy + lw / 2]))
            out.append(("ellipse", [cx - r * 0.85, yy - lw * 0.7, cx - r * 0.85 + lw * 1.4,
                                    yy + lw * 0.7]))
        return out
    if name == "MuteButton":
        return [("poly", [(cx - r * 0.9, cy - r * 0.3), (cx - r * 0.5, cy - r * 0.3),
                          (cx - r * 0.05, cy - r * 0.75), (cx - r * 0.05, cy + r * 0.75),
                          (cx - r * 0.5, cy + r * 0.3), (cx - r * 0.9, cy + r * 0.3)]),
                ("line", [(cx + r * 0.25, cy - r * 0.35), (cx + r * 0.85, cy + r * 0.35)], lw),
                ("line", [(cx + r * 0.25, cy + r * 0.35), (cx + r * 0.85, cy - r * 0.35)], lw)]
    if name == "RepeatButton":
        return [("arc", [cx - r * 0.8, cy - r * 0.65, cx + r * 0.8, cy + r * 0.65], 200, 520, lw),
                ("poly", [(cx + r * 0.55, cy - r * 0.95), (cx + r * 0.95, cy - r * 0.55),
                          (cx + r * 0.4, cy - r * 0.4)])]
    if name == "EQButton":
        out = []
        for i, level in enumerate((0.3, -0.4, 0.1)):
            xx = cx - r * 0.6 + i * r * 0.6
            out.append(("rect", [xx - lw / 3, cy - r * 0.8, xx + lw / 3, cy + r * 0.8]))
            out.append(("rect", [xx - lw * 1.2, cy + level * r - lw * 0.8, xx + lw * 1.2,
                                 cy + level * r + lw * 0.8]))
        return out
    if name == "FullScreenButton":
        out, k = [], r * 0.8
        for sx, sy in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            px, py = cx + sx * k, cy + sy * k
            out.append(("line", [(px, py - sy * k * 0.5), (px, py), (px - sx * k * 0.5, py)], lw))
        return out
    if name == "RotateButton":
        return [("arc", [cx - r * 0.75, cy - r * 0.75, cx + r * 0.75, cy + r * 0.75], 300, 600, lw),
                ("poly", [(cx + r * 0.15, cy - r * 1.0), (cx + r * 0.7, cy - r * 0.75),
                          (cx + r * 0.15, cy - r * 0.4)])]
    return []


def draw_icon(d, name, box, colour):
    for shape in icon_polygons(name, box):
        kind = shape[0]
        if kind == "poly":
            d.polygon(shape[1], fill=colour)
        elif kind == "rect":
            d.rectangle(shape[1], fill=colour)
        elif kind == "ellipse":
            d.ellipse(shape[1], fill=colour)
        elif kind == "line":
            d.line(shape[1], fill=colour, width=round(shape[2]), joint="curve")
        elif kind == "arc":
            d.arc(shape[1], shape[2], shape[3], fill=colour, width=round(shape[4]))


def draw_button(d, e, theme, pushed):
    x0, y0, x1, y1 = sc(e.box)
    inset = SS * 1
    radius = (x1 - x0) * theme.radius
    fill = theme.accent if pushed else theme.button
    edge = theme.accent if pushed else theme.button_edge
    d.rounded_rectangle([x0 + inset, y0 + inset, x1 - inset, y1 - inset], radius=radius,
                        fill=fill, outline=edge, width=SS)
    draw_icon(d, e.name, (x0, y0, x1, y1), theme.accent_icon if pushed else theme.icon)


def draw_track(d, area, theme, vertical):
    x0, y0, x1, y1 = sc(area.box)
    thick = max(SS * 2, round(min(x1 - x0, y1 - y0) * 0.2))
    if vertical:
        cx = (x0 + x1) / 2
        d.rounded_rectangle([cx - thick / 2, y0 + SS * 3, cx + thick / 2, y1 - SS * 3],
                            radius=thick / 2, fill=theme.track)
    else:
        cy = (y0 + y1) / 2
        d.rounded_rectangle([x0 + SS * 3, cy - thick / 2, x1 - SS * 3, cy + thick / 2],
                            radius=thick / 2, fill=theme.track)


def draw_knob(d, knob, theme):
    x0, y0, x1, y1 = sc(knob.box)
    size = min(x1 - x0, y1 - y0)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = size * 0.42
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=theme.accent, outline=theme.accent_icon,
              width=max(SS, round(r * 0.12)))


def draw_screen(d, vp, theme):
    x0, y0, x1, y1 = sc(vp.box)
    d.rounded_rectangle([x0, y0, x1, y1], radius=SS * 6, fill=theme.screen)
    # A quiet note mark in the middle of the idle picture area.
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = min(x1 - x0, y1 - y0) * 0.16
    mark = lerp(theme.screen, theme.icon, 0.12)
    d.ellipse([cx - r * 0.9, cy + r * 0.2, cx - r * 0.1, cy + r * 0.8], fill=mark)
    d.ellipse([cx + r * 0.3, cy + r * 0.0, cx + r * 1.1, cy + r * 0.6], fill=mark)
    d.polygon([(cx - r * 0.25, cy - r * 0.9), (cx + r * 1.1, cy - r * 1.2),
               (cx + r * 1.1, cy + r * 0.3), (cx + r * 0.95, cy + r * 0.3),
               (cx + r * 0.95, cy - r * 0.8), (cx - r * 0.1, cy - r * 0.55),
               (cx - r * 0.1, cy + r * 0.5), (cx - r * 0.25, cy + r * 0.5)], fill=mark)


def draw_panel(d, e, theme):
    x0, y0, x1, y1 = sc(e.box)
    d.rounded_rectangle([x0, y0, x1, y1], radius=SS * 3, fill=theme.panel)


def render(els, w, h, theme, pushed):
    by = {e.name: e for e in els}
    img = gradient(w * SS, h * SS, theme.background, theme.background_low)
    d = ImageDraw.Draw(img)
    draw_screen(d, by["ViewPort"], theme)
    if "BackRed" in by["InfoView"].extra:
        draw_panel(d, by["InfoView"], theme)
        draw_panel(d, by["Time"], theme)
    for area, knob in (("SeekArea", "SeekButton"), ("VolumeArea", "VolumeButton")):
        vertical = by[area].height > by[area].width
        draw_track(d, by[area], theme, vertical)
        if pushed:
            draw_knob(d, by[knob], theme)
    for name in TRANSPORT + TOGGLES + FILES:
        draw_button(d, by[name], theme, pushed)
    return img.resize((w, h), Image.LANCZOS)


# ---- Skin files ----

def block(e):
    lines = [f"[{e.name}]", f"Left={e.left}", f"Top={e.top}", f"Width={e.width}",
             f"Height={e.height}"]
    if e.name not in ("ViewPort", "InfoView", "Time", "PlaylistView", "MediaView",
                      "SeekArea", "VolumeArea"):
        lines += [f"PushedLeft={e.left}", f"PushedTop={e.top}"]
    lines += [f"{k}={v}" for k, v in e.extra.items()]
    return lines


def skin_text(els, base, title):
    lines = [f"; {title}. Made by tools/make-skins.py; edit the script, not this file.",
             "[Handheld]", ""]
    for e in els:
        lines += block(e) + [""]
    lines += ["[Files]", f"Background={base}_back.png", f"Buttons={base}_buttons.png", ""]
    return "\r\n".join(lines) + "\r\n"


SKINS = [
    # (file base name, screen width, height, layout, theme, title)
    ("Kub_240x320", 240, 320, layout_portrait, GRAPHITE, "Graphite for 240x320 screens"),
    ("Kub_320x240", 320, 240, layout_landscape, GRAPHITE, "Graphite for 320x240 screens"),
    ("Kub_480x272", 480, 272, layout_landscape, GRAPHITE, "Graphite for 480x272 screens"),
    ("Kub_640x240", 640, 240, layout_side, GRAPHITE, "Graphite for 640x240 screens"),
    ("Kub_640x480", 640, 480, layout_landscape, GRAPHITE, "Graphite for 640x480 screens"),
    ("Kub_800x480", 800, 480, layout_landscape, GRAPHITE, "Graphite for 800x480 screens"),
    ("Daylight_640x480", 640, 480, layout_touch, DAYLIGHT,
     "Daylight, a light skin with large touch targets, for 640x480 screens"),
]


def make(out, base, w, h, layout, theme, title):
    skin_h = h - COMMAND_BAR
    s = min(w, skin_h) / 215 if w > skin_h else w / 240
    if layout is layout_touch:
        s = min(w, skin_h) / 300
    els = layout(theme, w, skin_h, s)
    render(els, w, skin_h, theme, False).save(os.path.join(out, f"{base}_back.png"), optimize=True)
    render(els, w, skin_h, theme, True).save(os.path.join(out, f"{base}_buttons.png"),
                                             optimize=True)
    with open(os.path.join(out, f"{base}.pds"), "w", newline="", encoding="ascii") as f:
        f.write(skin_text(els, base, title))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-skins.py OUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for skin in SKINS:
        make(out, *skin)


if __name__ == "__main__":
    main()
