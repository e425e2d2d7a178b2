-- A broken stall being repaired: a hammer at work while the workers help;
-- over the last second the broken picture fades out and the stall's own
-- layers come back and fade in.

-- {value, depth, animation, function, from end, offset, duration, extra, anchor step, anchor}
Anim = {
    {1, 1, "effect:images/game_logic/effect/repair/repair", "DoAnim", 1, 0, 60000},
}

-- {value, depth, particle file, image, from end, offset, duration, anchor step, anchor}
Paricle = {
}

-- {kind, value 2, value 3, from end, offset, duration}
Action = {
    -- The broken picture fades out...
    {3, 0, 0, 0, 1000, 1000},
    -- ...the layers show again...
    {8, 0, 1, 0, 1000, 0},
    -- ...and fade in.
    {7, 0, 0, 0, 1000, 1000},
}

-- {from end, offset, text}
Worker = {
    {1, 0, "Loop"},
}
