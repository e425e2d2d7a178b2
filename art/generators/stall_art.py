#!/usr/bin/env python3
"""Writes the stalls' shared art: the attention frame, the two locks, the
badge bubbles, the bonus area, the upgrade star and the particle dots under
art/images/, and the coin, buyer, break, out-of-goods, festival clock,
no-luck and the build, upgrade, repair and crash effect animations under
art/animations/. Run from the repository root; then `make content` packs
and renders them."""
import json
import math
import os

INK = "#3B2A4A"
CREAM = "#FFF4DE"
GOLD = "#F2B33D"
GOLD_LIGHT = "#FFD873"
GOLD_DARK = "#C98A1E"
TEAL = "#2FA39A"
TEAL_LIGHT = "#6FD1C8"
TEAL_DARK = "#268C84"
BERRY = "#D9486B"
LEAF = "#7CC35A"
LEAF_LIGHT = "#A8E07F"
LEAF_DARK = "#5A9A3E"
WOOD = "#B9763F"
WOOD_DARK = "#8A5128"
SILVER = "#C9C3D6"
SILVER_LIGHT = "#EEEAF5"
SILVER_DARK = "#8E86A0"

LOOP = "function DoAnim() while true do delay({d}); frames{{1, 2, 3, 4}} end end"
ONCE = "function DoAnim() delay({d}); frames{{1, 2, 3, 4}} end"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def svg(width, height, body, comment):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n  <!-- {comment}; no text. -->\n{body}</svg>\n')


def animation(path, frames, script, width, height, regx, regy):
    """path: under images/; frames: SVG bodies. Writes the description and
    its frames under art/animations/."""
    folder = f"art/animations/{os.path.dirname(path)[len('images/'):]}"
    name = os.path.basename(path)
    entries = []
    for i, body in enumerate(frames, 1):
        write(f"{folder}/{name}/{i}.svg", svg(width, height, body, f"{name}, frame {i}"))
        entries.append({"svg": f"{name}/{i}.svg", "width": width, "height": height, "regx": regx, "regy": regy})
    desc = {"name": name, "source": f"{folder}/{name}", "mask": False, "script": script, "frames": entries}
    write(f"{folder}/{name}.json", json.dumps(desc, indent=2) + "\n")


def star_path(cx, cy, outer, inner, points=5, turn=-90.0):
    d = []
    for k in range(points * 2):
        r = outer if k % 2 == 0 else inner
        a = math.radians(turn + k * 180.0 / points)
        d.append(f"{cx + r * math.cos(a):.1f} {cy + r * math.sin(a):.1f}")
    return "M" + " L".join(d) + " Z"


# --- Still pictures ------------------------------------------------------

def lock(fill, light, dark):
    return (f'  <path d="M10 19 V12 A8 8 0 0 1 26 12 V19" fill="none" stroke="{INK}" stroke-width="6"/>\n'
            f'  <path d="M10 19 V12 A8 8 0 0 1 26 12 V19" fill="none" stroke="{fill}" stroke-width="3"/>\n'
            f'  <rect x="4" y="18" width="28" height="20" rx="4" fill="{fill}" stroke="{INK}" stroke-width="2"/>\n'
            f'  <rect x="6" y="20" width="24" height="4" rx="2" fill="{light}"/>\n'
            f'  <rect x="6" y="32" width="24" height="4" rx="2" fill="{dark}"/>\n'
            f'  <circle cx="18" cy="27" r="3" fill="{INK}"/>\n'
            f'  <rect x="17" y="28" width="2" height="5" fill="{INK}"/>\n')


def bubble(fill, light, dark):
    return (f'  <circle cx="18" cy="18" r="16" fill="{fill}" stroke="{INK}" stroke-width="2"/>\n'
            f'  <path d="M6 16 A12 12 0 0 1 30 16" fill="none" stroke="{light}" stroke-width="3" '
            f'stroke-linecap="round"/>\n'
            f'  <path d="M9 27 A12 12 0 0 0 27 27" fill="none" stroke="{dark}" stroke-width="3" '
            f'stroke-linecap="round"/>\n')


