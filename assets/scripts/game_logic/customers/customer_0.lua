-- Customer 0: its walk pictures ("walk_" and the walk image index fill
-- the pattern), its celebration, and its speed in ms per 22 pixels.
Main = {
    image_pattern = "customer_0:images/game_logic/humans/customer_0/%s%d",
    happy_pattern = "customer_0:images/game_logic/humans/customer_0/happy",
    speed = 1100,
}
