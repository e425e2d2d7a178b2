-- A game dialog window: Enter and Escape press its buttons, rows naming a
-- missing window, a text, an empty name and a key past a byte are there
-- too. The test sets gWindowName and gFocus (the "FocusWindow" table), and
-- may set gHotKeys in place of these rows.
local font = { "__DEFAULT", 16, { 1, 1, 1, 1 } }
MakeDialog{
    CustomWindow{ name = gWindowName, x = 0, y = 0, w = 400, h = 300,
        HotKey = gHotKeys or {
            { "ok", 13 },
            { "cancel", 27 },
            { "nowhere", 13 },
            { "caption", 13 },
            { "", 13 },
            { "again", 13 + 256 },
        },
        FocusWindow = gFocus,
        Window{ name = "panel", x = 10, y = 10, w = 380, h = 280,
            TextEdit{ name = "field", x = 0, y = 0, w = 200, h = 24, font = font },
            Text{ name = "caption", x = 0, y = 40, w = 200, h = 24, label = "#Name", font = font },
            CustomButton{ name = "ok", x = 0, y = 80, w = 40, h = 20 },
            Button{ name = "cancel", x = 50, y = 80, w = 40, h = 20 },
            Button{ name = "again", x = 100, y = 80, w = 40, h = 20 },
        },
    },
}
