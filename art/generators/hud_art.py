#!/usr/bin/env python3
"""Writes the in-level HUD's pictures into art/images/game_logic/hud/: the
tray and its tabs, the buttons and their icons, the read-out icons, the
clock, the bars, the title plates, the info bubbles and the task windows.
Every label and number is drawn over them at run time; no text here. Run
from the repository root."""
import os

OUT = "art/images/game_logic/hud"

INK = "#3B2A4A"
CREAM = "#FFF4DE"
GOLD, GOLD_L, GOLD_D = "#F2B33D", "#FFD873", "#C98A1E"
TEAL, TEAL_L, TEAL_LL, TEAL_D, TEAL_DD = "#2FA39A", "#45BDB3", "#8FE3DA", "#268C84", "#1E7770"
BERRY = "#D9486B"
LEAF, LEAF_L, LEAF_D = "#7CC35A", "#A8E07F", "#5A9A3E"
WOOD, WOOD_D, WOOD_L = "#B9763F", "#8A5128", "#D9955A"
GREY, GREY_L, GREY_D = "#9A93A3", "#C4BECB", "#6F6878"


def write(name, width, height, body, note):
    path = os.path.join(OUT, name + ".svg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
                  f'viewBox="0 0 {width} {height}">\n  <!-- {note}; no text. -->\n{body}</svg>\n')


# --- The tray and the tabs ---------------------------------------------------

def tray():
    # 800 x 100 along the bottom: wood with a cream well on each side for the
    # read-outs; the button row stands in the middle.
    body = f'''  <rect x="1.5" y="6.5" width="797" height="92" rx="18" fill="{WOOD_D}" stroke="{INK}" stroke-width="3"/>
  <rect x="1.5" y="1.5" width="797" height="92" rx="18" fill="{WOOD}" stroke="{INK}" stroke-width="3"/>
  <path d="M20 6.5 H780" stroke="{WOOD_L}" stroke-width="3" stroke-linecap="round"/>
  <rect x="8.5" y="14.5" width="140" height="78" rx="12" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>
  <rect x="651.5" y="14.5" width="140" height="78" rx="12" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>
'''
    write("def_info", 800, 100, body, "The HUD's tray along the bottom of the level")


TAB_X = [14 + 88 * i for i in range(5)] + [466] * 4
TAB_TOPS = {0: (TEAL, TEAL_LL), 1: (TEAL, TEAL_LL), 2: (GOLD, GOLD_L), 3: (GOLD, GOLD_L), 4: (GOLD, GOLD_L),
            5: (BERRY, "#F08AA3"), 6: (LEAF, LEAF_L), 7: (BERRY, "#F08AA3"), 8: (BERRY, "#F08AA3")}


def tabs():
    # 800 x 46, placed by its centre on the strip; tab i's shape stands at
    # its own place, rows 4 to 45 (the strip takes presses on rows 4 to 44).
    for i in range(9):
        x = TAB_X[i]
        top, light = TAB_TOPS[i]
        body = f'''  <path d="M{x + 1.5} 46 V16 a12 12 0 0 1 12 -12 H{x + 70.5} a12 12 0 0 1 12 12 V46 Z" fill="{top}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>
  <path d="M{x + 14} 9 H{x + 70}" stroke="{light}" stroke-width="3" stroke-linecap="round"/>
'''
        write(f"tab_{i}", 800, 46, body, f"Tab {i} of the strip")


# --- Buttons -------------------------------------------------------------------

BUTTON_STATES = {
    "normal": (TEAL, TEAL_LL, 0),
    "select": (TEAL_L, TEAL_LL, 0),
    "down": (TEAL_D, TEAL_L, 3),
    "disable": (GREY, GREY_L, 0),
}


def key(width, height, top, light, sink, radius=12, base=TEAL_DD):
    return f'''  <rect x="1.5" y="5.5" width="{width - 3}" height="{height - 7}" rx="{radius}" fill="{base}" stroke="{INK}" stroke-width="2"/>
  <rect x="1.5" y="{1.5 + sink}" width="{width - 3}" height="{height - 7}" rx="{radius}" fill="{top}" stroke="{INK}" stroke-width="2"/>
  <path d="M{radius} {6 + sink} H{width - radius}" stroke="{light}" stroke-width="2" stroke-linecap="round"/>
'''


