-- The quit question, a modal named "quit" over whatever is shown. "Yes"
-- ends the game; "No" lets it go on (MyCloseNon) and closes the question.
-- It waits for nothing, so it works from a screen's coroutine as well as
-- from the game loop.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local textFont = { "fonts/default.mvec", 24, { 0.2, 0.15, 0.3, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }

PushModal("quit")
MakeDialog{
    name = "quit",
    Bitmap{ name = "panel", x = 190, y = 180, image = "images/core/dialog/panel" },
    Text{ name = "question", x = 210, y = 200, w = 380, h = 110, flags = kHAlignCenter + kVAlignCenter,
          font = textFont, label = "quit_question" },
    Button{ name = "yes", x = 215, y = 330, default = true, graphics = buttonGraphics,
            sound = clickSound, rolloversound = rolloverSound,
            command = function() PostMessage(CreateNamedMessage(kQuitNow, "")) end,
            Text{ name = "yes_label", x = 0, y = 0, w = 160, h = 48,
                  flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                  label = "quit_yes" } },
    Button{ name = "no", x = 425, y = 330, cancel = true, graphics = buttonGraphics,
            sound = clickSound, rolloversound = rolloverSound,
            command = function() MyCloseNon() PopModal("quit") end,
            Text{ name = "no_label", x = 0, y = 0, w = 160, h = 48,
                  flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                  label = "quit_no" } },
}
DoFitToChildren()
