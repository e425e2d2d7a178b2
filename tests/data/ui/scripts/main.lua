-- A main window: it stays until something pops it.
MakeDialog{
    Window{ name = "mainpanel", w = 300, h = 200 },
}
