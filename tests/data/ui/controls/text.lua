-- A text whose links name a button, another button, a missing window and
-- a window that is no button; a button with a label.
MakeDialog{
    Window{ name = "panel", w = 400, h = 300,
        Button{ name = "ok", x = 300, y = 0, w = 40, h = 20,
            Text{ name = "label", w = 40, h = 20, label = "Fine" } },
        Button{ name = "other", x = 300, y = 40, w = 40, h = 20 },
        Text{ name = "links", x = 0, y = 0, w = 200, h = 200, font = { "__DEFAULT", 16, { 1, 1, 1, 1 } },
            label = "<a id='ok'>OK</a><br><a id='other'>Other</a><br><a id='missing'>Gone</a><br><a id='panel'>Panel</a><br>plain" },
        Text{ name = "empty", x = 0, y = 250, w = 0, h = 20, label = "never shown" },
    },
}
