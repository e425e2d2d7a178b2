#!/usr/bin/env python3
"""Writes the art of the five locations under art/images/game_logic/: for
each location n (0 to 4) the background "fon", the ground pieces
"ground_0" and "ground_1", the land pieces "land_0" to "land_2" (each with
its "_snow" layer, which the win sequence melts away) and the slot pictures
"slots/slot", "slots/slot_fon", "slots/breake_slot_0" and "_1" (a slot for
sale) and "slots/fun_slot_0" and "_1" (what replaces it once the level is
won). Run from the repository root; then `make content` renders them."""
import os

INK = "#3B2A4A"
CREAM = "#FFF4DE"
GOLD = "#F2B33D"
BERRY = "#D9486B"
WOOD = "#B9763F"
WOOD_DARK = "#8A5128"
SNOW = "#F4F8FF"

# Per location: grass, grass light, grass dark, path, tree crown, sky band.
PALETTES = [
    ("#7CC35A", "#A8E07F", "#5A9A3E", "#D9B27A", "#5A9A3E", "#8FE3DA"),  # meadow
    ("#E8D08A", "#F5E4AC", "#C9AE62", "#F5E4AC", "#2FA39A", "#6FD1C8"),  # shore
    ("#4F8A3A", "#6FA852", "#3B6B2B", "#B98A5A", "#2F5A26", "#45BDB3"),  # forest
    ("#9C8AA8", "#B8A8C2", "#7A6A88", "#D9955A", "#5A9A3E", "#8FA8D0"),  # town
    ("#3E5A7A", "#56759A", "#2C4260", "#6A6A8A", "#27345C", "#27345C"),  # night fair
]


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def svg(width, height, body, comment):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n  <!-- {comment}; no text. -->\n{body}</svg>\n')


def background(p):
    grass, light, dark, path, crown, sky = p
    body = (f'  <rect x="0" y="0" width="800" height="600" fill="{grass}"/>\n'
            f'  <rect x="0" y="0" width="800" height="70" fill="{sky}"/>\n'
            f'  <path d="M0 70 Q200 40 400 70 T800 70 L800 90 L0 90 Z" fill="{dark}" stroke="{INK}" stroke-width="3"/>\n'
            f'  <path d="M-10 600 C150 420 300 380 400 300 C500 220 650 200 810 120 L810 170 C650 250 520 280 440 350 '
            f'C340 430 200 470 90 610 Z" fill="{path}" stroke="{INK}" stroke-width="3" stroke-linejoin="round"/>\n')
    for i in range(14):
        x = 40 + (i * 137) % 760
        y = 120 + (i * 211) % 440
        body += f'  <ellipse cx="{x}" cy="{y}" rx="18" ry="6" fill="{light}"/>\n'
    return body


def background_snow(p):
    body = f'  <path d="M0 70 Q200 40 400 70 T800 70 L800 84 Q600 66 400 84 T0 84 Z" fill="{SNOW}"/>\n'
    for i in range(20):
        x = 30 + (i * 173) % 760
        y = 110 + (i * 97) % 470
        body += f'  <ellipse cx="{x}" cy="{y}" rx="26" ry="9" fill="{SNOW}" opacity="0.85"/>\n'
    return body


def ground(p, n):
    grass, light, dark, path, crown, sky = p
    if n == 0:
        return (f'  <ellipse cx="60" cy="30" rx="56" ry="24" fill="{path}" stroke="{INK}" stroke-width="3"/>\n'
                f'  <ellipse cx="44" cy="24" rx="14" ry="5" fill="{light}"/>\n')
    return (f'  <path d="M6 30 Q30 6 60 14 T114 30 Q90 54 60 46 T6 30 Z" fill="{dark}" stroke="{INK}" '
            f'stroke-width="3" stroke-linejoin="round"/>\n'
            f'  <circle cx="40" cy="30" r="4" fill="{BERRY}" stroke="{INK}" stroke-width="1.5"/>\n'
            f'  <circle cx="74" cy="26" r="4" fill="{GOLD}" stroke="{INK}" stroke-width="1.5"/>\n')


def ground_snow(n):
    if n == 0:
        return f'  <ellipse cx="60" cy="27" rx="48" ry="17" fill="{SNOW}"/>\n'
    return f'  <path d="M14 28 Q34 12 60 18 T106 28 Q84 40 60 36 T14 28 Z" fill="{SNOW}"/>\n'


