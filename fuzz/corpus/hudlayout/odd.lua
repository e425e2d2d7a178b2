gTab = { y = 1e20, x = 0/0, tab_text = { {}, 5, { 1, "a", { 1, 2 } } } }
gLittleInfoWindow = { item = { {}, {}, { open_tab = 99 }, {}, {} } }
gDefInfo = { zl_level = 9, zg_level = 9 }
gClock = { pea_cnt = 1 }
gTabMana = { shop = { { 1, 2 }, "x" } }
