-- A slider of each orientation (their shapes decide), with rail caps, a
-- stretched middle and a thumb with its rollover picture.
MakeDialog{
    Window{ name = "panel", w = 400, h = 300,
        Slider{ name = "across", x = 10, y = 10, w = 200, h = 16, value = 0.25,
            railtop = "cap.png", railmid = "mid.png", railbot = "cap.png",
            sliderimage = "thumb.png", sliderrollimage = "thumbroll.png" },
        Slider{ name = "down", x = 300, y = 10, w = 16, h = 200, value = 1.5,
            railtop = "cap.png", railmid = "mid.png", railbot = "cap.png",
            sliderimage = "thumb.png", sliderrollimage = "thumbroll.png" },
    },
}
