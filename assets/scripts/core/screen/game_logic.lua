-- The level: one GameLogicScreen over the whole 800 x 600 picture. The
-- screen loads the level's groups, starts the level chosen in the profile
-- and opens the level's dialogs over itself.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local textFont = { "fonts/default.mvec", 24, { 0.2, 0.15, 0.3, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }

-- The question the level screen asks when the player wants to leave the
-- tutorial, a modal "close_tutorial" over the level, which the screen has
-- paused: "Close it" answers 0, "Go on" 1; either resumes the level. It
-- waits for nothing, as the quit question.
function AskToCloseTutorial()
    local function Answer(n)
        return function()
            PopModal("close_tutorial")
            AnswerToCloseTutorial(n)
        end
    end
    PushModal("close_tutorial")
    MakeDialog{
        name = "close_tutorial",
        Bitmap{ name = "panel", x = 190, y = 180, image = "images/core/dialog/panel" },
        Text{ name = "question", x = 210, y = 200, w = 380, h = 110, flags = kHAlignCenter + kVAlignCenter,
              font = textFont, label = "close_tutorial_question" },
        Button{ name = "yes", x = 215, y = 330, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound, command = Answer(0),
                Text{ name = "yes_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                      label = "close_tutorial_yes" } },
        Button{ name = "no", x = 425, y = 330, default = true, cancel = true, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound, command = Answer(1),
                Text{ name = "no_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                      label = "close_tutorial_no" } },
    }
    DoFitToChildren()
end

MakeDialog{
    name = "game_logic",
    GameLogicScreen{ name = "game_logic_screen", x = 0, y = 0, w = 800, h = 600 },
}
