#!/usr/bin/env python3
"""Writes the stall descriptions the game and the editor's catalogue offer,
numbers 0 to 6 of each kind (trade stalls, attractions, bonus stalls), four
upgrade levels each, from the one table below: the description scripts
under assets/scripts/game_logic/{stall,attr,bonus}/ and the pictures they
name as SVG under art/images/game_logic/{stall,attr,bonus}/<kind>_<n>/
(body, ground, ico, ico_d, break; the body is centred on the stall's
position, like its click mask, and the ground lies under its foot), in the groups "trade_stall_<n>",
"attr_stall_<n>" and "bonus_stall_<n>". Run from the repository root; then
`make content` renders the pictures."""
import os

INK = "#3B2A4A"
CREAM = "#FFF4DE"
GOLD = "#F2B33D"
TEAL = "#2FA39A"
TEAL_DARK = "#1E7770"
BERRY = "#D9486B"
LEAF = "#7CC35A"
WOOD = "#B9763F"
WOOD_DARK = "#8A5128"
GREY = "#9C8AA8"
GREY_LIGHT = "#C8BCD0"

AWNINGS = [TEAL, BERRY, GOLD, LEAF, "#6A7FD0", "#E07A3A", "#8E5AB8"]

# kind: (folder, group, script prefix)
KINDS = {
    "trade": ("stall", "trade_stall", "stall"),
    "attr": ("attr", "attr_stall", "attr"),
    "bonus": ("bonus", "bonus_stall", "bonus"),
}

# The bonus stalls' types, by file number: income, shop discount,
# protection, upgrade discount, transport, coverage, lightning.
BONUS_TYPES = [0, 2, 3, 4, 6, 8, 10]
BONUS_UNITS = ["%", "%", "", "%", "", "%", ""]


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def svg(width, height, body, comment):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n  <!-- {comment}; no text. -->\n{body}</svg>\n')


def stripes(x, y, w, h, colour, count=5):
    out = f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="4" fill="{CREAM}" stroke="{INK}" stroke-width="3"/>\n'
    step = w / count
    for i in range(0, count, 2):
        out += f'  <rect x="{x + i * step:.1f}" y="{y}" width="{step:.1f}" height="{h}" fill="{colour}"/>\n'
    out += f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="4" fill="none" stroke="{INK}" stroke-width="3"/>\n'
    return out


def body(kind, n, broken=False):
    """The stall itself, 100 x 100, standing on (50, 96)."""
    colour = GREY if broken else AWNINGS[n]
    wood = GREY_LIGHT if broken else WOOD
    out = f'  <ellipse cx="50" cy="94" rx="44" ry="6" fill="{INK}" opacity="0.3"/>\n'
    if kind == "trade":
        out += f'  <rect x="14" y="50" width="72" height="42" rx="4" fill="{wood}" stroke="{INK}" stroke-width="3"/>\n'
        out += f'  <rect x="18" y="30" width="6" height="24" fill="{WOOD_DARK}" stroke="{INK}" stroke-width="2"/>\n'
        out += f'  <rect x="76" y="30" width="6" height="24" fill="{WOOD_DARK}" stroke="{INK}" stroke-width="2"/>\n'
        out += stripes(8, 14 + n % 3 * 2, 84, 20, colour)
        for i in range(n % 4 + 1):
            out += f'  <circle cx="{28 + i * 14}" cy="50" r="5" fill="{BERRY if i % 2 else GOLD}" stroke="{INK}" stroke-width="2"/>\n'
    elif kind == "attr":
        out += f'  <path d="M50 8 L88 40 L12 40 Z" fill="{colour}" stroke="{INK}" stroke-width="3" stroke-linejoin="round"/>\n'
        out += f'  <rect x="18" y="40" width="64" height="52" rx="4" fill="{wood}" stroke="{INK}" stroke-width="3"/>\n'
        out += f'  <circle cx="50" cy="64" r="{10 + n % 3 * 3}" fill="{CREAM}" stroke="{INK}" stroke-width="3"/>\n'
        out += f'  <path d="M50 8 L50 0" stroke="{INK}" stroke-width="2"/>\n'
        out += f'  <path d="M50 0 L62 4 L50 8 Z" fill="{BERRY}" stroke="{INK}" stroke-width="1.5"/>\n'
    else:
        out += f'  <rect x="26" y="36" width="48" height="56" rx="6" fill="{wood}" stroke="{INK}" stroke-width="3"/>\n'
        out += f'  <circle cx="50" cy="26" r="20" fill="{colour}" stroke="{INK}" stroke-width="3"/>\n'
        points = " ".join(f"{50 + 10 * (1 if i % 2 == 0 else 0.45) * c:.1f},{26 + 10 * (1 if i % 2 == 0 else 0.45) * s:.1f}"
                          for i, (c, s) in enumerate(STAR))
        out += f'  <polygon points="{points}" fill="{CREAM}" stroke="{INK}" stroke-width="1.5"/>\n'
        out += f'  <rect x="40" y="{60 + n % 2 * 4}" width="20" height="28" rx="3" fill="{WOOD_DARK}" stroke="{INK}" stroke-width="2"/>\n'
    if broken:
        out += f'  <path d="M20 30 L40 52 L30 60 L58 84" fill="none" stroke="{INK}" stroke-width="3" stroke-linecap="round"/>\n'
        out += f'  <path d="M70 20 L60 44 L76 58" fill="none" stroke="{INK}" stroke-width="3" stroke-linecap="round"/>\n'
    return out


