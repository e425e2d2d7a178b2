3-- trade stall description 0: four upgrade levels.

Main =
{
	id = 0,
	trade_type = 0,
	is_right_side = 0,
	name = "trade_stall_name_0",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 500,
}

Sprite =
{
	click_mask = "trade_stall_0:images/game_logic/stall/stall_0/body",
	ico = "trade_stall_0:images/game_logic/stall/stall_0/ico",
	ico_d = "trade_stall_0:images/game_logic/stall/stall_0/ico_d",
	break_image = "trade_stall_0:images/game_logic/stall/stall_0/break",
	sell_image = "trade_stall_0:images/game_logic/stall/stall_0/body",
	ground = { {"trade_stall_0:images/game_logic/stall/stall_0/ground", 60, -12} },
	image = { {"trade_stall_0:images/game_logic/stall/stall_0/body", 1, 50, 50} },
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

Good =
{
	store = {20, 30, 40, 50},
	sub = {1, 1, 2, 2},
	limit = {40, 60, 80, 100},
	cost = {5, 6, 7, 8},
}
