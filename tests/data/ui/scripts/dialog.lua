-- A dialog with a window and a picture that closes with a value at once.
MakeDialog{
    Window{ name = "panel", w = 120, h = 60,
        Bitmap{ name = "picture", image = "opaque.png" },
    },
}
CloseWindow(gDialogValue)
