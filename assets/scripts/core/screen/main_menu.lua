-- The main menu: the whole 800 x 600 picture. The screen reads its layout
-- from its own table; its buttons' work is their commands here. The screen
-- presses "play_button" for Enter and "quit" for Escape itself, so neither
-- is "default" or "cancel".
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }

-- A menu button of the kit's skin with its label on it.
local function MenuButton(name, x, y, label, command)
    return Button{ name = name, x = x, y = y, graphics = buttonGraphics, command = command,
                   sound = clickSound, rolloversound = rolloverSound,
                   Text{ name = name .. "_label", x = 0, y = 0, w = 160, h = 48,
                         flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                         label = label } }
end

-- No profile yet (or none named left by a damaged profile file): the
-- profile screen opens over the menu. The screen calls this outside the
-- script's loop, so the dialog is queued to open in it.
function FirstPlayer()
    if GetNumUsers() == 0 or (IsPlayerNameLost and IsPlayerNameLost()) then
        table.insert(gCommandQueue, function()
            DoModal("scripts/core/screen/profile.lua")
        end)
    end
end

MakeDialog{
    name = "main_menu",
    MainMenuScreen{
        name = "main_menu", x = 0, y = 0, w = 800, h = 600,
        locat_image_x = 130, locat_image_y = 110,
        Flash = {
            up_time = 600, up_rotate_1 = 0.5, up_rotate_2 = -0.5,
            up_scale_start = 0.2, up_scale_stop = 2.2, up_alpha_time = 0.3,
            down_time = 700, down_rotate_1 = 0.25, down_rotate_2 = -0.25,
            down_scale_start = 2.2, down_scale_stop = 3.2, down_alpha_time = 1,
        },
        PAK = {
            text = "main_menu_press", font = "fonts/default.mvec", size = 30,
            color = { 1, 0.96, 0.87, 1 }, flag = kHAlignCenter + kVAlignCenter,
            x = 200, y = 535, w = 400, h = 50,
        },
        Anim = {
            { "main_menu:images/core/main_menu/lantern", 180, 236 },
            { "main_menu:images/core/main_menu/lantern", 620, 236 },
        },
        Part = {
            { "images/core/particle/menu_sparks.psi", "images/core/particle/mouse_move", 180, 300 },
            { "images/core/particle/menu_sparks.psi", "images/core/particle/mouse_move", 620, 300 },
        },
        Scroll = { start_x = -260, start_y = 20, finish_x = 20, finish_y = 20, time = 600 },

        Window{
            name = "shell", x = 0, y = 0, w = 800, h = 600,
            MenuButton("play_button", 232, 262, "menu_play"),
            MenuButton("options", 232, 322, "menu_options", function()
                DoModal("scripts/core/screen/options.lua")
            end),
            MenuButton("help", 232, 382, "menu_help", function()
                DoModal("scripts/core/screen/help.lua")
            end),
            MenuButton("story", 408, 262, "menu_story"),
            MenuButton("credits", 408, 322, "menu_credits", function()
                SwapToModal("scripts/core/screen/credits.lua")
            end),
            MenuButton("quit", 408, 382, "menu_quit", function()
                ReadFile("scripts/core/quitverify.lua")
            end),
        },
        CustomButton{
            name = "profile_button", x = -260, y = 20, graphics = buttonGraphics,
            sound = clickSound, rolloversound = rolloverSound,
            command = function() DoModal("scripts/core/screen/profile.lua") end,
            Text{ name = "profile_button_label", x = 0, y = 0, w = 160, h = 48,
                  flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                  label = "menu_profile" },
        },
        -- Beside the location picture that the profile button rests on, on
        -- the button's line, and short of the hud.
        Text{
            name = "player_name", x = 262, y = 28, w = 330, h = 32,
            flags = kVAlignCenter, font = { "fonts/default.mvec", 22, { 1, 0.96, 0.87, 1 } },
            label = "",
        },
        -- Kept outside the picture until the level editor gives it a command.
        Button{ name = "editor", x = 400, y = -200, graphics = buttonGraphics },
    },
}