def veiled(picture):
    """The picture drained of most of its colour."""
    return ('  <filter id="veil"><feColorMatrix type="saturate" values="0.2"/></filter>\n'
            f'  <g filter="url(#veil)" opacity="0.9">\n{picture}  </g>\n')


def star_points():
    import math
    return [(math.cos(math.radians(-90 + 36 * i)), math.sin(math.radians(-90 + 36 * i))) for i in range(10)]


STAR = star_points()


def ground(n):
    return (f'  <ellipse cx="60" cy="30" rx="56" ry="24" fill="{WOOD}" stroke="{INK}" stroke-width="3"/>\n'
            f'  <ellipse cx="60" cy="30" rx="40" ry="16" fill="none" stroke="{WOOD_DARK}" stroke-width="2" '
            f'stroke-dasharray="8 5"/>\n')


def icon(kind, n, disabled):
    colour = GREY if disabled else AWNINGS[n]
    back = GREY_LIGHT if disabled else CREAM
    out = f'  <rect x="2" y="2" width="44" height="44" rx="10" fill="{back}" stroke="{INK}" stroke-width="2"/>\n'
    if kind == "trade":
        out += f'  <rect x="10" y="22" width="28" height="18" rx="2" fill="{colour}" stroke="{INK}" stroke-width="2"/>\n'
        out += f'  <path d="M8 22 L14 10 L34 10 L40 22 Z" fill="{colour}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
    elif kind == "attr":
        out += f'  <path d="M24 8 L40 24 L8 24 Z" fill="{colour}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
        out += f'  <circle cx="24" cy="32" r="8" fill="{colour}" stroke="{INK}" stroke-width="2"/>\n'
    else:
        out += f'  <circle cx="24" cy="24" r="14" fill="{colour}" stroke="{INK}" stroke-width="2"/>\n'
    for i in range(n + 1):
        out += f'  <circle cx="{8 + i * 5}" cy="42" r="1.6" fill="{INK}"/>\n'
    return out


def lua_list(values):
    return "{" + ", ".join(str(v) for v in values) + "}"


