-- The loading screen: a modal named "load" holding the window that loads
-- the requested resource groups and shows their progress. Both looks put
-- the bar (560x24) inside its frame (600x64): the bar's top-left corner at
-- (120, 546), the frame's centre at (400, 558), on the floor track of the
-- backgrounds.
MakeDialog{
    name = "load",
    LoadScreen{
        name = "loadscreen", x = 0, y = 0, w = 800, h = 600,
        load_x = 120, load_y = 546, up_x = 400, up_y = 558,
        first_load_x = 120, first_load_y = 546, first_up_x = 400, first_up_y = 558,
    },
}