def buttons():
    for state, (top, light, sink) in BUTTON_STATES.items():
        base = GREY_D if state == "disable" else TEAL_DD
        body = key(84, 68, top, light, sink, base=base)
        # The cost well along the lower part.
        body += f'  <rect x="8" y="{46 + sink}" width="68" height="14" rx="7" fill="{CREAM}" opacity="0.85"/>\n'
        write(f"button/button_{state}", 84, 68, body, f"A tab button, {state}")
    write("button/button_progress_bar", 84, 60,
          f'  <rect x="3" y="0" width="78" height="60" rx="10" fill="{LEAF}" opacity="0.55"/>\n',
          "The button's progress, filling from the bottom")
    menu_states = {"normal": (GOLD, GOLD_L, 0), "select": (GOLD_L, CREAM, 0), "down": (GOLD_D, GOLD_L, 3)}
    for state, (top, light, sink) in menu_states.items():
        body = key(100, 40, top, light, sink, base=GOLD_D)
        for k in range(3):
            y = 12 + sink + 6 * k
            body += f'  <path d="M12 {y} H30" stroke="{INK}" stroke-width="3" stroke-linecap="round"/>\n'
        write(f"button/menu_{state}", 100, 40, body, f"The menu button, {state}")
        body = f'''  <circle cx="20" cy="22" r="17" fill="{GOLD_D}" stroke="{INK}" stroke-width="2"/>
  <circle cx="20" cy="{19 + sink}" r="17" fill="{top}" stroke="{INK}" stroke-width="2"/>
  <path d="M12 {9 + sink} A12 12 0 0 1 28 {9 + sink}" fill="none" stroke="{light}" stroke-width="2" stroke-linecap="round"/>
  <circle cx="20" cy="{12 + sink}" r="3" fill="{INK}"/>
  <rect x="17" y="{17 + sink}" width="6" height="12" rx="3" fill="{INK}"/>
'''
        write(f"button/buton_help_{state}", 40, 40, body, f"The help button, {state}")
    # Overlays over a build-list button (its frame's size).
    lock = f'''  <rect x="56" y="8" width="20" height="16" rx="3" fill="{GOLD}" stroke="{INK}" stroke-width="2"/>
  <path d="M60 8 V4 a6 6 0 0 1 12 0 V8" fill="none" stroke="{INK}" stroke-width="2"/>
'''
    write("button/disable_icon/build_access", 84, 68, lock, "A lock: the draft may not be bought yet")
    scroll = lambda fill: f'''  <rect x="54" y="6" width="24" height="18" rx="4" fill="{fill}" stroke="{INK}" stroke-width="2"/>
  <path d="M58 12 H74 M58 17 H70" stroke="{INK}" stroke-width="1.5" stroke-linecap="round"/>
'''
    write("button/disable_icon/build_draft", 84, 68, scroll(CREAM), "A draft to buy")
    write("button/disable_icon/build_draft_d", 84, 68, scroll(GREY_L), "A draft to buy, out of reach")
    write("button/disable_icon/draft_done", 84, 68,
          f'''  <circle cx="66" cy="16" r="11" fill="{LEAF}" stroke="{INK}" stroke-width="2"/>
  <polyline points="60,16 65,21 73,11" fill="none" stroke="{CREAM}" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>
''', "Built already")


# --- Icons ---------------------------------------------------------------------

def coin(cx, cy, r, fill=GOLD, light=GOLD_L):
    return (f'  <circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}" stroke="{INK}" stroke-width="1.5"/>\n'
            f'  <circle cx="{cx}" cy="{cy}" r="{r * 0.55:.1f}" fill="none" stroke="{light}" stroke-width="1.5"/>\n')


def drop(cx, cy, s, fill="#4A7BD9", light="#9CC0FF"):
    return (f'  <path d="M{cx} {cy - s} C{cx + s * 0.9} {cy - s * 0.1} {cx + s * 0.8} {cy + s} {cx} {cy + s} '
            f'C{cx - s * 0.8} {cy + s} {cx - s * 0.9} {cy - s * 0.1} {cx} {cy - s} Z" fill="{fill}" stroke="{INK}" '
            f'stroke-width="1.5" stroke-linejoin="round"/>\n'
            f'  <path d="M{cx - s * 0.35} {cy + s * 0.1} q0 {s * 0.45} {s * 0.35} {s * 0.55}" fill="none" '
            f'stroke="{light}" stroke-width="1.5" stroke-linecap="round"/>\n')


