#!/usr/bin/env python3
"""Writes the walkers' art: the animation descriptions and frames of the
customers, couriers (employees), monsters and working figures under
art/animations/, and the still pictures (shadow, lightning pieces, click
masks, particle dots) under art/images/. Run from the repository root; then
`make content` packs and renders them."""
import json
import os

INK = "#3B2A4A"
CREAM = "#FFF4DE"
GOLD = "#F2B33D"
GOLD_LIGHT = "#FFD873"
TEAL = "#2FA39A"
TEAL_LIGHT = "#6FD1C8"
BERRY = "#D9486B"
LEAF = "#7CC35A"
LEAF_DARK = "#5A9A3E"
WOOD = "#B9763F"
WOOD_DARK = "#8A5128"
NIGHT = "#27345C"
STREET = "#4A3A5C"

WALK_SCRIPT = "function DoAnim() while true do delay(160); frames{1, 2} end end"
ONCE_SCRIPT = "function DoAnim() delay(120); frames{1, 2, 3, 4} end"
BACK_SCRIPT = ("delay_ = 120\n"
               "function DoAnim() delay(delay_); frames{1, 2, 3, 4} end\n"
               "function DoAnimBack() delay(delay_); frames{4, 3, 2, 1} end")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def svg(width, height, body, comment):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n  <!-- {comment}; no text. -->\n{body}</svg>\n')


def animation(folder, name, frames, script, width, height, regx, regy, anchors=None):
    """frames: SVG bodies; writes folder/name.json and folder/name/N.svg."""
    entries = []
    for i, body in enumerate(frames, 1):
        write(f"{folder}/{name}/{i}.svg", svg(width, height, body, f"{name}, frame {i}"))
        entry = {"svg": f"{name}/{i}.svg", "width": width, "height": height, "regx": regx, "regy": regy}
        if anchors:
            entry["anchors"] = anchors[i - 1]
        entries.append(entry)
    desc = {"name": name, "source": f"{folder}/{name}", "mask": False, "script": script, "frames": entries}
    write(f"{folder}/{name}.json", json.dumps(desc, indent=2) + "\n")


# --- People --------------------------------------------------------------

def person(coat, trim, step, facing_down, load=None, happy=False):
    """A figure 28 x 44 standing on (14, 42): legs apart on step 1."""
    spread = 4 if step else 1
    legs = (f'  <path d="M11 32 L{11 - spread} 41 M17 32 L{17 + spread} 41" stroke="{INK}" '
            f'stroke-width="3" stroke-linecap="round"/>\n')
    body = (f'  <rect x="6.5" y="16.5" width="15" height="17" rx="6" fill="{coat}" stroke="{INK}" stroke-width="2"/>\n'
            f'  <path d="M9 19 H19" stroke="{trim}" stroke-width="2" stroke-linecap="round"/>\n')
    arms_up = happy and step
    arm_y = 10 if arms_up else 26
    arms = (f'  <path d="M7 20 L3 {arm_y} M21 20 L25 {arm_y}" stroke="{INK}" stroke-width="2.5" '
            f'stroke-linecap="round"/>\n')
    head = f'  <circle cx="14" cy="10" r="6.5" fill="{CREAM}" stroke="{INK}" stroke-width="2"/>\n'
    # Facing down shows the eyes; facing up the back of the head (hair).
    face = (f'  <circle cx="12" cy="10" r="1" fill="{INK}"/>\n  <circle cx="16.5" cy="10" r="1" fill="{INK}"/>\n'
            if facing_down else f'  <path d="M8 9 Q14 2 20 9" fill="{WOOD_DARK}" stroke="{INK}" stroke-width="1.5"/>\n')
    crate = ""
    if load == "full":
        crate = (f'  <rect x="15.5" y="18.5" width="11" height="9" fill="{WOOD}" stroke="{INK}" stroke-width="2"/>\n'
                 f'  <path d="M16 23 H26" stroke="{WOOD_DARK}" stroke-width="1.5"/>\n')
    return legs + body + arms + head + face + crate


