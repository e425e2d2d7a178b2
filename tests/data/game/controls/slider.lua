-- Game sliders: one with rail pictures and a thumb picture, one without a
-- thumb picture, one naming a picture that does not exist.
MakeDialog{
    Window{ name = "panel", w = 400, h = 300,
        CustomSlider{ name = "volume", x = 10, y = 10, w = 200, h = 16, value = 0.5,
            railtop = "cap.png", railmid = "mid.png", railbot = "cap.png",
            sliderimage = "thumb.png" },
        CustomSlider{ name = "bare", x = 10, y = 40, w = 200, h = 16 },
        CustomSlider{ name = "lost", x = 10, y = 70, w = 200, h = 16, sliderimage = "no_such.png" },
    },
}
