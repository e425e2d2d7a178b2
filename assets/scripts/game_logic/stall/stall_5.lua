-- trade stall description 5: four upgrade levels.

Main =
{
	id = 5,
	trade_type = 2,
	is_right_side = 1,
	name = "trade_stall_name_5",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 1000,
}

Sprite =
{
	click_mask = "trade_stall_5:images/game_logic/stall/stall_5/body",
	ico = "trade_stall_5:images/game_logic/stall/stall_5/ico",
	ico_d = "trade_stall_5:images/game_logic/stall/stall_5/ico_d",
	break_image = "trade_stall_5:images/game_logic/stall/stall_5/break",
	sell_image = "trade_stall_5:images/game_logic/stall/stall_5/body",
	ground = { {"trade_stall_5:images/game_logic/stall/stall_5/ground", 60, -12} },
	image = { {"trade_stall_5:images/game_logic/stall/stall_5/body", 1, 50, 50} },
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

Good =
{
	store = {20, 30, 40, 50},
	sub = {1, 1, 2, 2},
	limit = {40, 60, 80, 100},
	cost = {10, 11, 12, 13},
}