def people():
    root = "art/animations/game_logic/humans"
    coats = {"customer_0": (BERRY, GOLD_LIGHT), "customer_1": (LEAF, CREAM)}
    for group, (coat, trim) in coats.items():
        for index in (0, 1):
            frames = [person(coat, trim, s, index == 1) for s in (0, 1)]
            animation(f"{root}/{group}", f"walk_{index}", frames, WALK_SCRIPT, 28, 44, 14, 42)
        happy = [person(coat, trim, s, True, happy=True) for s in (0, 1, 0, 1)]
        animation(f"{root}/{group}", "happy", happy, "function DoAnim() while true do delay(140); frames{1, 2, 3, 4} end end",
                  28, 44, 14, 42)
    uniforms = [(TEAL, TEAL_LIGHT), (WOOD, GOLD_LIGHT), (GOLD, CREAM), (NIGHT, TEAL_LIGHT)]
    for n, (coat, trim) in enumerate(uniforms):
        group = f"employee_{n}"
        for load in ("full", "empty"):
            for index in (0, 1):
                frames = [person(coat, trim, s, index == 1, load=load) for s in (0, 1)]
                animation(f"{root}/{group}", f"{load}_walk_{index}", frames, WALK_SCRIPT, 28, 44, 14, 42)


# --- Monsters ------------------------------------------------------------

def blob(colour, step, facing_down, pose="walk", wings=False):
    """A monster 40 x 48 standing on (20, 46)."""
    lift = 2 if step else 0
    out = ""
    if wings:
        flap = 6 if step else 14
        out += (f'  <path d="M12 22 L1 {flap} L10 28 Z M28 22 L39 {flap} L30 28 Z" fill="{TEAL_LIGHT}" '
                f'stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n')
    else:
        out += (f'  <path d="M14 38 L{12 - lift} 45 M26 38 L{28 + lift} 45" stroke="{INK}" stroke-width="3" '
                f'stroke-linecap="round"/>\n')
    out += (f'  <path d="M6 {38 - lift} Q4 12 20 10 Q36 12 34 {38 - lift} Z" fill="{colour}" stroke="{INK}" '
            f'stroke-width="2" stroke-linejoin="round"/>\n')
    out += f'  <path d="M11 17 Q20 12 29 17" stroke="{CREAM}" stroke-width="2" fill="none" stroke-linecap="round" opacity="0.6"/>\n'
    out += f'  <path d="M12 10 L9 3 L16 9 M28 10 L31 3 L24 9" fill="{colour}" stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n'
    if facing_down:
        out += f'  <circle cx="15" cy="22" r="3" fill="{CREAM}" stroke="{INK}" stroke-width="1.5"/>\n'
        out += f'  <circle cx="25" cy="22" r="3" fill="{CREAM}" stroke="{INK}" stroke-width="1.5"/>\n'
        mouth = "M14 30 Q20 35 26 30" if pose != "action" else "M13 29 L16 33 L20 29 L24 33 L27 29"
        out += f'  <path d="{mouth}" stroke="{INK}" stroke-width="2" fill="none" stroke-linejoin="round"/>\n'
    if pose == "action":
        raise_ = 0 if step else 6
        out += (f'  <path d="M6 26 L0 {14 + raise_} M34 26 L40 {14 + raise_}" stroke="{INK}" stroke-width="3" '
                f'stroke-linecap="round"/>\n')
    if pose == "shield":
        out += (f'  <path d="M8 {16 + lift} Q20 {6 + lift} 32 {16 + lift} L30 36 Q20 42 10 36 Z" fill="{GOLD}" '
                f'stroke="{INK}" stroke-width="2" stroke-linejoin="round"/>\n')
    return out


def spark_frame(size, k):
    c = size / 2
    r = 4 + 4 * k
    return (f'  <circle cx="{c}" cy="{c}" r="{r}" fill="none" stroke="{GOLD}" stroke-width="3" opacity="{1 - 0.2 * k:.1f}"/>\n'
            f'  <path d="M{c} {c - r - 4} V{c + r + 4} M{c - r - 4} {c} H{c + r + 4}" stroke="{INK}" stroke-width="2" '
            f'stroke-linecap="round"/>\n')


