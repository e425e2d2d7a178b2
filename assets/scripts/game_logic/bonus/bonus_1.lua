-- bonus stall description 1: four upgrade levels.

Main =
{
	id = 1,
	is_right_side = 1,
	name = "bonus_stall_name_1",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 600,
}

Sprite =
{
	click_mask = "bonus_stall_1:images/game_logic/bonus/bonus_1/body",
	ico = "bonus_stall_1:images/game_logic/bonus/bonus_1/ico",
	ico_d = "bonus_stall_1:images/game_logic/bonus/bonus_1/ico_d",
	break_image = "bonus_stall_1:images/game_logic/bonus/bonus_1/break",
	sell_image = "bonus_stall_1:images/game_logic/bonus/bonus_1/body",
	ground = { {"bonus_stall_1:images/game_logic/bonus/bonus_1/ground", 60, -12} },
	image = { {"bonus_stall_1:images/game_logic/bonus/bonus_1/body", 1, 50, 50} },
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
	build = {150, 300, 450, 600},
	repair = {37, 75, 112, 150},
	sell = {75, 150, 225, 300},
	pay = {30, 60, 90, 120},
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
	["local"] = 0,
	type = 2,
	bonus_pattern = "%d",
	bonus = {5, 10, 15, 20},
	bonus_name = {"bonus_stall_value_1_0", "bonus_stall_value_1_1", "bonus_stall_value_1_2", "bonus_stall_value_1_3"},
}
