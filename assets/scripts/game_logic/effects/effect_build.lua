-- A stall being built: gold magic swirls over the plot while the workers
-- wave their hands, and the new stall fades in over the last second.
-- Times are ms on the build's time line; a from-end flag of 0 counts the
-- offset back from the end.

-- {value, depth, animation, function, from end, offset, duration, extra, anchor step, anchor}
Anim = {
    {1, 1, "effect:images/game_logic/effect/build/build", "DoAnim", 1, 0, 60000},
}

-- {value, depth, particle file, image, from end, offset, duration, anchor step, anchor}
Paricle = {
    {1, 2, "images/game_logic/effect/build/build.psi", "images/game_logic/effect/build/build_spark", 1, 0, 60000},
}

-- {kind, value 2, value 3, from end, offset, duration}
Action = {
    -- The stall's layers come in from nothing over the last second.
    {7, 0, 0, 0, 1000, 1000},
}

-- {from end, offset, text}
Worker = {
    {1, 0, "Loop"},
}