def monsters():
    root = "art/animations/game_logic/humans"
    kinds = [("monster_0", BERRY, False, False), ("monster_1", TEAL, True, False), ("monster_2", LEAF_DARK, False, True)]
    for group, colour, wings, shield in kinds:
        folder = f"{root}/{group}"
        for index in (0, 1):
            frames = [blob(colour, s, index == 1, wings=wings) for s in (0, 1)]
            animation(folder, f"walk_{index}", frames, WALK_SCRIPT, 40, 48, 20, 46)
            action = [blob(colour, s % 2, True, "action", wings) for s in range(4)]
            animation(folder, f"action_walk_{index}", action, ONCE_SCRIPT, 40, 48, 20, 46)
            if shield:
                cover = [blob(colour, s % 2, index == 1, "shield", wings) for s in range(4)]
                animation(folder, f"shield_walk_{index}", cover, BACK_SCRIPT, 40, 48, 20, 46)
        attack = [spark_frame(40, k) for k in range(4)]
        animation(folder, "attack", attack, ONCE_SCRIPT, 40, 40, 20, 36)
        # The click mask: the monster's outline, solid.
        write(f"art/images/game_logic/humans/{group}/click_mask.svg",
              svg(40, 48, f'  <path d="M4 40 Q2 8 20 6 Q38 8 36 40 Z" fill="{INK}"/>\n', f"{group}'s click mask"))


# --- The working figure --------------------------------------------------

def workers():
    folder = "art/animations/game_logic/effect/worker"
    script = ("delay_cnt_1_ = 400\ndelay_cnt_2_ = 300\nfly_time_ = 500\n"
              "function DoAnim() delay(160); frames{1, 2} end\n"
              "function Loop() while true do delay(160); frames{1, 2} end end")
    frames = [person(TEAL, GOLD_LIGHT, s, True, happy=s == 1) for s in (0, 1)]
    animation(folder, "worker", frames, script, 28, 44, 14, 42)
    hand = []
    anchors = []
    for k in range(4):
        r = 2 + k
        hand.append(f'  <circle cx="25" cy="{12 - k}" r="{r}" fill="{GOLD_LIGHT}" stroke="{GOLD}" stroke-width="1.5"/>\n')
        anchors.append([{"name": "anchor_hand", "x": 11, "y": -30 - k}])
    animation(folder, "hand_magic", hand, "function DoAnim() delay(100); frames{1, 2, 3, 4} end", 28, 44, 14, 42,
              anchors)


# --- Still pictures ------------------------------------------------------

def stills():
    write("art/images/game_logic/shade.svg",
          svg(28, 10, f'  <ellipse cx="14" cy="5" rx="13" ry="4.5" fill="{INK}" opacity="0.3"/>\n', "a walker's shadow"))
    # Bolt pieces: 25 px high so that they overlap by 5 when laid end to end;
    # each is a zigzag of its own.
    for n in range(9):
        mid = 6 + (n * 7) % 14
        body = (f'  <path d="M0 12.5 L{mid} {4 + n % 5} L{mid + 4} {20 - n % 4} L24 12.5" fill="none" stroke="{GOLD}" '
                f'stroke-width="4" stroke-linejoin="round" stroke-linecap="round"/>\n'
                f'  <path d="M0 12.5 L{mid} {4 + n % 5} L{mid + 4} {20 - n % 4} L24 12.5" fill="none" stroke="{CREAM}" '
                f'stroke-width="1.5" stroke-linejoin="round" stroke-linecap="round"/>\n')
        write(f"art/images/game_logic/lightning/lightning_piece_{n}.svg", svg(24, 25, body, f"bolt piece {n}"))
    dots = {
        "game_logic/humans/monster_dead/monster_dead": CREAM,
        "game_logic/humans/monster_dead/monster_portal": TEAL_LIGHT,
        "game_logic/humans/click_particle/monster_click": GOLD_LIGHT,
        "game_logic/effect/monster_mana/monster_mana": TEAL_LIGHT,
        "game_logic/effect/worker/particle/fly_from_hand": GOLD_LIGHT,
        "game_logic/effect/worker/particle/boom": CREAM,
    }
    for path, colour in dots.items():
        write(f"art/images/{path}.svg",
              svg(8, 8, f'  <circle cx="4" cy="4" r="3.5" fill="{colour}"/>\n', "a particle dot"))


people()
monsters()
workers()
stills()
