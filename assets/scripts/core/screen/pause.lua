-- The pause, a modal named "pause" that the game opens when its window loses
-- the focus; its button (or regaining the focus) closes it.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
MakeDialog{
    name = "pause",
    Bitmap{ name = "panel", x = 190, y = 180, image = "images/core/dialog/panel" },
    Text{ name = "paused", x = 210, y = 200, w = 380, h = 110, flags = kHAlignCenter + kVAlignCenter,
          font = { "fonts/default.mvec", 24, { 0.2, 0.15, 0.3, 1 } }, label = "pause_text" },
    Button{ name = "resume", x = 320, y = 330, default = true, cancel = true,
            graphics = buttonGraphics, sound = clickSound, rolloversound = rolloverSound,
            command = function() PopModal("pause") end,
            Text{ name = "resume_label", x = 0, y = 0, w = 160, h = 48,
                  flags = kHAlignCenter + kVAlignCenter,
                  font = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } },
                  label = "pause_resume" } },
}
