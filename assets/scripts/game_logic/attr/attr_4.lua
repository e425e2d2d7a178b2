-- attr stall description 4: four upgrade levels.

Main =
{
	id = 4,
	is_right_side = 0,
	name = "attr_stall_name_4",
	draft_cost = 900,
}

Sprite =
{
	click_mask = "attr_stall_4:images/game_logic/attr/attr_4/body",
	ico = "attr_stall_4:images/game_logic/attr/attr_4/ico",
	ico_d = "attr_stall_4:images/game_logic/attr/attr_4/ico_d",
	break_image = "attr_stall_4:images/game_logic/attr/attr_4/break",
	sell_image = "attr_stall_4:images/game_logic/attr/attr_4/body",
	ground = { {"attr_stall_4:images/game_logic/attr/attr_4/ground", 60, -12} },
	image = { {"attr_stall_4:images/game_logic/attr/attr_4/body", 1, 50, 50} },
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
	build = {300, 600, 900, 1200},
	profit = {30, 40, 50, 60},
	repair = {75, 150, 225, 300},
	sell = {150, 300, 450, 600},
	pay = {60, 120, 180, 240},
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
