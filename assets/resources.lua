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
    -- A level starts.
    "audio/sound/core/click_map_play?group=1000",
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
    -- The HUD: tabs, purchases and their completion, the tasks.
    "audio/sound/game_logic/hud_open_tab?group=1000",
    "audio/sound/game_logic/hud_buy_normal?group=1000",
    "audio/sound/game_logic/hud_buy_risk?group=1000",
    "audio/sound/game_logic/hud_sell_cancel?group=1000",
    "audio/sound/game_logic/hud_pay_mana?group=1000",
    "audio/sound/game_logic/hud_pay_worker?group=1000",
    "audio/sound/game_logic/hud_pay_scroll?group=1000",
    "audio/sound/game_logic/hud_pay_mana_complete?group=1000",
    "audio/sound/game_logic/hud_pay_worker_complete?group=1000",
    "audio/sound/game_logic/task_complete?group=1000",
}

game_logic_common = {
    -- The won level caption's backdrop.
    "images/game_logic/you_win_fon",
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
    -- The flash of a won level.
    "images/game_logic/gof/flash",
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

-- The locations' art: background, ground and land pieces (each with its
-- snow layer) and the slot pictures; the slots for sale and what replaces
-- them once a level is won.

location_0 = {
    "images/game_logic/location_0/fon",
    "images/game_logic/location_0/fon_snow",
    "images/game_logic/location_0/ground_0",
    "images/game_logic/location_0/ground_0_snow",
    "images/game_logic/location_0/ground_1",
    "images/game_logic/location_0/ground_1_snow",
    "images/game_logic/location_0/land_0",
    "images/game_logic/location_0/land_0_snow",
    "images/game_logic/location_0/land_1",
    "images/game_logic/location_0/land_1_snow",
    "images/game_logic/location_0/land_2",
    "images/game_logic/location_0/land_2_snow",
    "images/game_logic/location_0/slots/slot",
    "images/game_logic/location_0/slots/slot_fon",
}

location_0_break_slot = {
    "images/game_logic/location_0/slots/breake_slot_0",
    "images/game_logic/location_0/slots/breake_slot_1",
}

location_0_fun_slot = {
    "images/game_logic/location_0/slots/fun_slot_0",
    "images/game_logic/location_0/slots/fun_slot_1",
}

location_1 = {
    "images/game_logic/location_1/fon",
    "images/game_logic/location_1/fon_snow",
    "images/game_logic/location_1/ground_0",
    "images/game_logic/location_1/ground_0_snow",
    "images/game_logic/location_1/ground_1",
    "images/game_logic/location_1/ground_1_snow",
    "images/game_logic/location_1/land_0",
    "images/game_logic/location_1/land_0_snow",
    "images/game_logic/location_1/land_1",
    "images/game_logic/location_1/land_1_snow",
    "images/game_logic/location_1/land_2",
    "images/game_logic/location_1/land_2_snow",
    "images/game_logic/location_1/slots/slot",
    "images/game_logic/location_1/slots/slot_fon",
}

location_1_break_slot = {
    "images/game_logic/location_1/slots/breake_slot_0",
    "images/game_logic/location_1/slots/breake_slot_1",
}

location_1_fun_slot = {
    "images/game_logic/location_1/slots/fun_slot_0",
    "images/game_logic/location_1/slots/fun_slot_1",
}

location_2 = {
    "images/game_logic/location_2/fon",
    "images/game_logic/location_2/fon_snow",
    "images/game_logic/location_2/ground_0",
    "images/game_logic/location_2/ground_0_snow",
    "images/game_logic/location_2/ground_1",
    "images/game_logic/location_2/ground_1_snow",
    "images/game_logic/location_2/land_0",
    "images/game_logic/location_2/land_0_snow",
    "images/game_logic/location_2/land_1",
    "images/game_logic/location_2/land_1_snow",
    "images/game_logic/location_2/land_2",
    "images/game_logic/location_2/land_2_snow",
    "images/game_logic/location_2/slots/slot",
    "images/game_logic/location_2/slots/slot_fon",
}

location_2_break_slot = {
    "images/game_logic/location_2/slots/breake_slot_0",
    "images/game_logic/location_2/slots/breake_slot_1",
}

