-- The in-level HUD's layout: every place, size, colour, font, format and
-- label of the HUD. Only global tables; nothing here is called. Sprites are
-- placed by their centre unless said otherwise; a text box is {centre x,
-- centre y, width, height}; a colour is {red, green, blue, alpha}, 0 to 1.
-- Labels name rows of strings.xml; formats take %d (a number) and %s.
-- Text flags: 1 centred, 2 right, 4 middle (vertically).

gTab = {
    -- The tab strip (its pictures are 800 wide, each tab at its own place).
    y = 503, x = 400,
    -- How far the open tab rises.
    y_disp = 4,
    limit_y = 480,
    -- The menu button (top left) and its caption in its right half.
    menu_y = 24, menu_x = 56,
    menu_color = { 0.23, 0.16, 0.29, 1 },
    menu_rect = { 0, 0, 50, 18 },
    menu_size = 13,
    menu_font = "fonts/default.mvec",
    menu_flag = 5,
    menu_pattern = "hud_menu",
    -- The help button beside it; it has no caption.
    help_y = 24, help_x = 130,
    help_color = { 0.23, 0.16, 0.29, 1 },
    help_rect = { 0, 0, 0, 0 },
    help_size = 13,
    help_font = "fonts/default.mvec",
    help_flag = 5,
    -- The tab labels: tabs 0 to 4, then the new-draft labels of tabs 2 to 4.
    tab_text = {
        { 5, "hud_tab_mana", { 56, 508, 84, 22 }, { 0.23, 0.16, 0.29, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_workers", { 144, 508, 84, 22 }, { 0.23, 0.16, 0.29, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_attr", { 232, 508, 84, 22 }, { 0.23, 0.16, 0.29, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_trade", { 320, 508, 84, 22 }, { 0.23, 0.16, 0.29, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_bonus", { 408, 508, 84, 22 }, { 0.23, 0.16, 0.29, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_attr_new", { 232, 508, 84, 22 }, { 0.85, 0.28, 0.42, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_trade_new", { 320, 508, 84, 22 }, { 0.85, 0.28, 0.42, 1 }, 13, "fonts/default.mvec" },
        { 5, "hud_tab_bonus_new", { 408, 508, 84, 22 }, { 0.85, 0.28, 0.42, 1 }, 13, "fonts/default.mvec" },
    },
    -- The new-draft labels blink at this interval (ms).
    tab_text_time = 700,
    tab_text_acc = 1.5,
    -- The task window.
    task_window_y = 160, task_window_x = 104,
    param_fun_customer = "hud_param_fun_customer",
    param_needed_good = "hud_param_needed_good",
}

gClock = {
    -- The dial, top right; the hands and peas turn about it.
    y = 52, x = 752,
    -- Each hand's pivot in its picture.
    arrow_off_y = 30, arrow_off_x = 3,
    -- A pea's pivot: 32 px out from the centre.
    pea_off_y = 36, pea_off_x = 4,
    -- The expert time's hand.
    ramca_off_y = 24, ramca_off_x = 3,
    pea_cnt = 24,
    -- When the time is up the clock slides off the top in this time (ms).
    move_time = 600,
}

gButton = {
    -- The open tab's row of buttons, centred on x = 400.
    button_y = 560,
    button_w = 84,
    button_disp = 10,
    text_x_disp = 5,
    text_y_disp = 5,
    main_color = { 0.23, 0.16, 0.29, 1 },
}

gInfoWindow = {
    -- The bubble over a hovered button (and, laid out alike, over a stall).
    show_time = 800,
    babl_y = -104, babl_x = 0,
    stall_y = -40, stall_x = 0,
    arrow_y = -38, arrow_x = 0,
    text_rect_size_y = 18, text_rect_size_x = 100,
    big_text_rect_size_y = 22, big_text_rect_size_x = 200,
    font = "fonts/default.mvec",
    font_size = 13,
    font_big_size = 15,
    color_1 = { 0.23, 0.16, 0.29, 1 },
    color_1_2 = { 0.85, 0.28, 0.42, 1 },
    color_2 = { 0.23, 0.16, 0.29, 1 },
    color_3 = { 0.54, 0.32, 0.16, 1 },
    color_4 = { 0.85, 0.28, 0.42, 1 },
    -- The lines' places (x, y pairs) from the point the bubble belongs to.
    text_disp = { -104, -152, 4, -152, -104, -132, 4, -132, -104, -112, 4, -112, -100, -90 },
    -- The labels the windows and the tab buttons pick by index.
    profit = "hud_info_profit",
    price = "hud_info_price",
    store = "hud_info_store",
    lucky = "hud_info_lucky",
    mana = "hud_info_mana",
    worker = "hud_info_worker",
    count = "hud_info_count",
    repair = "hud_info_repair",
    upgrade = "hud_info_upgrade",
    crash = "hud_info_crash",
    sell = "hud_info_sell",
    good = "hud_info_good",
    good_max = "hud_info_good_max",
    good_need = "hud_info_good_need",
    good_courier = "hud_info_good_courier",
    land = "hud_info_land",
    buy = "hud_info_buy",
    buy_with_risk = "hud_info_buy_with_risk",
    accept = "hud_info_accept",
    reject = "hud_info_reject",
    cancel = "hud_info_cancel",
    repair_disc = "hud_info_repair_disc",
    crash_disc = "hud_info_crash_disc",
    sell_disc = "hud_info_sell_disc",
    upgrade_max = "hud_info_upgrade_max",
    land_disc = "hud_info_land_disc",
    buy_disc = "hud_info_buy_disc",
    buy_wr_disc = "hud_info_buy_wr_disc",
    accepr_disc = "hud_info_accepr_disc",
    reject_disc = "hud_info_reject_disc",
    cancel_disc = "hud_info_cancel_disc",
    breake = "hud_info_breake",
    no_lucky = "hud_info_no_lucky",
    no_good = "hud_info_no_good",
}

gMiddleInfoWindow = {
    -- The label over a hovered slot or monster.
    show_time = 600,
    babl_y = -40, babl_x = 0,
    arrow_y = -20, arrow_x = 0,
    slot_y = -30, slot_x = 0,
    monster_y = -50, monster_x = 0,
    text_rect_size_y = 24, text_rect_size_x = 110,
    text_rect_disp_y = -52, text_rect_disp_x = -55,
    font = "fonts/default.mvec",
    font_size = 13,
    color_1 = { 0.23, 0.16, 0.29, 1 },
    color_2 = { 0.85, 0.28, 0.42, 1 },
    color_3 = { 0.35, 0.60, 0.24, 1 },
    text_slot_breake = "hud_slot_breake",
    text_slot_free = "hud_slot_free",
}

gLittleInfoWindow = {
    -- Small bubbles over parts of the HUD; some open a tab when clicked.
    show_time = 700,
    text_size_h = 20, text_size_w = 160,
    text_disp_y = -10, text_disp_x = -80,
    text_font = "fonts/default.mvec",
    text_font_size = 12,
    text_color = { 0.23, 0.16, 0.29, 1 },
    lock_elem = "hud_lock_elem",
    -- The small bubbles' widths (babl_small_1 to _4).
    bubble_width = { 80, 110, 140, 170 },
    item = {
        -- the mana read-out: opens the mana shop
        { babl_y = 515, babl_x = 722, arrow_y = 531, arrow_x = 722, arrow_rotate = 0,
          click_h = 22, click_y = 538, click_w = 140, click_x = 652, text = "hud_little_mana", open_tab = 0 },
        -- the luck row (locked until its plate goes)
        { babl_y = 526, babl_x = 78, arrow_y = 542, arrow_x = 78, arrow_rotate = 0,
          click_h = 24, click_y = 548, click_w = 140, click_x = 8, text = "hud_little_lucky" },
        -- the workers read-out: opens the worker shop
        { babl_y = 542, babl_x = 722, arrow_y = 558, arrow_x = 722, arrow_rotate = 0,
          click_h = 24, click_y = 564, click_w = 140, click_x = 652, text = "hud_little_workers", open_tab = 1 },
        -- the money read-out
        { babl_y = 490, babl_x = 722, arrow_y = 506, arrow_x = 722, arrow_rotate = 0,
          click_h = 24, click_y = 512, click_w = 140, click_x = 652, text = "hud_little_money" },
        -- the goods row (locked until its plate goes)
        { babl_y = 497, babl_x = 78, arrow_y = 513, arrow_x = 78, arrow_rotate = 0,
          click_h = 26, click_y = 518, click_w = 140, click_x = 8, text = "hud_little_goods" },
        -- the income read-out
        { babl_y = 50, babl_x = 570, arrow_y = 34, arrow_x = 570, arrow_rotate = 180,
          click_h = 20, click_y = 6, click_w = 120, click_x = 510, text = "hud_little_income" },
    },
}

gTaskInfoWindow = {
    -- The hint over a task condition, and the task list's texts.
    show_time = 500,
    babl_y = -60, babl_x = 110,
    arrow_y = -20, arrow_x = 0,
    text_rect_size_y = 70, text_rect_size_x = 180,
    text_rect_disp_y = -95, text_rect_disp_x = 20,
    font = "fonts/default.mvec",
    font_size = 12,
    color_1 = { 0.23, 0.16, 0.29, 1 },
    select_task_color = { 0.95, 0.70, 0.24, 1 },
    select_task_color_dop = { 0.79, 0.54, 0.12, 1 },
    -- Two formats per condition kind 0 to 12: the hint's title and its line.
    pattern = {
        "hud_task_hint_0_a", "hud_task_hint_0_b",
        "hud_task_hint_1_a", "hud_task_hint_1_b",
        "hud_task_hint_2_a", "hud_task_hint_2_b",
        "hud_task_hint_3_a", "hud_task_hint_3_b",
        "hud_task_hint_4_a", "hud_task_hint_4_b",
        "hud_task_hint_5_a", "hud_task_hint_5_b",
        "hud_task_hint_6_a", "hud_task_hint_6_b",
        "hud_task_hint_7_a", "hud_task_hint_7_b",
        "hud_task_hint_8_a", "hud_task_hint_8_b",
        "hud_task_hint_9_a", "hud_task_hint_9_b",
        "hud_task_hint_10_a", "hud_task_hint_10_b",
        "hud_task_hint_11_a", "hud_task_hint_11_b",
        "hud_task_hint_12_a", "hud_task_hint_12_b",
    },
    task_complete_pattern = "hud_task_complete",
}

gLuckyProgressBar = {
    line_1_y = 572, line_1_x = 40,
    line_2_y = 574, line_2_x = 40,
}

gDefInfo = {
    -- The tray along the bottom.
    image_y = 550, image_x = 400,
    -- The plates over the luck row and the goods row until their levels.
    zl_place_y = 560, zl_place_x = 78,
    zg_place_y = 531, zg_place_x = 78,
    zl_level = 3,
    zg_level = 5,
    -- The read-outs. Money, mana and workers in the right-hand well:
    money_flag = 4,
    money_rect = { 745, 524, 100, 22 },
    money_color = { 0.23, 0.16, 0.29, 1 },
    money_color_dop = { 0.85, 0.28, 0.42, 1 },
    money_size = 16,
    money_font = "fonts/default.mvec",
    money_pattern = "%d",
    -- the income beside the profit bar,
    profit_flag = 4,
    profit_rect = { 580, 16, 100, 20 },
    profit_color = { 0.23, 0.16, 0.29, 1 },
    profit_color_dop = { 0.85, 0.28, 0.42, 1 },
    profit_size = 14,
    profit_font = "fonts/default.mvec",
    profit_pattern = "+%d",
    mana_flag = 4,
    mana_rect = { 745, 550, 100, 22 },
    mana_color = { 0.23, 0.16, 0.29, 1 },
    mana_color_dop = { 0.85, 0.28, 0.42, 1 },
    mana_size = 16,
    mana_font = "fonts/default.mvec",
    mana_pattern = "%d",
    -- free workers / all workers,
    worker_flag = 6,
    worker_rect = { 722, 576, 46, 22 },
    worker_color = { 0.23, 0.16, 0.29, 1 },
    worker_color_dop = { 0.85, 0.28, 0.42, 1 },
    worker_size = 16,
    worker_font = "fonts/default.mvec",
    worker_pattern = "%d",
    worker_2_flag = 4,
    worker_2_rect = { 772, 576, 30, 22 },
    worker_2_color = { 0.23, 0.16, 0.29, 1 },
    worker_2_color_dop = { 0.85, 0.28, 0.42, 1 },
    worker_2_size = 16,
    worker_2_font = "fonts/default.mvec",
    worker_2_pattern = "%d",
    worker_dop_flag = 5,
    worker_dop_rect = { 750, 576, 10, 22 },
    worker_dop_color = { 0.23, 0.16, 0.29, 1 },
    worker_dop_color_dop = { 0.85, 0.28, 0.42, 1 },
    worker_dop_size = 16,
    worker_dop_font = "fonts/default.mvec",
    worker_dop_pattern = "/",
    -- goods sold and the coverage left / in all in the left-hand well,
    good_flag = 4,
    good_rect = { 85, 531, 100, 22 },
    good_color = { 0.23, 0.16, 0.29, 1 },
    good_size = 16,
    good_font = "fonts/default.mvec",
    good_pattern = "%d",
    fun_customer_flag = 6,
    fun_customer_rect = { 62, 560, 40, 22 },
    fun_customer_color = { 0.23, 0.16, 0.29, 1 },
    fun_customer_size = 16,
    fun_customer_font = "fonts/default.mvec",
    fun_customer_pattern = "%d",
    fun_customer_2_flag = 4,
    fun_customer_2_rect = { 112, 560, 40, 22 },
    fun_customer_2_color = { 0.23, 0.16, 0.29, 1 },
    fun_customer_2_size = 16,
    fun_customer_2_font = "fonts/default.mvec",
    fun_customer_2_pattern = "%d",
    fun_customer_dop_flag = 5,
    fun_customer_dop_rect = { 88, 560, 10, 22 },
    fun_customer_dop_color = { 0.23, 0.16, 0.29, 1 },
    fun_customer_dop_size = 16,
    fun_customer_dop_font = "fonts/default.mvec",
    fun_customer_dop_pattern = "/",
    -- the task lines' counters,
    task_flag = 4,
    task_rect = { 104, 110, 180, 20 },
    task_color = { 0.23, 0.16, 0.29, 1 },
    task_size = 13,
    task_font = "fonts/default.mvec",
    task_pattern = "%d",
    task_2_flag = 4,
    task_2_rect = { 104, 132, 180, 20 },
    task_2_color = { 0.23, 0.16, 0.29, 1 },
    task_2_size = 13,
    task_2_font = "fonts/default.mvec",
    task_2_pattern = "%d",
    -- the level (a label), and the time read-out under the dial.
    level_flag = 5,
    level_rect = { 78, 585, 130, 20 },
    level_color = { 0.54, 0.32, 0.16, 1 },
    level_size = 13,
    level_font = "fonts/default.mvec",
    level_pattern = "hud_level_pattern",
    time_flag = 5,
    time_rect = { 752, 106, 90, 18 },
    time_color = { 0.23, 0.16, 0.29, 1 },
    time_size = 13,
    time_font = "fonts/default.mvec",
    time_pattern = "%s",
    fun_customer_x = 62,
    -- The read-outs' icons: money first, then goods and the luck row, then
    -- mana and workers.
    ico = {
        { "hud:images/game_logic/hud/ico/readout_money", 665, 524 },
        { "hud:images/game_logic/hud/ico/readout_good", 24, 531 },
        { "hud:images/game_logic/hud/ico/readout_lucky", 24, 560 },
        { "hud:images/game_logic/hud/ico/readout_mana", 665, 550 },
        { "hud:images/game_logic/hud/ico/readout_worker", 665, 576 },
    },
    static_text = {
        { 6, "hud_static_income", { 240, 16, 100, 20 }, { 1, 0.96, 0.87, 1 }, 14, "fonts/default.mvec" },
    },
    -- The time bar (its fill from its left edge) and the profit bar.
    time_bar_fon_y = 36, time_bar_fon_x = 400,
    time_bar_line_y = 32, time_bar_line_x = 322,
    profit_bar_y = 16, profit_bar_x = 400,
    profit_bar_line_y = 10, profit_bar_line_x = 300,
}

gTabInfo = {
    -- The task list: groups of five texts (a header, then four lines whose
    -- last entry is their caption), one group per line of the window.
    task_text = {
        { 4, "", { 110, 118, 150, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.54, 0.32, 0.16, 1 }, 13, "fonts/default.mvec", "" },
        { 6, "", { 176, 118, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 5, "", { 194, 118, 10, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "/" },
        { 4, "", { 214, 118, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 4, "", { 110, 129, 150, 12 }, { 0.54, 0.32, 0.16, 1 }, { 0.35, 0.60, 0.24, 1 }, 11, "fonts/default.mvec", "" },
        { 4, "", { 110, 144, 150, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.54, 0.32, 0.16, 1 }, 13, "fonts/default.mvec", "" },
        { 6, "", { 176, 144, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 5, "", { 194, 144, 10, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "/" },
        { 4, "", { 214, 144, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 4, "", { 110, 155, 150, 12 }, { 0.54, 0.32, 0.16, 1 }, { 0.35, 0.60, 0.24, 1 }, 11, "fonts/default.mvec", "" },
        { 4, "", { 110, 170, 150, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.54, 0.32, 0.16, 1 }, 13, "fonts/default.mvec", "" },
        { 6, "", { 176, 170, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 5, "", { 194, 170, 10, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "/" },
        { 4, "", { 214, 170, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 4, "", { 110, 181, 150, 12 }, { 0.54, 0.32, 0.16, 1 }, { 0.35, 0.60, 0.24, 1 }, 11, "fonts/default.mvec", "" },
        { 4, "", { 110, 196, 150, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.54, 0.32, 0.16, 1 }, 13, "fonts/default.mvec", "" },
        { 6, "", { 176, 196, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 5, "", { 194, 196, 10, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "/" },
        { 4, "", { 214, 196, 40, 22 }, { 0.23, 0.16, 0.29, 1 }, { 0.35, 0.60, 0.24, 1 }, 13, "fonts/default.mvec", "%d" },
        { 4, "", { 110, 207, 150, 12 }, { 0.54, 0.32, 0.16, 1 }, { 0.35, 0.60, 0.24, 1 }, 11, "fonts/default.mvec", "" },
    },
    dop_pattern = "hud_dop_pattern",
    task_ico = {
        { "hud:images/game_logic/hud/ico/ico_task_0", 24, 118 },
        { "hud:images/game_logic/hud/ico/ico_task_0", 24, 144 },
        { "hud:images/game_logic/hud/ico/ico_task_0", 24, 170 },
        { "hud:images/game_logic/hud/ico/ico_task_0", 24, 196 },
    },
    -- Two formats per condition kind 0 to 12: the line and its done form.
    task_pattern = {
        "hud_task_0_a", "hud_task_0_b",
        "hud_task_1_a", "hud_task_1_b",
        "hud_task_2_a", "hud_task_2_b",
        "hud_task_3_a", "hud_task_3_b",
        "hud_task_4_a", "hud_task_4_b",
        "hud_task_5_a", "hud_task_5_b",
        "hud_task_6_a", "hud_task_6_b",
        "hud_task_7_a", "hud_task_7_b",
        "hud_task_8_a", "hud_task_8_b",
        "hud_task_9_a", "hud_task_9_b",
        "hud_task_10_a", "hud_task_10_b",
        "hud_task_11_a", "hud_task_11_b",
        "hud_task_12_a", "hud_task_12_b",
    },
    -- One per monster script, counting the monsters sent away.
    monster_name = { "monster_name_0", "monster_name_1", "monster_name_2" },
    static_text = {
        { 5, "hud_static_tasks", { 104, 84, 180, 22 }, { 0.23, 0.16, 0.29, 1 }, 15, "fonts/default.mvec" },
    },
    progress_bar_fon_y = 582, progress_bar_fon_x = 400,
    progress_bar_line_y = 578, progress_bar_line_x = 322,
}

gTabMana = {
    -- The mana shop: { mana, price }.
    shop = { { 100, 1000 }, { 300, 2500 }, { 700, 5000 } },
}

gTabWorker = {
    -- The worker shop: { workers, price }.
    shop = { { 1, 800 }, { 3, 2000 }, { 6, 3600 } },
}
