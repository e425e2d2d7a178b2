-- Courier 1: comes out of a transport stall and goes back into it.
Main = {
    image_pattern_full = "employee_1:images/game_logic/humans/employee_1/full_%s%d",
    image_pattern_empty = "employee_1:images/game_logic/humans/employee_1/empty_%s%d",
    move_type = 1,
    speed = 800,
    sound_complete = "game_logic_audio:audio/sound/game_logic/courier_walk",
    z_disp = 0,
    fly_high = 0,
}
