-- The game's first screen. The main function runs this file once; the
-- function it returns becomes the window script's coroutine, in which
-- screens may wait for their dialogs.
return function()
    DoModal("scripts/core/screen/main_menu.lua")
end
