-- attr stall description 5: four upgrade levels.

Main =
{
	id = 5,
	is_right_side = 1,
	name = "attr_stall_name_5",
	draft_cost = 1000,
}

Sprite =
{
	click_mask = "attr_stall_5:images/game_logic/attr/attr_5/body",
	ico = "attr_stall_5:images/game_logic/attr/attr_5/ico",
	ico_d = "attr_stall_5:images/game_logic/attr/attr_5/ico_d",
	break_image = "attr_stall_5:images/game_logic/attr/attr_5/break",
	sell_image = "attr_stall_5:images/game_logic/attr/attr_5/body",
	ground = { {"attr_stall_5:images/game_logic/attr/attr_5/ground", 60, -12} },
	image = { {"attr_stall_5:images/game_logic/attr/attr_5/body", 1, 50, 50} },
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
	profit = {35, 45, 55, 65},
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

FunCustomer =
{
	cnt = {1, 2, 2, 3},
}
