-- A stall being taken down: its last picture (extra text 0: the broken or
-- the sold one) crumbles in a cloud of dust; over the last second the stall
-- fades out and the empty plot fades back in.

-- {value, depth, animation, function, from end, offset, duration, extra, anchor step, anchor}
Anim = {
    {1, 1, "effect:images/game_logic/effect/crash/dust", "DoAnim", 1, 0, 60000, "dop_str_0"},
    {1, 2, "effect:images/game_logic/effect/crash/dust", "DoAnim", 1, 0, 60000},
}

-- {value, depth, particle file, image, from end, offset, duration, anchor step, anchor}
Paricle = {
    {1, 3, "images/game_logic/effect/crash/crash.psi", "images/game_logic/effect/crash/crash", 1, 0, 60000},
}

-- {kind, value 2, value 3, from end, offset, duration}
Action = {
    -- The stall's picture fades out...
    {3, 0, 0, 0, 1000, 1000},
    -- ...and the plot's pictures come back.
    {10, 0, 0, 0, 1000, 1000},
}

-- {from end, offset, text}
Worker = {
    {1, 0, "Loop"},
}