location_2_fun_slot = {
    "images/game_logic/location_2/slots/fun_slot_0",
    "images/game_logic/location_2/slots/fun_slot_1",
}

location_3 = {
    "images/game_logic/location_3/fon",
    "images/game_logic/location_3/fon_snow",
    "images/game_logic/location_3/ground_0",
    "images/game_logic/location_3/ground_0_snow",
    "images/game_logic/location_3/ground_1",
    "images/game_logic/location_3/ground_1_snow",
    "images/game_logic/location_3/land_0",
    "images/game_logic/location_3/land_0_snow",
    "images/game_logic/location_3/land_1",
    "images/game_logic/location_3/land_1_snow",
    "images/game_logic/location_3/land_2",
    "images/game_logic/location_3/land_2_snow",
    "images/game_logic/location_3/slots/slot",
    "images/game_logic/location_3/slots/slot_fon",
}

location_3_break_slot = {
    "images/game_logic/location_3/slots/breake_slot_0",
    "images/game_logic/location_3/slots/breake_slot_1",
}

location_3_fun_slot = {
    "images/game_logic/location_3/slots/fun_slot_0",
    "images/game_logic/location_3/slots/fun_slot_1",
}

location_4 = {
    "images/game_logic/location_4/fon",
    "images/game_logic/location_4/fon_snow",
    "images/game_logic/location_4/ground_0",
    "images/game_logic/location_4/ground_0_snow",
    "images/game_logic/location_4/ground_1",
    "images/game_logic/location_4/ground_1_snow",
    "images/game_logic/location_4/land_0",
    "images/game_logic/location_4/land_0_snow",
    "images/game_logic/location_4/land_1",
    "images/game_logic/location_4/land_1_snow",
    "images/game_logic/location_4/land_2",
    "images/game_logic/location_4/land_2_snow",
    "images/game_logic/location_4/slots/slot",
    "images/game_logic/location_4/slots/slot_fon",
}

location_4_break_slot = {
    "images/game_logic/location_4/slots/breake_slot_0",
    "images/game_logic/location_4/slots/breake_slot_1",
}

location_4_fun_slot = {
    "images/game_logic/location_4/slots/fun_slot_0",
    "images/game_logic/location_4/slots/fun_slot_1",
}

-- The stalls' pictures, one group per description.

trade_stall_0 = {
    "images/game_logic/stall/stall_0/body",
    "images/game_logic/stall/stall_0/body_",
    "images/game_logic/stall/stall_0/break",
    "images/game_logic/stall/stall_0/break_",
    "images/game_logic/stall/stall_0/ground",
    "images/game_logic/stall/stall_0/ico",
    "images/game_logic/stall/stall_0/ico_d",
}

trade_stall_1 = {
    "images/game_logic/stall/stall_1/body",
    "images/game_logic/stall/stall_1/body_",
    "images/game_logic/stall/stall_1/break",
    "images/game_logic/stall/stall_1/break_",
    "images/game_logic/stall/stall_1/ground",
    "images/game_logic/stall/stall_1/ico",
    "images/game_logic/stall/stall_1/ico_d",
}

trade_stall_2 = {
    "images/game_logic/stall/stall_2/body",
    "images/game_logic/stall/stall_2/body_",
    "images/game_logic/stall/stall_2/break",
    "images/game_logic/stall/stall_2/break_",
    "images/game_logic/stall/stall_2/ground",
    "images/game_logic/stall/stall_2/ico",
    "images/game_logic/stall/stall_2/ico_d",
}

trade_stall_3 = {
    "images/game_logic/stall/stall_3/body",
    "images/game_logic/stall/stall_3/body_",
    "images/game_logic/stall/stall_3/break",
    "images/game_logic/stall/stall_3/break_",
    "images/game_logic/stall/stall_3/ground",
    "images/game_logic/stall/stall_3/ico",
    "images/game_logic/stall/stall_3/ico_d",
}

trade_stall_4 = {
    "images/game_logic/stall/stall_4/body",
    "images/game_logic/stall/stall_4/body_",
    "images/game_logic/stall/stall_4/break",
    "images/game_logic/stall/stall_4/break_",
    "images/game_logic/stall/stall_4/ground",
    "images/game_logic/stall/stall_4/ico",
    "images/game_logic/stall/stall_4/ico_d",
}

