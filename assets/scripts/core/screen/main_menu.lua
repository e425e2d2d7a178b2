-- The main menu: the whole 800 x 600 picture.
MakeDialog{
    name = "main_menu",
    MainMenuScreen{ name = "main_menu", x = 0, y = 0, w = 800, h = 600 },
}
