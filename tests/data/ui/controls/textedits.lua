-- Two visible text edits with a third between them that the test hides,
-- and an edit of the test's own recording kind.
MakeDialog{
    Window{ name = "panel", w = 400, h = 300,
        TextEdit{ name = "first", x = 0, y = 0, w = 200, h = 24, label = "abc",
            font = { "__DEFAULT", 16, { 1, 1, 1, 1 } } },
        TextEdit{ name = "hidden", x = 0, y = 40, w = 200, h = 24 },
        TextEdit{ name = "second", x = 0, y = 80, w = 200, h = 24, utf8 = true, length = 10 },
        RecEdit{ name = "rec", x = 0, y = 120, w = 200, h = 24, utf8 = true, length = 20, ignore = "#|" },
    },
}
