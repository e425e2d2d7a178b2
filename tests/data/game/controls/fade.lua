-- A screen's texts and pictures: loose, inside a button (its picture and
-- label), an edit, and some below a plain window or in a slider, where the
-- fade does not reach.
local font = { "__DEFAULT", 16, { 1, 1, 1, 1 } }
MakeDialog{
    Window{ name = "screen", w = 400, h = 300,
        Text{ name = "title", x = 0, y = 0, w = 200, h = 24, label = "#Title", font = font },
        Bitmap{ name = "picture", x = 0, y = 30, w = 10, h = 10 },
        Button{ name = "button", x = 0, y = 50, w = 40, h = 20, graphics = { "dot.png" },
            Text{ name = "label", x = 0, y = 0, w = 40, h = 20, label = "#Go", font = font },
        },
        TextEdit{ name = "edit", x = 0, y = 80, w = 200, h = 24, font = font },
        Window{ name = "group", x = 0, y = 110, w = 200, h = 60,
            Text{ name = "grouped", x = 0, y = 0, w = 200, h = 24, label = "#Below", font = font },
        },
        Slider{ name = "slider", x = 0, y = 180, w = 200, h = 16, sliderimage = "dot.png" },
    },
}
