-- bonus stall description 2: four upgrade levels.

Main =
{
	id = 2,
	is_right_side = 0,
	name = "bonus_stall_name_2",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 700,
}

Sprite =
{
	click_mask = "bonus_stall_2:images/game_logic/bonus/bonus_2/body",
	ico = "bonus_stall_2:images/game_logic/bonus/bonus_2/ico",
	ico_d = "bonus_stall_2:images/game_logic/bonus/bonus_2/ico_d",
	break_image = "bonus_stall_2:images/game_logic/bonus/bonus_2/break",
	sell_image = "bonus_stall_2:images/game_logic/bonus/bonus_2/body",
	ground = { {"bonus_stall_2:images/game_logic/bonus/bonus_2/ground", 60, -12} },
	image = { {"bonus_stall_2:images/game_logic/bonus/bonus_2/body", 1, 50, 50} },
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
	build = {200, 400, 600, 800},
	repair = {50, 100, 150, 200},
	sell = {100, 200, 300, 400},
	pay = {40, 80, 120, 160},
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
	type = 3,
	bonus_pattern = "%d",
	bonus = {1, 2, 3, 4},
	bonus_name = {"bonus_stall_value_2_0", "bonus_stall_value_2_1", "bonus_stall_value_2_2", "bonus_stall_value_2_3"},
}
