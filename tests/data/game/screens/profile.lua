-- A profile list of six rows per view, 20 x 10 each from (10, 20), a
-- highlight of gFlag ms; every button notes its press in gPressed, and the
-- scroll buttons scroll as the game's do.
gPressed = {}
local function note(name, after)
    return function()
        table.insert(gPressed, name)
        if after then after() end
    end
end
MakeDialog{
    ProfileScreen{ name = "profiles", x = 0, y = 0, w = 400, h = 300,
        first_x = 10, first_y = 20, rect_x = 20, rect_y = 10, cnt_rect = 6,
        select_flag = gFlag or 100, text_size = 8,
        Button{ name = "select_button", x = 300, y = 0, w = 10, h = 10, command = note("select") },
        Button{ name = "delete", x = 300, y = 20, w = 10, h = 10, command = note("delete") },
        Button{ name = "new", x = 300, y = 40, w = 10, h = 10, command = note("new") },
        Button{ name = "rename_button", x = 300, y = 60, w = 10, h = 10, command = note("rename") },
        Button{ name = "up_button", x = 300, y = 80, w = 10, h = 10,
            command = note("up", function() ProfileButtonDepress(3) end) },
        Button{ name = "down_button", x = 300, y = 100, w = 10, h = 10,
            command = note("down", function() ProfileButtonDepress(4) end) },
    },
}
