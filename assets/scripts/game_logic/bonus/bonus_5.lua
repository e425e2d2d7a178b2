-- bonus stall description 5: four upgrade levels.

Main =
{
	id = 5,
	is_right_side = 1,
	name = "bonus_stall_name_5",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 1000,
}

Sprite =
{
	click_mask = "bonus_stall_5:images/game_logic/bonus/bonus_5/body",
	ico = "bonus_stall_5:images/game_logic/bonus/bonus_5/ico",
	ico_d = "bonus_stall_5:images/game_logic/bonus/bonus_5/ico_d",
	break_image = "bonus_stall_5:images/game_logic/bonus/bonus_5/break",
	sell_image = "bonus_stall_5:images/game_logic/bonus/bonus_5/body",
	ground = { {"bonus_stall_5:images/game_logic/bonus/bonus_5/ground", 60, -12} },
	image = { {"bonus_stall_5:images/game_logic/bonus/bonus_5/body", 1, 50, 50} },
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
	build = {350, 700, 1050, 1400},
	repair = {87, 175, 262, 350},
	sell = {175, 350, 525, 700},
	pay = {70, 140, 210, 280},
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
	type = 8,
	bonus_pattern = "%d",
	bonus = {5, 10, 15, 20},
	bonus_name = {"bonus_stall_value_5_0", "bonus_stall_value_5_1", "bonus_stall_value_5_2", "bonus_stall_value_5_3"},
}

Lucky =
{
	build = {10, 15, 20, 25},
}
