-- attr stall description 2: four upgrade levels.

Main =
{
	id = 2,
	is_right_side = 0,
	name = "attr_stall_name_2",
	draft_cost = 700,
}

Sprite =
{
	click_mask = "attr_stall_2:images/game_logic/attr/attr_2/body",
	ico = "attr_stall_2:images/game_logic/attr/attr_2/ico",
	ico_d = "attr_stall_2:images/game_logic/attr/attr_2/ico_d",
	break_image = "attr_stall_2:images/game_logic/attr/attr_2/break",
	sell_image = "attr_stall_2:images/game_logic/attr/attr_2/body",
	ground = { {"attr_stall_2:images/game_logic/attr/attr_2/ground", 60, -12} },
	image = { {"attr_stall_2:images/game_logic/attr/attr_2/body", 1, 50, 50} },
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
	profit = {20, 30, 40, 50},
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

FunCustomer =
{
	cnt = {1, 2, 2, 3},
}