def person(cx, cy, s, fill=WOOD, head="#F2C8A0"):
    return (f'  <circle cx="{cx}" cy="{cy - s * 0.55}" r="{s * 0.38:.1f}" fill="{head}" stroke="{INK}" stroke-width="1.5"/>\n'
            f'  <path d="M{cx - s * 0.7} {cy + s} V{cy + s * 0.3} a{s * 0.7} {s * 0.55} 0 0 1 {s * 1.4} 0 V{cy + s} Z" '
            f'fill="{fill}" stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>\n')


def crate(x, y, s, fill=WOOD):
    return (f'  <rect x="{x}" y="{y}" width="{s}" height="{s}" rx="2" fill="{fill}" stroke="{INK}" stroke-width="1.5"/>\n'
            f'  <path d="M{x} {y} L{x + s} {y + s} M{x + s} {y} L{x} {y + s}" stroke="{WOOD_D}" stroke-width="1.5"/>\n')


def star(cx, cy, r, fill=GOLD):
    import math
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        rr = r if k % 2 == 0 else r * 0.45
        pts.append(f"{cx + rr * math.cos(a):.1f},{cy + rr * math.sin(a):.1f}")
    return f'  <polygon points="{" ".join(pts)}" fill="{fill}" stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>\n'


def clover(cx, cy, r, fill=LEAF):
    out = ""
    for dx, dy in ((0, -1), (1, 0), (0, 1), (-1, 0)):
        out += f'  <circle cx="{cx + dx * r * 0.55:.1f}" cy="{cy + dy * r * 0.55:.1f}" r="{r * 0.5:.1f}" fill="{fill}" stroke="{INK}" stroke-width="1.5"/>\n'
    return out


def small_icons():
    write("ico/ico_money", 16, 16, coin(8, 8, 6.5), "Money")
    write("ico/ico_mana", 16, 16, drop(8, 8, 6.5), "Mana")
    write("ico/ico_worker", 16, 16, person(8, 8, 6), "Workers")
    write("ico/ico_good", 16, 16, crate(2, 2, 12), "Goods")
    write("ico/ico_lucky", 16, 16, clover(8, 8, 7), "Luck")
    write("ico/ico_task_0", 20, 20,
          f'  <rect x="2.5" y="2.5" width="15" height="15" rx="3" fill="{CREAM}" stroke="{INK}" stroke-width="1.5"/>\n',
          "A task condition not met")
    write("ico/ico_task_1", 20, 20,
          f'''  <rect x="2.5" y="2.5" width="15" height="15" rx="3" fill="{LEAF}" stroke="{INK}" stroke-width="1.5"/>
  <polyline points="6,10 9,13 14,7" fill="none" stroke="{CREAM}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>
''', "A task condition met")
    write("task_star", 16, 16, star(8, 8, 7), "A task star")
    # The read-out backdrops of the tray (24 x 24).
    write("ico/readout_money", 24, 24, coin(12, 12, 10), "The money read-out's coin")
    write("ico/readout_mana", 24, 24, drop(12, 12, 10), "The mana read-out's drop")
    write("ico/readout_worker", 24, 24, person(12, 12, 9), "The workers read-out's figure")
    write("ico/readout_good", 24, 24, crate(3, 3, 18), "The goods read-out's crate")
    write("ico/readout_lucky", 24, 24, clover(12, 12, 10), "The luck read-out's clover")


def grey(colour):
    return {GOLD: GREY, GOLD_L: GREY_L, "#4A7BD9": GREY, "#9CC0FF": GREY_L, WOOD: GREY_D, LEAF: GREY,
            BERRY: GREY_D, "#F2C8A0": GREY_L, CREAM: GREY_L, TEAL: GREY}.get(colour, colour)


