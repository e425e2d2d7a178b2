-- Monster 1: flies in from beyond the edge and carries a trade stall's goods off.
Main = {
    image_pattern = "monster_1:images/game_logic/humans/monster_1/%s%d",
    image_attack = "monster_1:images/game_logic/humans/monster_1/attack",
    click_mask = "monster_1:images/game_logic/humans/monster_1/click_mask",
    image_action = "monster_1:images/game_logic/humans/monster_1/action_%s%d",
    move_type = 1,
    speed = 1000,
    action_time = 1200,
    post_action_time = 600,
    action_id = 0,
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
    name = "monster_name_1",
}
