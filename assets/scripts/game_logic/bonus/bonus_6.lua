-- bonus stall description 6: four upgrade levels.

Main =
{
	id = 6,
	is_right_side = 0,
	name = "bonus_stall_name_6",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 1100,
}

Sprite =
{
	click_mask = "bonus_stall_6:images/game_logic/bonus/bonus_6/body",
	ico = "bonus_stall_6:images/game_logic/bonus/bonus_6/ico",
	ico_d = "bonus_stall_6:images/game_logic/bonus/bonus_6/ico_d",
	break_image = "bonus_stall_6:images/game_logic/bonus/bonus_6/break",
	sell_image = "bonus_stall_6:images/game_logic/bonus/bonus_6/body",
	ground = { {"bonus_stall_6:images/game_logic/bonus/bonus_6/ground", 60, -12} },
	image = { {"bonus_stall_6:images/game_logic/bonus/bonus_6/body", 1, 50, 50} },
	anim = {},
	particle = {},
}

Time =
{
	build = 3000,
	upgrade = 4000,
	repair = 2500,
	crash = 2000,
	pay = 3000,
	pre_buy = 1000,
	buy = 2000,
}

Money =
{
	build = {400, 800, 1200, 1600},
	repair = {100, 200, 300, 400},
	sell = {200, 400, 600, 800},
	pay = {80, 160, 240, 320},
}

Mana =
{
	build = {20, 30, 40, 50},
	repair = {10, 10, 10, 10},
	sell = {0, 0, 0, 0},
}

Worker =
{
	build = {1, 1, 2, 2},
	repair = {1, 1, 1, 1},
	sell = {0, 0, 0, 0},
}

Bonus =
{
	["local"] = 1,
	type = 10,
	bonus_pattern = "%d",
	bonus = {1, 2, 3, 4},
	bonus_name = {"bonus_stall_value_6_0", "bonus_stall_value_6_1", "bonus_stall_value_6_2", "bonus_stall_value_6_3"},
}