def button_icons():
    # 36 x 36 pictures on the buttons; each has a greyed twin for disabled.
    def both(name, make, note):
        write(f"ico/{name.replace('%s', '')}", 36, 36, make(False), note)
        write(f"ico/{name.replace('%s', 'd_')}", 36, 36, make(True), note + ", out of reach")

    for n in range(3):
        def mana(off, n=n):
            g = grey if off else (lambda c: c)
            out = ""
            for k in range(n + 1):
                out += drop(18 + (k - n / 2) * 9, 18 + (k % 2) * 4, 9 - n, g("#4A7BD9"), g("#9CC0FF"))
            return out
        both(f"mana_%s{n}", mana, f"Mana offer {n}")

        def workers(off, n=n):
            g = grey if off else (lambda c: c)
            out = ""
            for k in range(n + 1):
                out += person(18 + (k - n / 2) * 10, 17 + (k % 2) * 3, 9 - n, g(WOOD), g("#F2C8A0"))
            return out
        both(f"worker_%s{n}", workers, f"Worker offer {n}")

    def service(n):
        def make(off):
            g = grey if off else (lambda c: c)
            if n == 0:  # repair: a wrench
                return (f'  <path d="M10 27 L22 15" stroke="{INK}" stroke-width="7" stroke-linecap="round"/>\n'
                        f'  <path d="M10 27 L22 15" stroke="{g(GOLD)}" stroke-width="4" stroke-linecap="round"/>\n'
                        f'  <circle cx="25" cy="12" r="6" fill="{g(GOLD)}" stroke="{INK}" stroke-width="1.5"/>\n'
                        f'  <circle cx="27" cy="10" r="2.5" fill="{g(TEAL)}"/>\n')
            if n == 1:  # upgrade: an arrow up
                return (f'  <polygon points="18,5 30,18 23,18 23,31 13,31 13,18 6,18" fill="{g(LEAF)}" '
                        f'stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>\n')
            if n == 2:  # crash: a hammer
                return (f'  <path d="M12 30 L22 14" stroke="{INK}" stroke-width="5" stroke-linecap="round"/>\n'
                        f'  <path d="M12 30 L22 14" stroke="{g(WOOD)}" stroke-width="2.5" stroke-linecap="round"/>\n'
                        f'  <rect x="16" y="5" width="16" height="10" rx="2" fill="{g(BERRY)}" stroke="{INK}" '
                        f'stroke-width="1.5" transform="rotate(32 24 10)"/>\n')
            if n == 3:  # sell: a bag of coins
                return (f'  <path d="M10 30 C5 22 10 14 15 12 H21 C26 14 31 22 26 30 Z" fill="{g(WOOD_L)}" '
                        f'stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>\n'
                        f'  <path d="M14 8 H22 L19 12 H17 Z" fill="{g(WOOD_L)}" stroke="{INK}" stroke-width="1.5"/>\n'
                        + coin(18, 22, 5, g(GOLD), g(GOLD_L)))
            # delivery: a cart
            return (f'  <rect x="5" y="10" width="22" height="13" rx="2" fill="{g(WOOD)}" stroke="{INK}" stroke-width="1.5"/>\n'
                    + crate(9, 4, 9, g(WOOD_L))
                    + f'  <circle cx="11" cy="27" r="4" fill="{g(GREY_D)}" stroke="{INK}" stroke-width="1.5"/>\n'
                    + f'  <circle cx="23" cy="27" r="4" fill="{g(GREY_D)}" stroke="{INK}" stroke-width="1.5"/>\n'
                    + f'  <path d="M27 12 H32" stroke="{INK}" stroke-width="2" stroke-linecap="round"/>\n')
        return make

    for n in range(5):
        both(f"service_%s{n}", service(n), f"Service {n}")

    def land(off):
        g = grey if off else (lambda c: c)
        return (f'  <path d="M4 30 Q18 22 32 30 Z" fill="{g(LEAF)}" stroke="{INK}" stroke-width="1.5"/>\n'
                f'  <path d="M14 26 V6" stroke="{INK}" stroke-width="2"/>\n'
                f'  <path d="M14 6 L28 10 L14 15 Z" fill="{g(BERRY)}" stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>\n')
    write("ico/land", 36, 36, land(False), "Land to buy")
    write("ico/land_d", 36, 36, land(True), "Land to buy, out of reach")

    def pay(n):
        def make(off):
            g = grey if off else (lambda c: c)
            out = coin(14, 20, 9, g(GOLD), g(GOLD_L))
            if n == 1:  # with risk: a second coin and a spark
                out += coin(24, 14, 7, g(GOLD), g(GOLD_L)) + star(28, 27, 5, g(BERRY))
            return out
        return make
    for n in range(2):
        both(f"pay_%s{n}", pay(n), f"Pay choice {n}")

    def stall_panel(n):
        def make(off):
            g = grey if off else (lambda c: c)
            if n == 0:  # accept: a check
                return (f'  <circle cx="18" cy="18" r="13" fill="{g(LEAF)}" stroke="{INK}" stroke-width="1.5"/>\n'
                        f'  <polyline points="11,18 16,23 25,12" fill="none" stroke="{CREAM}" stroke-width="3" '
                        f'stroke-linecap="round" stroke-linejoin="round"/>\n')
            if n == 1:  # reject: a cross
                return (f'  <circle cx="18" cy="18" r="13" fill="{g(BERRY)}" stroke="{INK}" stroke-width="1.5"/>\n'
                        f'  <path d="M12 12 L24 24 M24 12 L12 24" stroke="{CREAM}" stroke-width="3" stroke-linecap="round"/>\n')
            return (f'  <circle cx="18" cy="18" r="13" fill="{g(GOLD)}" stroke="{INK}" stroke-width="1.5"/>\n'
                    f'  <path d="M11 18 H25" stroke="{INK}" stroke-width="3" stroke-linecap="round"/>\n')
        return make
    for n in range(3):
        both(f"buy_%s{n}", stall_panel(n), f"Stall panel choice {n}")


