-- Level 1: the fair opens on the meadow (location 0).

-- One entry per description file of each kind (entry i for file i - 1).
Trade =
{
	{ time_break = 60000, time_break_rand = 20000, time_sleep = 4000, time_sleep_rand = 2000, time_pay = 8000, time_pay_rand = 4000 },
	{ time_break = 70000, time_break_rand = 20000, time_sleep = 4000, time_sleep_rand = 2000, time_pay = 8000, time_pay_rand = 4000 },
	{ is_draft = 1, is_draft_access = 1, time_break = 80000, time_break_rand = 20000, time_pay = 9000 },
}

Bonus =
{
	{ time_break = 90000, time_break_rand = 30000, fest_time_wait = 120000, fest_time_wait_rand = 30000, fest_time_do = 15000, fest_time_do_rand = 5000 },
	{ time_break = 90000, time_break_rand = 30000 },
	{ time_break = 90000, time_break_rand = 30000 },
}

Attr =
{
	{ time_break = 50000, time_break_rand = 10000, time_sleep = 3000, time_pay = 6000 },
	{ time_break = 50000, time_break_rand = 10000, time_sleep = 3000, time_pay = 6000 },
}

Main =
{
	time_min = 8,
	time_sec = 0,
	time_exp_min = 5,
	time_exp_sec = 30,
	-- {kind, value, [a, [b, [c,]]] "task-condition"}
	task =
	{
		{1, 3000, "1-0"},
		{5, 2, 1, 0, "1-1"},
		{6, 1, 0, 1, 2, "2-0"},
	},
	start_gold = 1500,
	start_mana = 200,
	start_worker = 3,
	land_worker = 1,
	land_mana = 50,
}

Story =
{
	start_character = 1,
	start_text = "level_1_story_start",
	finish_character = 2,
	finish_text = "level_1_story_finish",
	money_text_text = "level_1_story_money",
}

-- {type, time, spread, entry, mana, health, damage, value, repeat}
Monsters =
{
	{0, 60000, 10000, 0, 50, 100, 10, 5000, 45000},
	{1, 150000, 20000, 0, 80, 150, 20, 5000, -1},
	{0, 200000, 5000, 0, 50, 100, 10, 5000, -1},
}

Customer =
{
	price = 20,
	time = 3000,
	prob = {60, 40},
}
