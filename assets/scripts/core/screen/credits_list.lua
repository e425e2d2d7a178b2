-- What the credits show, top to bottom. gMain: the four phases' durations
-- in ms (fade-in of the first entry, hold, scroll (it ends when everything
-- has left the screen), pause), the scroll speed in pixels per second and
-- the width of the text lines. gTextStyle: the styles the entries name by
-- index, 0 being the first. gCreditsList: a string label ("text") with its
-- style and box height, or a picture ("image", text left out); "y_disp" is
-- the space below the entry.
gMain = {
    stage_time = { 1500, 2000, 0, 1500 },
    speed = 45,
    text_width = 640,
}

local cream = { 1.0, 0.957, 0.871, 1 }
local gold = { 0.949, 0.702, 0.239, 1 }

gTextStyle = {
    { font = "fonts/default.mvec", size = 40, flag = 1, color = gold },   -- 0: titles
    { font = "fonts/default.mvec", size = 26, flag = 1, color = gold },   -- 1: headings
    { font = "fonts/default.mvec", size = 22, flag = 1, color = cream },  -- 2: lines
}

gCreditsList = {
    { image = "main_menu:images/core/credits/emblem", y_disp = 20 },
    { text = "credits_game", style = 0, height = 50, y_disp = 10 },
    { text = "credits_tagline", style = 2, height = 36, y_disp = 60 },
    { text = "credits_made_heading", style = 1, height = 36, y_disp = 12 },
    { text = "credits_made_game", style = 2, height = 32, y_disp = 4 },
    { text = "credits_made_framework", style = 2, height = 32, y_disp = 4 },
    { text = "credits_made_content", style = 2, height = 32, y_disp = 60 },
    { text = "credits_software_heading", style = 1, height = 36, y_disp = 12 },
    { text = "credits_sdl", style = 2, height = 32, y_disp = 4 },
    { text = "credits_zlib", style = 2, height = 32, y_disp = 4 },
    { text = "credits_libpng", style = 2, height = 32, y_disp = 4 },
    { text = "credits_libjpeg", style = 2, height = 32, y_disp = 4 },
    { text = "credits_openjpeg", style = 2, height = 32, y_disp = 4 },
    { text = "credits_vorbis", style = 2, height = 32, y_disp = 4 },
    { text = "credits_curl", style = 2, height = 32, y_disp = 60 },
    { text = "credits_font_heading", style = 1, height = 36, y_disp = 12 },
    { text = "credits_font", style = 2, height = 32, y_disp = 80 },
    { text = "credits_thanks", style = 1, height = 36, y_disp = 0 },
}
