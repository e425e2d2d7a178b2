-- A game button inside a panel placed away from the dialog's corner, so
-- that the pointer's position in the panel differs from the screen's.
MakeDialog{
    Window{ name = "panel", x = 100, y = 100, w = 300, h = 200,
        CustomButton{ name = "play", x = 50, y = 60, w = 40, h = 20 },
    },
}
