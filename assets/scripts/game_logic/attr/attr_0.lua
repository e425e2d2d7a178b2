-- attr stall description 0: four upgrade levels.

Main =
{
	id = 0,
	is_right_side = 0,
	name = "attr_stall_name_0",
	draft_cost = 500,
}

Sprite =
{
	click_mask = "attr_stall_0:images/game_logic/attr/attr_0/body",
	ico = "attr_stall_0:images/game_logic/attr/attr_0/ico",
	ico_d = "attr_stall_0:images/game_logic/attr/attr_0/ico_d",
	break_image = "attr_stall_0:images/game_logic/attr/attr_0/break",
	sell_image = "attr_stall_0:images/game_logic/attr/attr_0/body",
	ground = { {"attr_stall_0:images/game_logic/attr/attr_0/ground", 60, -12} },
	image = { {"attr_stall_0:images/game_logic/attr/attr_0/body", 1, 50, 50} },
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
	build = {100, 200, 300, 400},
	profit = {10, 20, 30, 40},
	repair = {25, 50, 75, 100},
	sell = {50, 100, 150, 200},
	pay = {20, 40, 60, 80},
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
