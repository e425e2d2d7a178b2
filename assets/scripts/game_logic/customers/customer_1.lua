-- Customer 1: its walk pictures ("walk_" and the walk image index fill
-- the pattern), its celebration, and its speed in ms per 22 pixels.
Main = {
    image_pattern = "customer_1:images/game_logic/humans/customer_1/%s%d",
    happy_pattern = "customer_1:images/game_logic/humans/customer_1/happy",
    speed = 950,
}