trade_stall_5 = {
    "images/game_logic/stall/stall_5/body",
    "images/game_logic/stall/stall_5/body_",
    "images/game_logic/stall/stall_5/break",
    "images/game_logic/stall/stall_5/break_",
    "images/game_logic/stall/stall_5/ground",
    "images/game_logic/stall/stall_5/ico",
    "images/game_logic/stall/stall_5/ico_d",
}

trade_stall_6 = {
    "images/game_logic/stall/stall_6/body",
    "images/game_logic/stall/stall_6/body_",
    "images/game_logic/stall/stall_6/break",
    "images/game_logic/stall/stall_6/break_",
    "images/game_logic/stall/stall_6/ground",
    "images/game_logic/stall/stall_6/ico",
    "images/game_logic/stall/stall_6/ico_d",
}

attr_stall_0 = {
    "images/game_logic/attr/attr_0/body",
    "images/game_logic/attr/attr_0/body_",
    "images/game_logic/attr/attr_0/break",
    "images/game_logic/attr/attr_0/break_",
    "images/game_logic/attr/attr_0/ground",
    "images/game_logic/attr/attr_0/ico",
    "images/game_logic/attr/attr_0/ico_d",
}

attr_stall_1 = {
    "images/game_logic/attr/attr_1/body",
    "images/game_logic/attr/attr_1/body_",
    "images/game_logic/attr/attr_1/break",
    "images/game_logic/attr/attr_1/break_",
    "images/game_logic/attr/attr_1/ground",
    "images/game_logic/attr/attr_1/ico",
    "images/game_logic/attr/attr_1/ico_d",
}

attr_stall_2 = {
    "images/game_logic/attr/attr_2/body",
    "images/game_logic/attr/attr_2/body_",
    "images/game_logic/attr/attr_2/break",
    "images/game_logic/attr/attr_2/break_",
    "images/game_logic/attr/attr_2/ground",
    "images/game_logic/attr/attr_2/ico",
    "images/game_logic/attr/attr_2/ico_d",
}

attr_stall_3 = {
    "images/game_logic/attr/attr_3/body",
    "images/game_logic/attr/attr_3/body_",
    "images/game_logic/attr/attr_3/break",
    "images/game_logic/attr/attr_3/break_",
    "images/game_logic/attr/attr_3/ground",
    "images/game_logic/attr/attr_3/ico",
    "images/game_logic/attr/attr_3/ico_d",
}

attr_stall_4 = {
    "images/game_logic/attr/attr_4/body",
    "images/game_logic/attr/attr_4/body_",
    "images/game_logic/attr/attr_4/break",
    "images/game_logic/attr/attr_4/break_",
    "images/game_logic/attr/attr_4/ground",
    "images/game_logic/attr/attr_4/ico",
    "images/game_logic/attr/attr_4/ico_d",
}

attr_stall_5 = {
    "images/game_logic/attr/attr_5/body",
    "images/game_logic/attr/attr_5/body_",
    "images/game_logic/attr/attr_5/break",
    "images/game_logic/attr/attr_5/break_",
    "images/game_logic/attr/attr_5/ground",
    "images/game_logic/attr/attr_5/ico",
    "images/game_logic/attr/attr_5/ico_d",
}

attr_stall_6 = {
    "images/game_logic/attr/attr_6/body",
    "images/game_logic/attr/attr_6/body_",
    "images/game_logic/attr/attr_6/break",
    "images/game_logic/attr/attr_6/break_",
    "images/game_logic/attr/attr_6/ground",
    "images/game_logic/attr/attr_6/ico",
    "images/game_logic/attr/attr_6/ico_d",
}

bonus_stall_0 = {
    "images/game_logic/bonus/bonus_0/body",
    "images/game_logic/bonus/bonus_0/body_",
    "images/game_logic/bonus/bonus_0/break",
    "images/game_logic/bonus/bonus_0/break_",
    "images/game_logic/bonus/bonus_0/ground",
    "images/game_logic/bonus/bonus_0/ico",
    "images/game_logic/bonus/bonus_0/ico_d",
}

