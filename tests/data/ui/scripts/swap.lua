-- Replaces whatever the modal held.
MakeDialog{
    Window{ name = "swapped", w = 50, h = 40 },
}