def stills():
    write("art/images/game_logic/select_attent.svg",
          svg(64, 32, f'  <ellipse cx="32" cy="16" rx="29" ry="13" fill="none" stroke="{INK}" stroke-width="4"/>\n'
                      f'  <ellipse cx="32" cy="16" rx="29" ry="13" fill="none" stroke="{BERRY}" stroke-width="2" '
                      f'stroke-dasharray="6 4"/>\n', "the selection frame asking for attention"))
    write("art/images/game_logic/lock_silver.svg", svg(36, 40, lock(SILVER, SILVER_LIGHT, SILVER_DARK),
                                                       "the lock of a stall that is not on offer"))
    write("art/images/game_logic/lock_gold.svg", svg(36, 40, lock(GOLD, GOLD_LIGHT, GOLD_DARK),
                                                     "the lock of a stall on offer"))
    for name, colours in {"green": (LEAF, LEAF_LIGHT, LEAF_DARK), "yellow": (GOLD, GOLD_LIGHT, GOLD_DARK),
                          "red": (BERRY, "#EE8AA1", "#A8304F")}.items():
        write(f"art/images/game_logic/lucky_bubble/{name}.svg", svg(36, 36, bubble(*colours),
                                                                     f"a {name} badge bubble"))
    write("art/images/game_logic/bonuses/bonus_area.svg",
          svg(180, 90, f'  <path d="M90 3 L177 45 L90 87 L3 45 Z" fill="{TEAL_LIGHT}" fill-opacity="0.35" '
                       f'stroke="{TEAL_DARK}" stroke-width="3" stroke-linejoin="round"/>\n',
              "one building slot a bonus stall covers"))
    write("art/images/game_logic/effect/upgrade/star.svg",
          svg(24, 24, f'  <path d="{star_path(12, 13, 11, 4.5)}" fill="{CREAM}" stroke="{INK}" stroke-width="2" '
                      f'stroke-linejoin="round"/>\n', "an upgrade star"))
    dots = {
        "game_logic/effect/level_down/level_down": (BERRY, 4),
        "game_logic/effect/crash/crash": (CREAM, 6),
        "game_logic/effect/build/build_spark": (GOLD_LIGHT, 4),
    }
    for path, (colour, r) in dots.items():
        size = 2 * r + 2
        write(f"art/images/{path}.svg",
              svg(size, size, f'  <circle cx="{r + 1}" cy="{r + 1}" r="{r}" fill="{colour}"/>\n', "a particle dot"))


# --- Animations ----------------------------------------------------------

def coin():
    frames = []
    for k in range(4):
        w = [10, 6, 2, 6][k]
        y = 30 - 6 * k
        frames.append(f'  <ellipse cx="16" cy="{y}" rx="{w + 1}" ry="11" fill="{GOLD}" stroke="{INK}" '
                      f'stroke-width="2" opacity="{1.0 - 0.2 * k:.1f}"/>\n'
                      f'  <ellipse cx="16" cy="{y}" rx="{max(w - 4, 1)}" ry="6" fill="{GOLD_LIGHT}" '
                      f'opacity="{1.0 - 0.2 * k:.1f}"/>\n')
    animation("images/game_logic/stalls/coin", frames, ONCE.format(d=110), 32, 44, 16, 44)


def buy():
    frames = []
    for k in range(4):
        lift = [0, 2, 4, 2][k]
        frames.append(f'  <path d="M10 {30 - lift} Q8 {16 - lift} 20 {14 - lift} Q32 {16 - lift} 30 {30 - lift} Z" '
                      f'fill="{WOOD}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
                      f'  <path d="M14 {14 - lift} L20 {8 - lift} L26 {14 - lift}" fill="none" stroke="{INK}" '
                      f'stroke-width="2"/>\n'
                      f'  <circle cx="20" cy="{23 - lift}" r="4" fill="{GOLD}" stroke="{INK}" stroke-width="1.5"/>\n')
    animation("images/game_logic/stalls/buy", frames, LOOP.format(d=150), 40, 36, 20, 36)


def crack():
    frames = []
    for k in range(4):
        puff = 4 + k
        frames.append(f'  <path d="M8 6 L20 20 L14 24 L28 38" fill="none" stroke="{INK}" stroke-width="5" '
                      f'stroke-linejoin="round" stroke-linecap="round"/>\n'
                      f'  <path d="M8 6 L20 20 L14 24 L28 38" fill="none" stroke="{GOLD_LIGHT}" stroke-width="2" '
                      f'stroke-linejoin="round" stroke-linecap="round"/>\n'
                      f'  <circle cx="30" cy="{12 - k}" r="{puff}" fill="{SILVER}" stroke="{INK}" stroke-width="1.5" '
                      f'opacity="{0.9 - 0.15 * k:.2f}"/>\n')
    animation("images/game_logic/effect/break/break", frames, LOOP.format(d=140), 40, 44, 20, 44)


def empty_crate():
    frames = []
    for k in range(4):
        tilt = [0, -4, 0, 4][k]
        frames.append(f'  <g transform="rotate({tilt} 20 30)">\n'
                      f'    <rect x="6" y="18" width="28" height="20" rx="2" fill="{WOOD}" stroke="{INK}" '
                      f'stroke-width="2"/>\n'
                      f'    <path d="M6 26 H34" stroke="{WOOD_DARK}" stroke-width="2"/>\n'
                      f'  </g>\n'
                      f'  <circle cx="20" cy="9" r="6" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>\n'
                      f'  <path d="M17 6 L23 12 M23 6 L17 12" stroke="{BERRY}" stroke-width="2" '
                      f'stroke-linecap="round"/>\n')
    animation("images/game_logic/effect/good/trade", frames, LOOP.format(d=160), 40, 40, 20, 40)