def land(p, n):
    grass, light, dark, path, crown, sky = p
    if n == 0:  # a round tree, 80 x 110, standing on (40, 104)
        return (f'  <ellipse cx="40" cy="104" rx="26" ry="6" fill="{INK}" opacity="0.3"/>\n'
                f'  <rect x="33" y="62" width="14" height="42" rx="4" fill="{WOOD}" stroke="{INK}" stroke-width="3"/>\n'
                f'  <circle cx="40" cy="40" r="34" fill="{crown}" stroke="{INK}" stroke-width="3"/>\n'
                f'  <path d="M18 28 Q30 12 48 12" fill="none" stroke="{light}" stroke-width="5" stroke-linecap="round"/>\n')
    if n == 1:  # a rock, 80 x 60, standing on (40, 54)
        return (f'  <ellipse cx="40" cy="54" rx="34" ry="5" fill="{INK}" opacity="0.3"/>\n'
                f'  <path d="M8 52 L16 22 L40 8 L64 18 L74 52 Z" fill="#9C8AA8" stroke="{INK}" stroke-width="3" '
                f'stroke-linejoin="round"/>\n'
                f'  <path d="M20 24 L40 12 L58 20" fill="none" stroke="#B8A8C2" stroke-width="4" stroke-linecap="round"/>\n')
    # a bush, 80 x 60, standing on (40, 54)
    return (f'  <ellipse cx="40" cy="54" rx="34" ry="5" fill="{INK}" opacity="0.3"/>\n'
            f'  <path d="M8 52 Q4 30 22 26 Q26 8 44 12 Q62 8 64 28 Q78 32 72 52 Z" fill="{dark}" stroke="{INK}" '
            f'stroke-width="3" stroke-linejoin="round"/>\n'
            f'  <circle cx="30" cy="34" r="4" fill="{BERRY}" stroke="{INK}" stroke-width="1.5"/>\n'
            f'  <circle cx="50" cy="28" r="4" fill="{BERRY}" stroke="{INK}" stroke-width="1.5"/>\n')


def land_snow(n):
    if n == 0:
        return f'  <path d="M10 34 Q14 8 40 6 Q66 8 70 34 Q56 24 40 28 Q24 24 10 34 Z" fill="{SNOW}"/>\n'
    if n == 1:
        return f'  <path d="M17 22 L40 9 L63 19 Q50 26 40 22 Q28 28 17 22 Z" fill="{SNOW}"/>\n'
    return f'  <path d="M12 30 Q22 10 44 14 Q62 10 66 28 Q52 22 40 26 Q26 22 12 30 Z" fill="{SNOW}"/>\n'


# A slot's diamond: 100 x 50, its centre at (50, 25).
DIAMOND = "M50 3 L97 25 L50 47 L3 25 Z"


def slot(p):
    grass, light, dark, path, crown, sky = p
    return (f'  <path d="{DIAMOND}" fill="{path}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
            f'  <path d="M50 10 L82 25 L50 40 L18 25 Z" fill="none" stroke="{CREAM}" stroke-width="2" '
            f'stroke-dasharray="6 4"/>\n')


def slot_fon(p):
    return f'  <path d="{DIAMOND}" fill="{INK}" opacity="0.3"/>\n'


def breake_slot(p, n):
    grass, light, dark, path, crown, sky = p
    body = f'  <path d="{DIAMOND}" fill="{dark}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
    planks = [(30, 20, 24, -12), (52, 28, 20, 10)] if n == 0 else [(26, 26, 22, 8), (56, 18, 22, -14)]
    for x, y, w, a in planks:
        body += (f'  <rect x="{x}" y="{y}" width="{w}" height="6" rx="2" fill="{WOOD_DARK}" stroke="{INK}" '
                 f'stroke-width="2" transform="rotate({a} {x + w / 2} {y + 3})"/>\n')
    return body


def fun_slot(p, n):
    grass, light, dark, path, crown, sky = p
    body = f'  <path d="{DIAMOND}" fill="{light}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
    colours = [BERRY, GOLD, CREAM] if n == 0 else [GOLD, BERRY, GOLD]
    for i, (x, y) in enumerate([(34, 22), (52, 30), (66, 20)]):
        body += f'  <circle cx="{x}" cy="{y}" r="5" fill="{colours[i]}" stroke="{INK}" stroke-width="1.5"/>\n'
    return body


def main():
    for n, p in enumerate(PALETTES):
        base = f"art/images/game_logic/location_{n}"
        write(f"{base}/fon.svg", svg(800, 600, background(p), f"location {n}, background"))
        write(f"{base}/fon_snow.svg", svg(800, 600, background_snow(p), f"location {n}, background snow"))
        for g in range(2):
            write(f"{base}/ground_{g}.svg", svg(120, 60, ground(p, g), f"location {n}, ground {g}"))
            write(f"{base}/ground_{g}_snow.svg", svg(120, 60, ground_snow(g), f"location {n}, ground {g} snow"))
        sizes = [(80, 110), (80, 60), (80, 60)]
        for k, (w, h) in enumerate(sizes):
            write(f"{base}/land_{k}.svg", svg(w, h, land(p, k), f"location {n}, land {k}"))
            write(f"{base}/land_{k}_snow.svg", svg(w, h, land_snow(k), f"location {n}, land {k} snow"))
        write(f"{base}/slots/slot.svg", svg(100, 50, slot(p), f"location {n}, open slot"))
        write(f"{base}/slots/slot_fon.svg", svg(100, 50, slot_fon(p), f"location {n}, slot shadow"))
        for s in range(2):
            write(f"{base}/slots/breake_slot_{s}.svg", svg(100, 50, breake_slot(p, s), f"location {n}, slot for sale {s}"))
            write(f"{base}/slots/fun_slot_{s}.svg", svg(100, 50, fun_slot(p, s), f"location {n}, won slot {s}"))


if __name__ == "__main__":
    main()
