-- Name fields: one with a hint that goes at the first click or edit, one
-- holding text, both showing "ok" only while they hold text; one naming a
-- window its dialog lacks; a hint longer than its utf8 field; a narrow
-- field.
local font = { "__DEFAULT", 16, { 1, 1, 1, 1 } }
MakeDialog{
    Window{ name = "panel", w = 400, h = 300,
        TextEdit{ name = "hint", x = 0, y = 0, w = 200, h = 24, label = "Type a name",
            clearinitial = true, enablewindow = "ok", length = 12, font = font },
        TextEdit{ name = "plain", x = 0, y = 40, w = 200, h = 24, label = "ab",
            enablewindow = "ok", length = 12, font = font },
        TextEdit{ name = "lost", x = 0, y = 80, w = 200, h = 24,
            enablewindow = "no_such_window", font = font },
        TextEdit{ name = "long", x = 0, y = 120, w = 200, h = 24, label = "Your name here",
            clearinitial = true, utf8 = true, length = 5, font = font },
        TextEdit{ name = "narrow", x = 0, y = 200, w = 100, h = 24, length = 12, font = font },
        Button{ name = "ok", x = 0, y = 160, w = 40, h = 20 },
    },
}
EnableWindow("ok", false)
