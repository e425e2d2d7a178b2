-- Courier 3: the location-bound kind on foot.
Main = {
    image_pattern_full = "employee_3:images/game_logic/humans/employee_3/full_%s%d",
    image_pattern_empty = "employee_3:images/game_logic/humans/employee_3/empty_%s%d",
    move_type = 3,
    speed = 850,
    sound_complete = "game_logic_audio:audio/sound/game_logic/courier_walk",
    z_disp = 0,
    fly_high = 0,
}
