-- The game's resource groups: one global table per group, its entries the
-- files of the group (a path without extension). Sound groups end in
-- "_audio"; a sound's volume group follows its name as "?group=1000"
-- (effects) or "?group=1001" (music).

helper = {
}

main_menu = {
    "images/core/main_menu/fon_close",
    -- The main menu's own pictures and animations.
    "images/core/main_menu/fon_open",
    "images/core/main_menu/locat_0",
    "images/core/main_menu/hud",
    "images/core/main_menu/flash_1",
    "images/core/main_menu/flash_2",
    "images/core/main_menu/lantern",
    -- The credits' mask and pictures.
    "images/core/credits/mask",
    "images/core/credits/emblem",
}

map = {
}

core_audio = {
    "audio/music/main_menu?group=1001",
    -- The main menu's opening.
    "audio/music/main_menu_intro?group=1001",
    "audio/sound/core/main_menu_intro_flash?group=1000",
    -- The options and credits screens.
    "audio/sound/core/sfx_slider_sound?group=1000",
    "audio/music/credits?group=1001",
}

window_audio = {
    -- Every button's click and rollover.
    "audio/sound/core/click?group=1000",
    "audio/sound/core/rollover?group=1000",
}

game_logic_audio = {
    -- The level's own sounds.
    "audio/sound/game_logic/profit?group=1000",
    "audio/sound/game_logic/slot_buy?group=1000",
    "audio/sound/game_logic/slot_buy_finish?group=1000",
    "audio/sound/game_logic/select_game_object?group=1000",
    "audio/sound/game_logic/select_slot?group=1000",
    -- Walkers: couriers, monsters and the lightning.
    "audio/sound/game_logic/courier_done?group=1000",
    "audio/sound/game_logic/courier_walk?group=1000",
    "audio/sound/game_logic/monster/portal_open?group=1000",
    "audio/sound/game_logic/monster/attack?group=1000",
    "audio/sound/game_logic/monster/kill?group=1000",
    "audio/sound/game_logic/shot?group=1000",
    -- Stalls: their states, offers and goods.
    "audio/sound/game_logic/game_object/go_build?group=1000",
    "audio/sound/game_logic/game_object/finish_build?group=1000",
    "audio/sound/game_logic/game_object/go_upgrade?group=1000",
    "audio/sound/game_logic/game_object/finish_upgrade?group=1000",
    "audio/sound/game_logic/game_object/go_repair?group=1000",
    "audio/sound/game_logic/game_object/finish_repair?group=1000",
    "audio/sound/game_logic/game_object/go_crash?group=1000",
    "audio/sound/game_logic/game_object/finish_crash?group=1000",
    "audio/sound/game_logic/game_object/go_sell_find?group=1000",
    "audio/sound/game_logic/game_object/go_sell_find_finish?group=1000",
    "audio/sound/game_logic/game_object/go_sell?group=1000",
    "audio/sound/game_logic/game_object/go_sell_finish?group=1000",
    "audio/sound/game_logic/game_object/go_break?group=1000",
    "audio/sound/game_logic/game_object/go_buy_start?group=1000",
    "audio/sound/game_logic/game_object/go_good_non?group=1000",
    "audio/sound/game_logic/hud_buy_normal_finish?group=1000",
}

game_logic_common = {
    -- Slots: their hit picture, the selection and the progress bar.
    "images/game_logic/select",
    "images/game_logic/slot",
    "images/game_logic/stall_bar_layer_0",
    "images/game_logic/stall_bar_layer_1",
    -- Walkers' shadow and the lightning's bolt pieces.
    "images/game_logic/shade",
    "images/game_logic/lightning/lightning_piece_0",
    "images/game_logic/lightning/lightning_piece_1",
    "images/game_logic/lightning/lightning_piece_2",
    "images/game_logic/lightning/lightning_piece_3",
    "images/game_logic/lightning/lightning_piece_4",
    "images/game_logic/lightning/lightning_piece_5",
    "images/game_logic/lightning/lightning_piece_6",
    "images/game_logic/lightning/lightning_piece_7",
    "images/game_logic/lightning/lightning_piece_8",
    -- Stalls: the attention frame, the locks, the badge bubbles, the bonus
    -- area, the coin and the buyer found.
    "images/game_logic/select_attent",
    "images/game_logic/lock_silver",
    "images/game_logic/lock_gold",
    "images/game_logic/lucky_bubble/green",
    "images/game_logic/lucky_bubble/yellow",
    "images/game_logic/lucky_bubble/red",
    "images/game_logic/bonuses/bonus_area",
    "images/game_logic/stalls/coin",
    "images/game_logic/stalls/buy",
}

