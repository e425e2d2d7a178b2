-- The name entry of the profile list, a modal named "profile_name" opened
-- with DoModal. gProfileNameMode is "new" (the field starts with a hint) or
-- "rename" (it starts with gProfileNameOld); either goes at the first click
-- or key. OK gives the name back (ModalReturn) unless it is empty or a
-- profile has it already; Enter presses OK and Escape cancels.
local buttonGraphics = {
    "images/core/dialog/button_normal",
    "images/core/dialog/button_hover",
    "images/core/dialog/button_pressed",
}
local clickSound = "audio/sound/core/click?group=1000"
local rolloverSound = "audio/sound/core/rollover?group=1000"
local textFont = { "fonts/default.mvec", 24, { 0.23, 0.16, 0.29, 1 } }
local noteFont = { "fonts/default.mvec", 18, { 0.85, 0.28, 0.42, 1 } }
local buttonFont = { "fonts/default.mvec", 20, { 1, 1, 1, 1 } }
local renaming = gProfileNameMode == "rename"
local hint = GetString("profile_name_hint")
local old = gProfileNameOld or ""

local function Trimmed(text)
    return (string.gsub(text or "", "^%s*(.-)%s*$", "%1"))
end

local function Accept()
    local name = Trimmed(GetLabel("name_field"))
    if renaming and name == old then
        ModalReturn(nil)
        PopModal("profile_name")
        return
    end
    local refusal = nil
    if name == "" or (not renaming and name == hint) then
        refusal = "profile_name_empty"
    elseif IsNameInUse(name) then
        refusal = "profile_name_in_use"
    end
    if refusal then
        SetLabel("name_note", GetString(refusal))
        return
    end
    ModalReturn(name)
    PopModal("profile_name")
end

MakeDialog{
    name = "profile_name",
    CustomWindow{ name = "profile_name_window", x = 190, y = 160, w = 420, h = 260,
        HotKey = { { "ok_button", 13 }, { "cancel_button", 27 } },
        FocusWindow = { name = "name_field" },
        Bitmap{ name = "name_panel", x = 0, y = 0, image = "images/core/dialog/panel" },
        Text{ name = "name_title", x = 20, y = 16, w = 380, h = 40,
              flags = kHAlignCenter + kVAlignCenter, font = textFont,
              label = renaming and "profile_name_rename" or "profile_name_new" },
        Bitmap{ name = "name_well", x = 60, y = 64, image = "images/core/window/name_field" },
        -- Centred in the well's height, so that the typed line keeps off
        -- its edges.
        TextEdit{ name = "name_field", x = 72, y = 68, w = 276, h = 36, length = 16, utf8 = true,
                  flags = kVAlignCenter,
                  label = renaming and old or hint, clearinitial = true,
                  enablewindow = "ok_button", font = textFont },
        Text{ name = "name_note", x = 20, y = 110, w = 380, h = 28,
              flags = kHAlignCenter + kVAlignCenter, font = noteFont, label = "#" },
        Button{ name = "ok_button", x = 40, y = 150, graphics = buttonGraphics, command = Accept,
                sound = clickSound, rolloversound = rolloverSound,
                Text{ name = "ok_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont, label = "profile_ok" } },
        Button{ name = "cancel_button", x = 220, y = 150, graphics = buttonGraphics,
                sound = clickSound, rolloversound = rolloverSound,
                command = function() ModalReturn(nil) PopModal("profile_name") end,
                Text{ name = "cancel_label", x = 0, y = 0, w = 160, h = 48,
                      flags = kHAlignCenter + kVAlignCenter, font = buttonFont,
                      label = "profile_cancel" } },
    },
}
-- A new name starts as a hint, which is never a name.
if not renaming then EnableWindow("ok_button", false) end
