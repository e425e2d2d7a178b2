-- The profile list, a modal named "profile" (opened with DoModal). The list
-- window draws the names; its buttons do the work through its functions:
-- choose the selected profile, add one, rename or delete it (each asking
-- first), and scroll. The list presses them itself for Enter, Escape,
-- Delete, Ctrl+N, a double or right click and the arrow keys, so none of
-- them is "default" or "cancel". The card lies behind the list window, so
-- the names are drawn over it and the buttons over the names.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local titleFont = { "fonts/default.mvec", 28, { 0.23, 0.16, 0.29, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }
local nameDialog = "scripts/core/screen/profile_name.lua"

-- The name the name dialog gives back, nil when it was cancelled.
local function AskName(mode, old)
    gProfileNameMode = mode
    gProfileNameOld = old
    return DoModal(nameDialog)
end

-- The main menu's greeting, when the menu lies under the list, follows the
-- current player: renamed, chosen, or gone with its profile.
local function GreetCurrentPlayer()
    if SetCurrentPlayerName then SetCurrentPlayerName() end
end

local function LabelledButton(t)
    t.graphics = buttonGraphics
    t.sound = clickSound
    t.rolloversound = rolloverSound
    t[1] = Text{ name = t.name .. "_label", x = 0, y = 0, w = 160, h = 48,
                 flags = kHAlignCenter + kVAlignCenter, font = buttonFont, label = t.label }
    t.label = nil
    return Button(t)
end

local function ArrowButton(name, direction, x, y, kind)
    return Button{ name = name, x = x, y = y, sound = clickSound, rolloversound = rolloverSound,
        graphics = {
            "images/core/window/profile_" .. direction .. "_normal",
            "images/core/window/profile_" .. direction .. "_hover",
            "images/core/window/profile_" .. direction .. "_pressed",
        },
        command = function() ProfileButtonDepress(kind) end }
end

MakeDialog{
    name = "profile",
    Bitmap{ name = "profile_panel", x = 120, y = 60, image = "images/core/window/profile_panel" },
    ProfileScreen{ name = "profile_list", x = 120, y = 60, w = 560, h = 480,
        first_x = 176, first_y = 76, rect_x = 208, rect_y = 40, cnt_rect = 6,
        text_size = 24, text_font = "fonts/default.mvec", text_color = { 0.23, 0.16, 0.29, 1 },
        select_flag = 250,
        Text{ name = "profile_title", x = 0, y = 12, w = 560, h = 40,
              flags = kHAlignCenter + kVAlignCenter, font = titleFont, label = "profile_title" },
        ArrowButton("up_button", "up", 410, 76, 3),
        ArrowButton("down_button", "down", 410, 272, 4),
        LabelledButton{ name = "new", x = 20, y = 340, label = "profile_new",
            command = function()
                local name = AskName("new", "")
                if name then
                    AddPlayerToVector(name)
                    ProfileButtonDepress(0)
                end
            end },
        LabelledButton{ name = "rename_button", x = 200, y = 340, label = "profile_rename",
            command = function()
                if GetNumUsers() == 0 then return end
                local old = GetSelectPlayerName()
                local name = AskName("rename", old)
                if name and name ~= old then
                    RenamePlayerOfVector(name)
                    GreetCurrentPlayer()
                end
            end },
        LabelledButton{ name = "delete", x = 380, y = 340, label = "profile_delete",
            command = function()
                if GetNumUsers() == 0 then return end
                gProfileDeleteName = GetSelectPlayerName()
                AskToDelete(DoModal("scripts/core/screen/profile_delete.lua") or 0)
                GreetCurrentPlayer()
            end },
        -- The list is left only with a profile chosen.
        LabelledButton{ name = "select_button", x = 200, y = 408, label = "profile_select",
            command = function()
                if GetNumUsers() == 0 then return end
                ProfileButtonDepress(2)
                GreetCurrentPlayer()
                ProfileButtonDepress(5)
            end },
    },
}
