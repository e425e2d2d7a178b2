-- Monster 0: walks out of its portal and breaks a stall.
Main = {
    image_pattern = "monster_0:images/game_logic/humans/monster_0/%s%d",
    image_attack = "monster_0:images/game_logic/humans/monster_0/attack",
    click_mask = "monster_0:images/game_logic/humans/monster_0/click_mask",
    image_action = "monster_0:images/game_logic/humans/monster_0/action_%s%d",
    move_type = 0,
    speed = 1300,
    action_time = 1200,
    post_action_time = 600,
    action_id = 1,
    z_disp = 0,
    fly_high = 0,
    sound_attack = "game_logic_audio:audio/sound/game_logic/monster/attack",
    sound_kill = "game_logic_audio:audio/sound/game_logic/monster/kill",
    sound_shot = "game_logic_audio:audio/sound/game_logic/shot",
}

-- The HUD's bubble that names the monster.
BubbleInfo = {
    place_x = 0,
    place_y = -56,
    name = "monster_name_0",
}
