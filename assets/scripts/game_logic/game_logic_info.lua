-- The settings every level shares: timings, the shop's purchase times, the
-- order in which the stall descriptions are offered, the places and paths
-- stalls and houses share, the lucky bubble and the caption of a won level.

gMain =
{
	time_tact = 1000,
	gof_time = 5000,
	got_tact = 100,
	gof_add_radius = 3,
	gof_add_angel = 0.02,
	gof_emiter_cnt = 4,
	gof_element_time = 50,
	shop_mana = 3000,
	shop_magic = 3000,
	shop_draft = 3000,
	object_color = {1, 1, 1, 1},
	fest_salute_time = 600,
	fest_salute_rant_time = 300,
	fest_salute_rect = {100, 60, 700, 300},
	fest_clock_place = {400, 40},
	-- Description ids in the order the build tabs offer them.
	attr_stall = {0, 1, 2, 3, 4, 5, 6},
	trade_stall = {1, 0, 2, 3, 4, 5, 6},
	bonus_stall = {0, 1, 2, 3, 4, 5, 6},
	protect_stall = {2, 6},
}

gGameObjectCommon =
{
	-- A slot's footprint: a diamond of cells around its cell.
	PassCnt = 2,
	SumMin = 1,
	SumMax = 5,
	SubMin = -3,
	SubMax = 3,
	-- The entrance of a right- and a left-facing stall, in cells from the
	-- slot's cell.
	right_entry = {2, 2},
	left_entry = {-2, 2},
	-- The upgrade stars over a stall, one per level.
	star_place = {-30, -58, -10, -64, 10, -64, 30, -58},
	-- Service places: one path of cells (from the entrance) per place.
	right_house_in = { {0, 0, 1, 0, 1, -1}, {0, 0, 0, 1, 1, 1} },
	right_house_out = { {1, -1, 1, 0, 0, 0}, {1, 1, 0, 1, 0, 0} },
	left_house_in = { {0, 0, -1, 0, -1, -1}, {0, 0, 0, 1, -1, 1} },
	left_house_out = { {-1, -1, -1, 0, 0, 0}, {-1, 1, 0, 1, 0, 0} },
	right_stall_in = { {0, 0, -1, 0}, {0, 0, 0, 1, -1, 1}, {0, 0, 1, 1} },
	right_stall_out = { {-1, 0, 0, 0}, {-1, 1, 0, 1, 0, 0}, {1, 1, 0, 0} },
	left_stall_in = { {0, 0, 1, 0}, {0, 0, 0, 1, 1, 1}, {0, 0, -1, 1} },
	left_stall_out = { {1, 0, 0, 0}, {1, 1, 0, 1, 0, 0}, {-1, 1, 0, 0} },
	-- The progress bar over a slot or a stall.
	bar_fon_x = 0,
	bar_fon_y = -70,
	bar_line_x = -27,
	bar_line_y = -74,
	-- One entry per location 0 to 4 (the location's music).
	locat = {0, 1, 2, 3, 4},
}

-- The badge over a stall, placed from the stall's position: the bubble
-- above its right shoulder, the text box centred on the bubble.
gLuckyBubble =
{
	bubble_x = 34,
	bubble_y = -58,
	text_x = -6,
	text_y = -74,
	text_w = 80,
	text_h = 32,
	text_font = "fonts/default.mvec",
	text_font_size = 18,
	text_color = {0.23, 0.16, 0.29, 1},
}

gGameOverText =
{
	pattern = "game_over_win",
	draw_rect = {150, 240, 650, 360},
	font = "fonts/default.mvec",
	width = 500,
	height = 120,
	-- Centred in the box (horizontally and vertically), over its backdrop.
	flag = 5,
	color = {0.95, 0.70, 0.24, 1},
	color_stroke = {0.23, 0.16, 0.29, 1},
	start_size = 10,
	middle_size = 64,
	finish_size = 48,
	-- How long each state of the caption lasts (ms).
	time_flag = {500, 300, 300, 1000, 400},
}

gMonsterMana =
{
	x = 640,
	y = 560,
	time = 1000,
}