# --- Clock, bars, plates -----------------------------------------------------

def clock():
    write("clock/fon", 88, 88, f'''  <circle cx="44" cy="44" r="41" fill="{CREAM}" stroke="{INK}" stroke-width="3"/>
  <circle cx="44" cy="44" r="25" fill="none" stroke="{WOOD_L}" stroke-width="2"/>
  <circle cx="44" cy="44" r="4" fill="{INK}"/>
''', "The clock's face; the peas ring it")
    write("clock/strelca", 6, 32, f'  <rect x="1" y="1" width="4" height="30" rx="2" fill="{INK}"/>\n',
          "The clock's hand; it turns about (3, 30)")
    write("clock/nakladka", 6, 26, f'  <rect x="1" y="1" width="4" height="24" rx="2" fill="{BERRY}" stroke="{INK}" stroke-width="1"/>\n',
          "The expert time's hand; it turns about (3, 24)")
    write("clock/pea_green", 8, 8, f'  <circle cx="4" cy="4" r="3.2" fill="{LEAF}" stroke="{INK}" stroke-width="1"/>\n',
          "A pea of the dial")
    write("clock/pea_red", 8, 8, f'  <circle cx="4" cy="4" r="3.2" fill="{BERRY}" stroke="{INK}" stroke-width="1"/>\n',
          "A pea past the expert time")


def bars():
    write("profit_bar/layer_2", 216, 20, f'''  <path fill-rule="evenodd" fill="{WOOD}" stroke="{INK}" stroke-width="2" d="M1 10 a9 9 0 0 1 9 -9 H206 a9 9 0 0 1 9 9 a9 9 0 0 1 -9 9 H10 a9 9 0 0 1 -9 -9 Z M8 4 H208 V16 H8 Z"/>
''', "The profit bar's frame, open where the fill shows")
    write("profit_bar/layer_1", 200, 12, f'  <rect x="0" y="0" width="200" height="12" fill="{GOLD}"/>\n  <rect x="0" y="1" width="200" height="3" fill="{GOLD_L}"/>\n',
          "The profit bar's fill at the income's target")
    write("profit_bar/layer_1_dop", 200, 12, f'  <rect x="0" y="0" width="200" height="12" fill="{TEAL}"/>\n  <rect x="0" y="1" width="200" height="3" fill="{TEAL_LL}"/>\n',
          "The profit bar's fill below the income's target")
    write("time_bar/layer_2", 164, 14, f'  <rect x="1" y="1" width="162" height="12" rx="6" fill="{WOOD_D}" stroke="{INK}" stroke-width="2"/>\n',
          "The time bar's back")
    write("time_bar/layer_3", 4, 14, f'  <rect x="0" y="0" width="4" height="14" fill="{BERRY}"/>\n', "The expert time's mark")
    write("time_bar/layer_1", 156, 8, f'  <rect x="0" y="0" width="156" height="8" fill="{LEAF}"/>\n', "The time bar's fill")
    write("lucky_bar/line1", 10, 10, f'  <rect x="0" y="3" width="10" height="4" fill="{LEAF}"/>\n', "The lucky bar's first line")
    write("lucky_bar/line2", 10, 10, f'  <rect x="0" y="3" width="10" height="4" fill="{GOLD}"/>\n', "The lucky bar's second line")
    lock = f'''  <rect x="1.5" y="1.5" width="139" height="23" rx="8" fill="{WOOD}" stroke="{INK}" stroke-width="2"/>
  <path d="M10 6 H132" stroke="{WOOD_L}" stroke-width="2" stroke-linecap="round"/>
  <rect x="63" y="10" width="16" height="11" rx="2" fill="{GOLD}" stroke="{INK}" stroke-width="1.5"/>
  <path d="M66 10 V7 a5 5 0 0 1 10 0 V10" fill="none" stroke="{INK}" stroke-width="1.5"/>
'''
    write("zagl_lev", 142, 26, lock, "The plate over the luck row until its level")
    write("zagl_prv", 142, 26, lock.replace(WOOD, WOOD_D, 1), "The plate over the goods row until its level")


