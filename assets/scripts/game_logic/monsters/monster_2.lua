-- Monster 2: walks, breaks or downgrades a stall, and raises a shield when hit.
Main = {
    image_pattern = "monster_2:images/game_logic/humans/monster_2/%s%d",
    image_attack = "monster_2:images/game_logic/humans/monster_2/attack",
    click_mask = "monster_2:images/game_logic/humans/monster_2/click_mask",
    image_action = "monster_2:images/game_logic/humans/monster_2/action_%s%d",
    move_type = 0,
    speed = 1400,
    action_time = 1200,
    post_action_time = 600,
    action_id = 3,
    z_disp = 0,
    fly_high = 0,
    sound_attack = "game_logic_audio:audio/sound/game_logic/monster/attack",
    sound_kill = "game_logic_audio:audio/sound/game_logic/monster/kill",
    sound_shot = "game_logic_audio:audio/sound/game_logic/shot",
    shield_type = 1,
    shield_image = "monster_2:images/game_logic/humans/monster_2/shield_%s%d",
    shield_time = 2500,
    shield_disp_place = 2,
}

-- The HUD's bubble that names the monster.
BubbleInfo = {
    place_x = 0,
    place_y = -56,
    name = "monster_name_2",
}
