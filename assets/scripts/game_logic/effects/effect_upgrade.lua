-- A stall being upgraded: the workers work their magic, a burst of light
-- flares where the new star will hang (extra point 0), and the star shows
-- half a second before the end.

-- {value, depth, animation, function, from end, offset, duration, extra, anchor step, anchor}
Anim = {
    {1, 1, "effect:images/game_logic/effect/build/build", "DoAnim", 1, 0, 60000},
    {1, 2, "effect:images/game_logic/effect/upgrade/upgrade", "DoAnim", 0, 1000, 1000, "dop_point_0"},
}

-- {value, depth, particle file, image, from end, offset, duration, anchor step, anchor}
Paricle = {
}

-- {kind, value 2, value 3, from end, offset, duration}
Action = {
    -- The last star shows.
    {6, 0, 1, 0, 500, 0},
}

-- {from end, offset, text}
Worker = {
    {1, 0, "Loop"},
}