# --- Bubbles and task windows --------------------------------------------------

def bubble(width, height, note, name):
    write(name, width, height,
          f'  <rect x="1.5" y="1.5" width="{width - 3}" height="{height - 3}" rx="{min(12, height // 3)}" '
          f'fill="{CREAM}" stroke="{INK}" stroke-width="2"/>\n', note)


def windows():
    bubble(220, 120, "The info bubble", "window_info/babl")
    bubble(200, 90, "The task hint's bubble", "window_info/babl_task")
    for k, w in enumerate((80, 110, 140, 170), start=1):
        bubble(w, 34, f"A small bubble {w} wide", f"window_info/babl_small_{k}")
    tri = lambda w, h: (f'  <polygon points="1,1 {w - 1},1 {w / 2},{h - 1}" fill="{CREAM}" stroke="{INK}" '
                        f'stroke-width="1.5" stroke-linejoin="round"/>\n')
    write("window_info/arrow", 14, 10, tri(14, 10), "The small bubble's pointer")
    write("window_info/arrow_2", 20, 14, tri(20, 14), "The info bubble's pointer")
    write("window_info/arrow_3", 16, 12, tri(16, 12), "The task hint's pointer")
    for k in range(1, 5):
        h = 40 + 26 * k
        write(f"task_window_{k}", 200, h,
              f'''  <rect x="1.5" y="1.5" width="197" height="{h - 3}" rx="14" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>
  <rect x="1.5" y="1.5" width="197" height="28" rx="14" fill="{GOLD}" stroke="{INK}" stroke-width="2"/>
''', f"The task window for {k} conditions")


tray()
tabs()
buttons()
small_icons()
button_icons()
clock()
bars()
windows()


# --- The income indicator: a bobbing arrow (animation frames) ---------------

def indicator():
    import json
    folder = "art/animations/game_logic/hud/arrow"
    os.makedirs(f"{folder}/arrow_down", exist_ok=True)
    frames = []
    for k, dy in enumerate((0, 1, 2, 1), start=1):
        with open(f"{folder}/arrow_down/{k}.svg", "w") as out:
            out.write(f'''<svg xmlns="http://www.w3.org/2000/svg" width="16" height="18" viewBox="0 0 16 18">
  <!-- The income indicator, frame {k}; no text. -->
  <polygon points="5,{1 + dy} 11,{1 + dy} 11,{7 + dy} 15,{7 + dy} 8,{15 + dy} 1,{7 + dy} 5,{7 + dy}" fill="{BERRY}" stroke="{INK}" stroke-width="1.5" stroke-linejoin="round"/>
</svg>
''')
        frames.append({"svg": f"arrow_down/{k}.svg", "width": 16, "height": 18, "regx": 8, "regy": 9})
    desc = {
        "name": "arrow_down",
        "source": f"{folder}/arrow_down",
        "mask": False,
        "script": "function DoAnim() while true do delay(150); frames{1, 2, 3, 4} end end",
        "frames": frames,
    }
    with open(f"{folder}/arrow_down.json", "w") as out:
        json.dump(desc, out, indent=2)
        out.write("\n")


indicator()
