-- Courier 2: the location-bound kind that flies over the street.
Main = {
    image_pattern_full = "employee_2:images/game_logic/humans/employee_2/full_%s%d",
    image_pattern_empty = "employee_2:images/game_logic/humans/employee_2/empty_%s%d",
    move_type = 2,
    speed = 700,
    sound_complete = "game_logic_audio:audio/sound/game_logic/courier_walk",
    z_disp = 0,
    fly_high = 18,
}
