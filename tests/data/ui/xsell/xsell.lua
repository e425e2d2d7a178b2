-- A cross-sell screen: eight descriptions each with its button, the site
-- button and two logos placed at the points they are centred on, and two
-- centred texts. gConfig names the description file.
MakeDialog{
    XSellWindow{ name = "xsell", config = gConfig, w = 800, h = 600,
        Text{ name = "descrip1", x = 10, y = 10, w = 300, h = 40 },
        Text{ name = "descrip2", x = 10, y = 60, w = 300, h = 40 },
        Text{ name = "descrip3", x = 10, y = 110, w = 300, h = 40 },
        Text{ name = "descrip4", x = 10, y = 160, w = 300, h = 40 },
        Text{ name = "descrip5", x = 10, y = 210, w = 300, h = 40 },
        Text{ name = "descrip6", x = 10, y = 260, w = 300, h = 40 },
        Text{ name = "descrip7", x = 10, y = 310, w = 300, h = 40 },
        Text{ name = "descrip8", x = 10, y = 360, w = 300, h = 40 },
        Button{ name = "xsellbutton1", x = 400, y = 30, w = 40, h = 20, command = function() LaunchGameLink(1) end },
        Button{ name = "xsellbutton2", x = 400, y = 80, w = 40, h = 20, command = function() LaunchGameLink(2) end },
        Button{ name = "xsellbutton3", x = 400, y = 130, w = 40, h = 20, command = function() LaunchGameLink(3) end },
        Button{ name = "xsellbutton4", x = 400, y = 180, w = 40, h = 20, command = function() LaunchGameLink(4) end },
        Button{ name = "xsellbutton5", x = 400, y = 230, w = 40, h = 20, command = function() LaunchGameLink(5) end },
        Button{ name = "xsellbutton6", x = 400, y = 280, w = 40, h = 20, command = function() LaunchGameLink(6) end },
        Button{ name = "xsellbutton7", x = 400, y = 330, w = 40, h = 20, command = function() LaunchGameLink(7) end },
        Button{ name = "xsellbutton8", x = 400, y = 380, w = 40, h = 20, command = function() LaunchGameLink(8) end },
        Button{ name = "gamesite", x = 600, y = 500, w = 60, h = 30, command = function() LaunchGameLink(0) end },
        Window{ name = "sitelogo", x = 600, y = 100, w = 100, h = 50 },
        Window{ name = "corvantislogo", x = 600, y = 200, w = 51, h = 21 },
        Text{ name = "centertext1", x = 10, y = 450, w = 300, h = 30 },
        Text{ name = "centertext2", x = 10, y = 490, w = 300, h = 30 },
    },
}
