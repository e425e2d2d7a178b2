// TGameLogic: the game's info script, read whole when the level logic is
// made; its lucky bubble, game-over caption and monster-mana point are read
// again at every level start.
#include "game/level/GameLogic.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"

namespace
{

using namespace levelscript;

const char kGameInfoFile[] = "scripts/game_logic/game_logic_info.lua";

void ReadMain(TLevelScript& script, const TLuaTable& main, TGameLogic::SGameInfo& info, SGameObjectCommon& common)
{
    info.timeTact = Int(main, "time_tact", 1000);
    info.gofTime = Int(main, "gof_time", 5000);
    info.gotTact = Int(main, "got_tact", 100);
    info.gofAddRadius = Int(main, "gof_add_radius", 3);
    info.gofAddAngle = Float(main, "gof_add_angel", 0.02f);
    info.gofEmiterCnt = Int(main, "gof_emiter_cnt", 4);
    info.gofElementTime = Int(main, "gof_element_time", 50);
    info.shopMana = Int(main, "shop_mana", 3000);
    info.shopMagic = Int(main, "shop_magic", 3000);
    info.shopDraft = Int(main, "shop_draft", 3000);
    info.objectColor = Color(main, "object_color");
    common.festSaluteTime = Int(main, "fest_salute_time", 600);
    common.festSaluteRandTime = Int(main, "fest_salute_rant_time", 300);
    if (auto rect = script.Array(main, "fest_salute_rect", "gMain")) common.festSaluteRect = Rect(*rect);
    if (auto place = script.Array(main, "fest_clock_place", "gMain")) common.festClockPlace = Point(*place);
    const std::pair<const char*, std::vector<int32_t>*> orders[] = {{"attr_stall", &info.attrOrder},
                                                                    {"trade_stall", &info.tradeOrder},
                                                                    {"bonus_stall", &info.bonusOrder},
                                                                    {"protect_stall", &info.protectOrder}};
    for (const auto& [key, list] : orders)
        if (auto values = script.Array(main, key, "gMain")) *list = Ints(*values, key);
}

void ReadCommon(TLevelScript& script, const TLuaTable& table, SGameObjectCommon& common)
{
    const char* const kTable = "gGameObjectCommon";
    common.passCnt = Int(table, "PassCnt");
    common.sumMin = Int(table, "SumMin");
    common.sumMax = Int(table, "SumMax");
    common.subMin = Int(table, "SubMin");
    common.subMax = Int(table, "SubMax");
    if (auto entry = script.Array(table, "right_entry", kTable)) common.rightEntry = Point(*entry);
    if (auto entry = script.Array(table, "left_entry", kTable)) common.leftEntry = Point(*entry);
    if (auto stars = script.Array(table, "star_place", kTable)) common.starPlaces = FlatPoints(*stars, "star_place");
    static const char* const kPaths[SGameObjectCommon::kPathListCount] = {
        "right_house_in", "right_house_out", "left_house_in",  "left_house_out",
        "right_stall_in", "right_stall_out", "left_stall_in", "left_stall_out"};
    for (int i = 0; i < SGameObjectCommon::kPathListCount; ++i)
        if (auto paths = script.Array(table, kPaths[i], kTable))
            common.paths[static_cast<size_t>(i)] = PointLists(*paths, kPaths[i]);
    common.barFon = {Int(table, "bar_fon_x"), Int(table, "bar_fon_y")};
    common.barLine = {Int(table, "bar_line_x"), Int(table, "bar_line_y")};
    if (auto locat = script.Array(table, "locat", kTable)) common.locat = Ints(*locat, "locat");
}

}  // namespace

void TGameLogic::ReadGameCaptions(TLevelScript& script, bool monsterMana)
{
    if (auto lucky = script.Table("gLuckyBubble"))
    {
        SGameObjectCommon::SLuckyBubble& bubble = common_.luckyBubble;
        bubble.bubble = {Int(*lucky, "bubble_x"), Int(*lucky, "bubble_y")};
        bubble.text = {Int(*lucky, "text_x"), Int(*lucky, "text_y")};
        bubble.textW = Int(*lucky, "text_w");
        bubble.textH = Int(*lucky, "text_h");
        bubble.textFont = Text(*lucky, "text_font");
        bubble.textFontSize = Int(*lucky, "text_font_size");
        bubble.textColor = Color(*lucky, "text_color");
    }
    if (auto over = script.Table("gGameOverText"))
    {
        SGameOverCaption& caption = gameOver_;
        caption.pattern = Label(*over, "pattern");
        if (auto rect = script.Array(*over, "draw_rect", "gGameOverText")) caption.drawRect = Rect(*rect);
        caption.font = Text(*over, "font");
        caption.width = Int(*over, "width");
        caption.height = Int(*over, "height");
        caption.flag = Int(*over, "flag");
        caption.color = Color(*over, "color");
        caption.colorStroke = Color(*over, "color_stroke");
        caption.startSize = Int(*over, "start_size");
        caption.middleSize = Int(*over, "middle_size");
        caption.finishSize = Int(*over, "finish_size");
        if (auto flags = script.Array(*over, "time_flag", "gGameOverText"))
            for (const int32_t flag : Ints(*flags, "time_flag")) timeFlags_.push_back(flag);
    }
    if (!monsterMana) return;
    if (auto mana = script.Table("gMonsterMana"))
    {
        monsterMana_.at = TFloatPoint(Float(*mana, "x"), Float(*mana, "y"));
        monsterMana_.time = Int(*mana, "time");
    }
}

void TGameLogic::LoadGameInfo()
{
    TLevelScript script(kGameInfoFile);
    if (auto main = script.Table("gMain")) ReadMain(script, *main, info_, common_);
    if (auto table = script.Table("gGameObjectCommon")) ReadCommon(script, *table, common_);
    ReadGameCaptions(script, false);
}