bonus_stall_1 = {
    "images/game_logic/bonus/bonus_1/body",
    "images/game_logic/bonus/bonus_1/body_",
    "images/game_logic/bonus/bonus_1/break",
    "images/game_logic/bonus/bonus_1/break_",
    "images/game_logic/bonus/bonus_1/ground",
    "images/game_logic/bonus/bonus_1/ico",
    "images/game_logic/bonus/bonus_1/ico_d",
}

bonus_stall_2 = {
    "images/game_logic/bonus/bonus_2/body",
    "images/game_logic/bonus/bonus_2/body_",
    "images/game_logic/bonus/bonus_2/break",
    "images/game_logic/bonus/bonus_2/break_",
    "images/game_logic/bonus/bonus_2/ground",
    "images/game_logic/bonus/bonus_2/ico",
    "images/game_logic/bonus/bonus_2/ico_d",
}

bonus_stall_3 = {
    "images/game_logic/bonus/bonus_3/body",
    "images/game_logic/bonus/bonus_3/body_",
    "images/game_logic/bonus/bonus_3/break",
    "images/game_logic/bonus/bonus_3/break_",
    "images/game_logic/bonus/bonus_3/ground",
    "images/game_logic/bonus/bonus_3/ico",
    "images/game_logic/bonus/bonus_3/ico_d",
}

bonus_stall_4 = {
    "images/game_logic/bonus/bonus_4/body",
    "images/game_logic/bonus/bonus_4/body_",
    "images/game_logic/bonus/bonus_4/break",
    "images/game_logic/bonus/bonus_4/break_",
    "images/game_logic/bonus/bonus_4/ground",
    "images/game_logic/bonus/bonus_4/ico",
    "images/game_logic/bonus/bonus_4/ico_d",
}

bonus_stall_5 = {
    "images/game_logic/bonus/bonus_5/body",
    "images/game_logic/bonus/bonus_5/body_",
    "images/game_logic/bonus/bonus_5/break",
    "images/game_logic/bonus/bonus_5/break_",
    "images/game_logic/bonus/bonus_5/ground",
    "images/game_logic/bonus/bonus_5/ico",
    "images/game_logic/bonus/bonus_5/ico_d",
}

bonus_stall_6 = {
    "images/game_logic/bonus/bonus_6/body",
    "images/game_logic/bonus/bonus_6/body_",
    "images/game_logic/bonus/bonus_6/break",
    "images/game_logic/bonus/bonus_6/break_",
    "images/game_logic/bonus/bonus_6/ground",
    "images/game_logic/bonus/bonus_6/ico",
    "images/game_logic/bonus/bonus_6/ico_d",
}

