-- attr stall description 1: four upgrade levels.

Main =
{
	id = 1,
	is_right_side = 1,
	name = "attr_stall_name_1",
	draft_cost = 600,
}

Sprite =
{
	click_mask = "attr_stall_1:images/game_logic/attr/attr_1/body",
	ico = "attr_stall_1:images/game_logic/attr/attr_1/ico",
	ico_d = "attr_stall_1:images/game_logic/attr/attr_1/ico_d",
	break_image = "attr_stall_1:images/game_logic/attr/attr_1/break",
	sell_image = "attr_stall_1:images/game_logic/attr/attr_1/body",
	ground = { {"attr_stall_1:images/game_logic/attr/attr_1/ground", 60, -12} },
	image = { {"attr_stall_1:images/game_logic/attr/attr_1/body", 1, 50, 50} },
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
	profit = {15, 25, 35, 45},
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

FunCustomer =
{
	cnt = {1, 2, 2, 3},
}
