-- A slot being bought: the plot's pictures fade out, are swapped for the
-- bought ones and fade back in, while the workers wave their magic at it.
-- Times are ms on the purchase's time line; a from-end flag of 0 counts the
-- offset back from the end.

-- {value, depth, animation, function, from end, offset, duration, extra, anchor step, anchor}
Anim = {
    {1, 1, "effect:images/game_logic/effect/slot/for_build", "DoAnim", 1, 200, 1600},
}

-- {value, depth, particle file, image, from end, offset, duration, anchor step, anchor}
Paricle = {
    {1, 2, "images/game_logic/effect/slot/particle/locat_5_effect.psi",
        "images/game_logic/effect/slot/particle/locat_5_effect", 1, 200, 1600},
}

-- {kind, value 2, value 3, from end, offset, duration}
Action = {
    -- The old pictures fade out over the first second...
    {1, 0, 0, 1, 0, 1000},
    -- ...the bought ones are loaded...
    {4, 0, 0, 1, 1000, 1},
    -- ...and fade in over the last second.
    {0, 0, 0, 0, 1000, 1000},
}

-- {from end, offset, text}
Worker = {
    {1, 0, "Loop"},
}
