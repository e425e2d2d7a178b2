#!/usr/bin/env python3
"""Writes the help screen's page arrows into art/images/core/help/: a left
and a right arrow, each at rest, hovered and pressed (48 x 48, teal keys on
their darker base like the dialog buttons). Run from the repository root."""

STATES = {
    "": ("#2FA39A", "#6FD1C8", 0),
    "_hover": ("#45BDB3", "#8FE3DA", 0),
    "_pressed": ("#268C84", "#45BDB3", 4),
}


def arrow(direction, top, light, sink):
    # The chevron points left or right; its tip sits 14 px from the edge.
    if direction == "left":
        points = "30,%d 16,%d 30,%d" % (13 + sink, 24 + sink, 35 + sink)
    else:
        points = "18,%d 32,%d 18,%d" % (13 + sink, 24 + sink, 35 + sink)
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">
  <!-- A page arrow ({direction}); no text. -->
  <rect x="1.5" y="7.5" width="45" height="39" rx="12" fill="#1E7770" stroke="#3B2A4A" stroke-width="2"/>
  <rect x="1.5" y="{1.5 + sink}" width="45" height="39" rx="12" fill="{top}" stroke="#3B2A4A" stroke-width="2"/>
  <path d="M12 {8 + sink} H36" stroke="{light}" stroke-width="2" stroke-linecap="round"/>
  <polyline points="{points}" fill="none" stroke="#FFF4DE" stroke-width="5" stroke-linecap="round" stroke-linejoin="round"/>
</svg>
'''


for direction in ("left", "right"):
    for suffix, (top, light, sink) in STATES.items():
        with open(f"art/images/core/help/arrow_{direction}{suffix}.svg", "w") as out:
            out.write(arrow(direction, top, light, sink))