effect = {
    -- The sign over a slot that is free for building.
    "images/game_logic/effect/slot/for_build",
    -- The workers around a stall at work and their magic hands.
    "images/game_logic/effect/worker/worker",
    "images/game_logic/effect/worker/hand_magic",
    -- Stalls: broken, out of goods, the festival clock, out of luck, the
    -- upgrade star, and the build, upgrade, repair and crash effects.
    "images/game_logic/effect/break/break",
    "images/game_logic/effect/good/trade",
    "images/game_logic/effect/bonus_fest/clock",
    "images/game_logic/effect/break/no_lucky",
    "images/game_logic/effect/upgrade/star",
    "images/game_logic/effect/build/build",
    "images/game_logic/effect/upgrade/upgrade",
    "images/game_logic/effect/repair/repair",
    "images/game_logic/effect/crash/dust",
}

-- Walkers: customers, couriers and monsters, one group each.
customer_0 = {
    "images/game_logic/humans/customer_0/walk_0",
    "images/game_logic/humans/customer_0/walk_1",
    "images/game_logic/humans/customer_0/happy",
}

customer_1 = {
    "images/game_logic/humans/customer_1/walk_0",
    "images/game_logic/humans/customer_1/walk_1",
    "images/game_logic/humans/customer_1/happy",
}

employee_0 = {
    "images/game_logic/humans/employee_0/full_walk_0",
    "images/game_logic/humans/employee_0/full_walk_1",
    "images/game_logic/humans/employee_0/empty_walk_0",
    "images/game_logic/humans/employee_0/empty_walk_1",
}

employee_1 = {
    "images/game_logic/humans/employee_1/full_walk_0",
    "images/game_logic/humans/employee_1/full_walk_1",
    "images/game_logic/humans/employee_1/empty_walk_0",
    "images/game_logic/humans/employee_1/empty_walk_1",
}

employee_2 = {
    "images/game_logic/humans/employee_2/full_walk_0",
    "images/game_logic/humans/employee_2/full_walk_1",
    "images/game_logic/humans/employee_2/empty_walk_0",
    "images/game_logic/humans/employee_2/empty_walk_1",
}

employee_3 = {
    "images/game_logic/humans/employee_3/full_walk_0",
    "images/game_logic/humans/employee_3/full_walk_1",
    "images/game_logic/humans/employee_3/empty_walk_0",
    "images/game_logic/humans/employee_3/empty_walk_1",
}

monster_0 = {
    "images/game_logic/humans/monster_0/walk_0",
    "images/game_logic/humans/monster_0/walk_1",
    "images/game_logic/humans/monster_0/action_walk_0",
    "images/game_logic/humans/monster_0/action_walk_1",
    "images/game_logic/humans/monster_0/attack",
    "images/game_logic/humans/monster_0/click_mask",
}

monster_1 = {
    "images/game_logic/humans/monster_1/walk_0",
    "images/game_logic/humans/monster_1/walk_1",
    "images/game_logic/humans/monster_1/action_walk_0",
    "images/game_logic/humans/monster_1/action_walk_1",
    "images/game_logic/humans/monster_1/attack",
    "images/game_logic/humans/monster_1/click_mask",
}

monster_2 = {
    "images/game_logic/humans/monster_2/walk_0",
    "images/game_logic/humans/monster_2/walk_1",
    "images/game_logic/humans/monster_2/action_walk_0",
    "images/game_logic/humans/monster_2/action_walk_1",
    "images/game_logic/humans/monster_2/shield_walk_0",
    "images/game_logic/humans/monster_2/shield_walk_1",
    "images/game_logic/humans/monster_2/attack",
    "images/game_logic/humans/monster_2/click_mask",
}

comics = {
}

comics_1 = {
}

comics_1_audio = {
}
