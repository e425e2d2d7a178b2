-- attr stall description 6: four upgrade levels.

Main =
{
	id = 6,
	is_right_side = 0,
	name = "attr_stall_name_6",
	draft_cost = 1100,
}

Sprite =
{
	click_mask = "attr_stall_6:images/game_logic/attr/attr_6/body",
	ico = "attr_stall_6:images/game_logic/attr/attr_6/ico",
	ico_d = "attr_stall_6:images/game_logic/attr/attr_6/ico_d",
	break_image = "attr_stall_6:images/game_logic/attr/attr_6/break",
	sell_image = "attr_stall_6:images/game_logic/attr/attr_6/body",
	ground = { {"attr_stall_6:images/game_logic/attr/attr_6/ground", 60, -12} },
	image = { {"attr_stall_6:images/game_logic/attr/attr_6/body", 1, 50, 50} },
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
	profit = {40, 50, 60, 70},
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

FunCustomer =
{
	cnt = {1, 2, 2, 3},
}