hud = {
    -- The in-level HUD: the tray, its tabs and buttons, the read-out and
    -- button icons, the clock, the bars, the plates, the bubbles, the task
    -- windows and the income indicator (an animation).
    "images/game_logic/hud/arrow/arrow_down",
    "images/game_logic/hud/button/buton_help_down",
    "images/game_logic/hud/button/buton_help_normal",
    "images/game_logic/hud/button/buton_help_select",
    "images/game_logic/hud/button/button_disable",
    "images/game_logic/hud/button/button_down",
    "images/game_logic/hud/button/button_normal",
    "images/game_logic/hud/button/button_progress_bar",
    "images/game_logic/hud/button/button_select",
    "images/game_logic/hud/button/disable_icon/build_access",
    "images/game_logic/hud/button/disable_icon/build_draft",
    "images/game_logic/hud/button/disable_icon/build_draft_d",
    "images/game_logic/hud/button/disable_icon/draft_done",
    "images/game_logic/hud/button/menu_down",
    "images/game_logic/hud/button/menu_normal",
    "images/game_logic/hud/button/menu_select",
    "images/game_logic/hud/clock/fon",
    "images/game_logic/hud/clock/nakladka",
    "images/game_logic/hud/clock/pea_green",
    "images/game_logic/hud/clock/pea_red",
    "images/game_logic/hud/clock/strelca",
    "images/game_logic/hud/def_info",
    "images/game_logic/hud/ico/buy_0",
    "images/game_logic/hud/ico/buy_1",
    "images/game_logic/hud/ico/buy_2",
    "images/game_logic/hud/ico/buy_d_0",
    "images/game_logic/hud/ico/buy_d_1",
    "images/game_logic/hud/ico/buy_d_2",
    "images/game_logic/hud/ico/ico_good",
    "images/game_logic/hud/ico/ico_lucky",
    "images/game_logic/hud/ico/ico_mana",
    "images/game_logic/hud/ico/ico_money",
    "images/game_logic/hud/ico/ico_task_0",
    "images/game_logic/hud/ico/ico_task_1",
    "images/game_logic/hud/ico/ico_worker",
    "images/game_logic/hud/ico/land",
    "images/game_logic/hud/ico/land_d",
    "images/game_logic/hud/ico/mana_0",
    "images/game_logic/hud/ico/mana_1",
    "images/game_logic/hud/ico/mana_2",
    "images/game_logic/hud/ico/mana_d_0",
    "images/game_logic/hud/ico/mana_d_1",
    "images/game_logic/hud/ico/mana_d_2",
    "images/game_logic/hud/ico/pay_0",
    "images/game_logic/hud/ico/pay_1",
    "images/game_logic/hud/ico/pay_d_0",
    "images/game_logic/hud/ico/pay_d_1",
    "images/game_logic/hud/ico/readout_good",
    "images/game_logic/hud/ico/readout_lucky",
    "images/game_logic/hud/ico/readout_mana",
    "images/game_logic/hud/ico/readout_money",
    "images/game_logic/hud/ico/readout_worker",
    "images/game_logic/hud/ico/service_0",
    "images/game_logic/hud/ico/service_1",
    "images/game_logic/hud/ico/service_2",
    "images/game_logic/hud/ico/service_3",
    "images/game_logic/hud/ico/service_4",
    "images/game_logic/hud/ico/service_d_0",
    "images/game_logic/hud/ico/service_d_1",
    "images/game_logic/hud/ico/service_d_2",
    "images/game_logic/hud/ico/service_d_3",
    "images/game_logic/hud/ico/service_d_4",
    "images/game_logic/hud/ico/worker_0",
    "images/game_logic/hud/ico/worker_1",
    "images/game_logic/hud/ico/worker_2",
    "images/game_logic/hud/ico/worker_d_0",
    "images/game_logic/hud/ico/worker_d_1",
    "images/game_logic/hud/ico/worker_d_2",
    "images/game_logic/hud/lucky_bar/line1",
    "images/game_logic/hud/lucky_bar/line2",
    "images/game_logic/hud/profit_bar/layer_1",
    "images/game_logic/hud/profit_bar/layer_1_dop",
    "images/game_logic/hud/profit_bar/layer_2",
    "images/game_logic/hud/tab_0",
    "images/game_logic/hud/tab_1",
    "images/game_logic/hud/tab_2",
    "images/game_logic/hud/tab_3",
    "images/game_logic/hud/tab_4",
    "images/game_logic/hud/tab_5",
    "images/game_logic/hud/tab_6",
    "images/game_logic/hud/tab_7",
    "images/game_logic/hud/tab_8",
    "images/game_logic/hud/task_star",
    "images/game_logic/hud/task_window_1",
    "images/game_logic/hud/task_window_2",
    "images/game_logic/hud/task_window_3",
    "images/game_logic/hud/task_window_4",
    "images/game_logic/hud/time_bar/layer_1",
    "images/game_logic/hud/time_bar/layer_2",
    "images/game_logic/hud/time_bar/layer_3",
    "images/game_logic/hud/window_info/arrow",
    "images/game_logic/hud/window_info/arrow_2",
    "images/game_logic/hud/window_info/arrow_3",
    "images/game_logic/hud/window_info/babl",
    "images/game_logic/hud/window_info/babl_small_1",
    "images/game_logic/hud/window_info/babl_small_2",
    "images/game_logic/hud/window_info/babl_small_3",
    "images/game_logic/hud/window_info/babl_small_4",
    "images/game_logic/hud/window_info/babl_task",
    "images/game_logic/hud/zagl_lev",
    "images/game_logic/hud/zagl_prv",
}
