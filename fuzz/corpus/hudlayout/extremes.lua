gTabInfo = { task_text = { 1, 2, 3, 4, 5, 6 }, task_pattern = { "a" } }
gInfoWindow = { text_disp = { 1, 2, 3 } }
gButton = { button_w = 2147483647, button_disp = -2147483648 }
gTabWorker = { shop = { {1,1},{2,2},{3,3} } }