def clock():
    frames = []
    for k in range(4):
        a = math.radians(-90 + 90 * k)
        frames.append(f'  <circle cx="18" cy="18" r="15" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>\n'
                      f'  <circle cx="18" cy="18" r="12" fill="none" stroke="{GOLD}" stroke-width="2"/>\n'
                      f'  <path d="M18 18 L{18 + 9 * math.cos(a):.1f} {18 + 9 * math.sin(a):.1f}" stroke="{INK}" '
                      f'stroke-width="2.5" stroke-linecap="round"/>\n'
                      f'  <circle cx="18" cy="18" r="2" fill="{BERRY}"/>\n')
    animation("images/game_logic/effect/bonus_fest/clock", frames, LOOP.format(d=250), 36, 36, 18, 36)


def no_lucky():
    frames = []
    for k in range(4):
        droop = [0, 1, 2, 1][k]
        leaves = "".join(
            f'  <circle cx="{18 + 6 * math.cos(math.radians(a)):.1f}" cy="{16 + droop + 6 * math.sin(math.radians(a)):.1f}" '
            f'r="5" fill="{SILVER}" stroke="{INK}" stroke-width="1.5"/>\n' for a in (-90, 0, 90, 180))
        frames.append(leaves + f'  <path d="M18 {22 + droop} Q20 30 16 34" fill="none" stroke="{INK}" '
                               f'stroke-width="2" stroke-linecap="round"/>\n')
    animation("images/game_logic/effect/break/no_lucky", frames, LOOP.format(d=200), 36, 36, 18, 36)


def swirl():
    frames = []
    for k in range(4):
        body = ""
        for n in range(5):
            a = math.radians(72 * n + 25 * k)
            r = 10 + 4 * k
            body += (f'  <path d="{star_path(32 + r * math.cos(a), 32 + r * math.sin(a) * 0.6, 5, 2, 4, 45 * k)}" '
                     f'fill="{GOLD_LIGHT}" stroke="{GOLD}" stroke-width="1"/>\n')
        frames.append(body)
    animation("images/game_logic/effect/build/build", frames, LOOP.format(d=120), 64, 56, 32, 44)


def burst():
    frames = []
    for k in range(4):
        r = 6 + 5 * k
        frames.append(f'  <circle cx="24" cy="24" r="{r}" fill="none" stroke="{GOLD_LIGHT}" stroke-width="3" '
                      f'opacity="{1.0 - 0.2 * k:.1f}"/>\n'
                      f'  <path d="{star_path(24, 24, 9 - k, 4)}" fill="{CREAM}" stroke="{GOLD}" stroke-width="1.5"/>\n')
    animation("images/game_logic/effect/upgrade/upgrade", frames, LOOP.format(d=100), 48, 48, 24, 24)


def hammer():
    frames = []
    for k in range(4):
        angle = [-30, 0, 20, 0][k]
        frames.append(f'  <g transform="rotate({angle} 12 34)">\n'
                      f'    <rect x="10" y="12" width="4" height="24" rx="2" fill="{WOOD}" stroke="{INK}" '
                      f'stroke-width="1.5"/>\n'
                      f'    <rect x="4" y="6" width="16" height="8" rx="2" fill="{SILVER}" stroke="{INK}" '
                      f'stroke-width="2"/>\n'
                      f'  </g>\n'
                      + (f'  <path d="{star_path(30, 30, 6, 2.5, 4)}" fill="{GOLD_LIGHT}"/>\n' if k == 2 else ""))
    animation("images/game_logic/effect/repair/repair", frames, LOOP.format(d=130), 40, 40, 20, 36)


def dust():
    frames = []
    for k in range(4):
        body = ""
        for n, (dx, dy) in enumerate(((-16, 0), (0, -6), (16, 0), (-8, 6), (8, 6))):
            r = 8 + 3 * k + n % 2
            body += (f'  <circle cx="{40 + dx * (1 + 0.2 * k):.1f}" cy="{36 + dy}" r="{r}" fill="{SILVER_LIGHT}" '
                     f'stroke="{SILVER_DARK}" stroke-width="2" opacity="{0.9 - 0.15 * k:.2f}"/>\n')
        frames.append(body)
    animation("images/game_logic/effect/crash/dust", frames, LOOP.format(d=140), 80, 56, 40, 48)


stills()
coin()
buy()
crack()
empty_crate()
clock()
no_lucky()
swirl()
burst()
hammer()
dust()
