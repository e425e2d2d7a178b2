-- A dialog that answers with an entry of its parameter table.
MakeDialog{
    Window{ name = "paramwindow", w = 10, h = 10 },
}
CloseWindow(gDialogTable.answer)
