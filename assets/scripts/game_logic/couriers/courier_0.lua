-- Courier 0: walks in from an entry point and out again.
Main = {
    image_pattern_full = "employee_0:images/game_logic/humans/employee_0/full_%s%d",
    image_pattern_empty = "employee_0:images/game_logic/humans/employee_0/empty_%s%d",
    move_type = 0,
    speed = 900,
    sound_complete = "game_logic_audio:audio/sound/game_logic/courier_walk",
    z_disp = 0,
    fly_high = 0,
}
