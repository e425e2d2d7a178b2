-- trade stall description 3: four upgrade levels.

Main =
{
	id = 3,
	trade_type = 0,
	is_right_side = 1,
	name = "trade_stall_name_3",
	is_draft = 0,
	is_draft_access = 0,
	draft_cost = 800,
}

Sprite =
{
	click_mask = "trade_stall_3:images/game_logic/stall/stall_3/body",
	ico = "trade_stall_3:images/game_logic/stall/stall_3/ico",
	ico_d = "trade_stall_3:images/game_logic/stall/stall_3/ico_d",
	break_image = "trade_stall_3:images/game_logic/stall/stall_3/break",
	sell_image = "trade_stall_3:images/game_logic/stall/stall_3/body",
	ground = { {"trade_stall_3:images/game_logic/stall/stall_3/ground", 60, -12} },
	image = { {"trade_stall_3:images/game_logic/stall/stall_3/body", 1, 50, 50} },
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
	profit = {25, 35, 45, 55},
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

Good =
{
	store = {20, 30, 40, 50},
	sub = {1, 1, 2, 2},
	limit = {40, 60, 80, 100},
	cost = {8, 9, 10, 11},
}
