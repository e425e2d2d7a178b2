-- bonus stall description 3: four upgrade levels.

Main =
{
	id = 3,
	is_right_side = 1,
	name = "bonus_stall_name_3",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 800,
}

Sprite =
{
	click_mask = "bonus_stall_3:images/game_logic/bonus/bonus_3/body",
	ico = "bonus_stall_3:images/game_logic/bonus/bonus_3/ico",
	ico_d = "bonus_stall_3:images/game_logic/bonus/bonus_3/ico_d",
	break_image = "bonus_stall_3:images/game_logic/bonus/bonus_3/break",
	sell_image = "bonus_stall_3:images/game_logic/bonus/bonus_3/body",
	ground = { {"bonus_stall_3:images/game_logic/bonus/bonus_3/ground", 60, -12} },
	image = { {"bonus_stall_3:images/game_logic/bonus/bonus_3/body", 1, 50, 50} },
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
	build = {250, 500, 750, 1000},
	repair = {62, 125, 187, 250},
	sell = {125, 250, 375, 500},
	pay = {50, 100, 150, 200},
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
	type = 4,
	bonus_pattern = "%d",
	bonus = {5, 10, 15, 20},
	bonus_name = {"bonus_stall_value_3_0", "bonus_stall_value_3_1", "bonus_stall_value_3_2", "bonus_stall_value_3_3"},
}