def description(kind, n):
    folder, group, prefix = KINDS[kind]
    pic = f"{group}_{n}:images/game_logic/{folder}/{prefix}_{n}"
    levels = 4
    base = 100 + 50 * n
    build = [base * (i + 1) for i in range(levels)]
    lines = [f"-- {kind} stall description {n}: four upgrade levels.", "", "Main =", "{", f"\tid = {n},"]
    if kind == "trade":
        lines.append(f"\ttrade_type = {n % 3},")
    lines.append(f"\tis_right_side = {n % 2},")
    lines.append(f'\tname = "{group}_name_{n}",')
    if kind != "attr":
        lines += ["\tis_draft = 0,", "\tis_draft_access = 0,"]
    lines += [f"\tdraft_cost = {500 + 100 * n},", "}", ""]
    lines += ["Sprite =", "{",
              f'\tclick_mask = "{pic}/body",',
              f'\tico = "{pic}/ico",',
              f'\tico_d = "{pic}/ico_d",',
              f'\tbreak_image = "{pic}/break",',
              f'\tsell_image = "{pic}/body",',
              f'\tground = {{ {{"{pic}/ground", 60, -12}} }},',
              f'\timage = {{ {{"{pic}/body", 1, 50, 50}} }},',
              "\tanim = {},", "\tparticle = {},", "}", ""]
    lines += ["Time =", "{", "\tbuild = 3000,", "\tupgrade = 4000,", "\trepair = 2500,", "\tcrash = 2000,",
              "\tpay = 3000,", "\tpre_buy = 1000,", "\tbuy = 2000,", "}", ""]
    money = [f"\tbuild = {lua_list(build)},"]
    if kind != "bonus":
        money.append(f"\tprofit = {lua_list([10 + 5 * n + 10 * i for i in range(levels)])},")
    money += [f"\trepair = {lua_list([b // 4 for b in build])},",
              f"\tsell = {lua_list([b // 2 for b in build])},",
              f"\tpay = {lua_list([b // 5 for b in build])},"]
    lines += ["Money =", "{"] + money + ["}", ""]
    lines += ["Mana =", "{", f"\tbuild = {lua_list([20 + 10 * i for i in range(levels)])},",
              f"\trepair = {lua_list([10] * levels)},", f"\tsell = {lua_list([0] * levels)},", "}", ""]
    lines += ["Worker =", "{", f"\tbuild = {lua_list([1, 1, 2, 2])},", f"\trepair = {lua_list([1] * levels)},",
              f"\tsell = {lua_list([0] * levels)},", "}", ""]
    if kind == "trade":
        lines += ["Good =", "{", f"\tstore = {lua_list([20 + 10 * i for i in range(levels)])},",
                  f"\tsub = {lua_list([1, 1, 2, 2])},", f"\tlimit = {lua_list([40 + 20 * i for i in range(levels)])},",
                  f"\tcost = {lua_list([5 + n + i for i in range(levels)])},", "}", ""]
    elif kind == "attr":
        lines += ["FunCustomer =", "{", f"\tcnt = {lua_list([1, 2, 2, 3])},", "}", ""]
    else:
        btype = BONUS_TYPES[n]
        values = [5 * (i + 1) for i in range(levels)] if BONUS_UNITS[n] else [i + 1 for i in range(levels)]
        names = ", ".join(f'"bonus_stall_value_{n}_{i}"' for i in range(levels))
        lines += ["Bonus =", "{", f"\t[\"local\"] = {1 if btype in (3, 8, 10) else 0},", f"\ttype = {btype},",
                  '\tbonus_pattern = "%d",', f"\tbonus = {lua_list(values)},", f"\tbonus_name = {{{names}}},", "}", ""]
        if btype == 8:
            lines += ["Lucky =", "{", f"\tbuild = {lua_list([10, 15, 20, 25])},", "}", ""]
    return "\n".join(lines)


def bonus_label_rows():
    rows = []
    names = ["Income", "Shop discount", "Protection", "Upgrade discount", "Transport", "Coverage", "Lightning"]
    for n in range(7):
        for i in range(4):
            value = 5 * (i + 1) if BONUS_UNITS[n] else i + 1
            rows.append((f"bonus_stall_value_{n}_{i}", f"{names[n]}:+{value}{BONUS_UNITS[n].replace('%', '%%')}"))
    return rows


def main():
    for kind, (folder, group, prefix) in KINDS.items():
        for n in range(7):
            art = f"art/images/game_logic/{folder}/{prefix}_{n}"
            write(f"{art}/body.svg", svg(100, 100, body(kind, n), f"{kind} stall {n}"))
            write(f"{art}/break.svg", svg(100, 100, body(kind, n, broken=True), f"{kind} stall {n}, broken"))
            # What a locked or departing stall shows over itself, and the
            # broken stall's picture the crash effect fades away.
            write(f"{art}/body_.svg", svg(100, 100, veiled(body(kind, n)), f"{kind} stall {n}, locked or sold"))
            write(f"{art}/break_.svg", svg(100, 100, veiled(body(kind, n, broken=True)),
                                           f"{kind} stall {n}, broken, fading"))
            write(f"{art}/ground.svg", svg(120, 60, ground(n), f"{kind} stall {n}, ground"))
            write(f"{art}/ico.svg", svg(48, 48, icon(kind, n, False), f"{kind} stall {n}, icon"))
            write(f"{art}/ico_d.svg", svg(48, 48, icon(kind, n, True), f"{kind} stall {n}, icon disabled"))
            write(f"assets/scripts/game_logic/{folder}/{prefix}_{n}.lua", description(kind, n))
    if os.environ.get("PRINT_LABELS"):
        for label, text in bonus_label_rows():
            print(f"   <Row><Cell><Data>{label}</Data></Cell><Cell><Data>{text}</Data></Cell></Row>")


if __name__ == "__main__":
    main()
