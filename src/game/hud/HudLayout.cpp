// Reading the HUD's layout script "scripts/game_logic/hud.lua": twelve global
// tables read in a fixed order, every key with its default.
#include <algorithm>
#include <cmath>
#include <memory>

#include "core/StringTable.h"
#include "game/app/MySprite.h"
#include "game/hud/Hud.h"
#include "game/level/GameLogic.h"
#include "script/LuaTable.h"
#include "script/Script.h"
#include "ui/WindowAppLink.h"

namespace
{

const char* const kLayoutScript = "scripts/game_logic/hud.lua";
// No list of the layout comes near this; a script's claimed length beyond it
// is not followed.
constexpr int kListLimit = 10000;

const char* const kLayoutTextKeys[HUD::kLayoutTextCount] = {
    "profit",       "price",      "store",       "lucky",       "mana",        "worker",      "count",
    "repair",       "upgrade",    "crash",       "sell",        "good",        "good_max",    "good_need",
    "good_courier", "land",       "buy",         "buy_with_risk", "accept",    "reject",      "cancel",
    "repair_disc",  "crash_disc", "sell_disc",   "upgrade_max", "land_disc",   "buy_disc",    "buy_wr_disc",
    "accepr_disc",  "reject_disc", "cancel_disc", "breake",     "no_lucky",    "no_good"};

const char* const kReadOutPrefixes[HUD::kReadOutCount] = {
    "money", "profit",           "mana", "worker", "worker_2", "worker_dop", "good",
    "fun_customer", "fun_customer_2", "fun_customer_dop", "task", "task_2", "level", "time"};

// A double as a 32-bit int: truncated toward zero; 0 when it is not finite
// or does not fit.
int32_t ToInt(double d)
{
    if (!std::isfinite(d)) return 0;
    const double t = std::trunc(d);
    if (t < -2147483648.0 || t > 2147483647.0) return 0;
    return static_cast<int32_t>(t);
}

double Num(const TLuaTable* t, const char* key, double def)
{
    return t != nullptr ? t->GetNumber(key, def) : def;
}
double NumAt(const TLuaTable* t, int index, double def)
{
    return t != nullptr ? t->GetNumberAt(index, def) : def;
}
int32_t Int(const TLuaTable* t, const char* key, int32_t def)
{
    return ToInt(Num(t, key, def));
}
int32_t IntAt(const TLuaTable* t, int index, int32_t def)
{
    return ToInt(NumAt(t, index, def));
}
float Float(const TLuaTable* t, const char* key, float def)
{
    return static_cast<float>(Num(t, key, def));
}
TString Text(const TLuaTable* t, const char* key)
{
    return t != nullptr ? t->GetString(key, TString()) : TString();
}
TString TextAt(const TLuaTable* t, int index)
{
    return t != nullptr ? t->GetStringAt(index, TString()) : TString();
}
// The string table's text for the label (five empty arguments); the label
// as written without a table.
TString Resolve(const TString& label)
{
    if (const TStringTable* strings = GetWindowAppLink().GetStringTable()) return strings->GetString(label);
    return label;
}
TString Label(const TLuaTable* t, const char* key)
{
    return Resolve(Text(t, key));
}
TString LabelAt(const TLuaTable* t, int index)
{
    return Resolve(TextAt(t, index));
}
std::unique_ptr<TLuaTable> Sub(const TLuaTable* t, const char* key)
{
    return t != nullptr ? t->GetTable(key) : nullptr;
}
std::unique_ptr<TLuaTable> SubAt(const TLuaTable* t, int index)
{
    return t != nullptr ? t->GetTableAt(index) : nullptr;
}
// The colour reader: the default whole when absent, each missing entry the
// default's component.
TFloatVector4 Colour(const TLuaTable* t, const char* key, const TFloatVector4& def)
{
    return t != nullptr ? t->GetColor(key, def) : def;
}
// Entry by entry: 0 for each missing entry.
TFloatVector4 ColourEntries(const TLuaTable* c)
{
    return TFloatVector4(static_cast<float>(NumAt(c, 1, 0)), static_cast<float>(NumAt(c, 2, 0)),
                         static_cast<float>(NumAt(c, 3, 0)), static_cast<float>(NumAt(c, 4, 0)));
}
TFloatVector4 ColourEntries(const TLuaTable* t, const char* key)
{
    return ColourEntries(Sub(t, key).get());
}
struct SRect4
{
    int32_t v[4] = {0, 0, 0, 0};
};
SRect4 RectEntries(const TLuaTable* r)
{
    SRect4 out;
    for (int i = 0; i < 4; ++i) out.v[i] = IntAt(r, i + 1, 0);
    return out;
}
int Count(const TLuaTable* list)
{
    if (list == nullptr) return 0;
    return std::clamp(list->GetCount(), 0, kListLimit);
}
TPoint PairYX(const TLuaTable* t, const char* yKey, const char* xKey, int32_t def)
{
    const int32_t y = Int(t, yKey, def);
    const int32_t x = Int(t, xKey, def);
    return {x, y};
}
TFloatPoint FloatPairYX(const TLuaTable* t, const char* yKey, const char* xKey)
{
    const float y = Float(t, yKey, 0.0f);
    const float x = Float(t, xKey, 0.0f);
    return {x, y};
}
void SetBox(HudText& text, const SRect4& box)
{
    text.centreX = box.v[0];
    text.centreY = box.v[1];
    text.width = box.v[2];
    text.height = box.v[3];
}

// A tab text or fixed text: flags, caption (label), box, colour, size, font.
std::unique_ptr<HudText> ReadStaticText(const TLuaTable* e)
{
    auto text = std::make_unique<HudText>();
    text->flags = IntAt(e, 1, 0);
    text->text = LabelAt(e, 2);
    SetBox(*text, RectEntries(SubAt(e, 3).get()));
    text->color = ColourEntries(SubAt(e, 4).get());
    text->fontSize = IntAt(e, 5, 0);
    text->font = TextAt(e, 6);
    return text;
}

// A task-list text: flags, box, colour, second colour, size, font and, but
// for a group's header, the caption (text).
std::unique_ptr<HudText> ReadTaskText(const TLuaTable* e, bool header)
{
    auto text = std::make_unique<HudText>();
    text->flags = IntAt(e, 1, 0);
    SetBox(*text, RectEntries(SubAt(e, 3).get()));
    text->color = ColourEntries(SubAt(e, 4).get());
    text->color2 = ColourEntries(SubAt(e, 5).get());
    text->fontSize = IntAt(e, 6, 0);
    text->font = TextAt(e, 7);
    if (!header) text->text = TextAt(e, 8);
    return text;
}

void ReadStaticTexts(const TLuaTable* t, const char* key, std::vector<std::unique_ptr<HudText>>& out)
{
    auto list = Sub(t, key);
    const int n = Count(list.get());
    for (int i = 1; i <= n; ++i) out.push_back(ReadStaticText(SubAt(list.get(), i).get()));
}

void ReadIcons(const TLuaTable* t, const char* key, std::vector<TString>& names, std::vector<TPoint>& points)
{
    auto list = Sub(t, key);
    const int n = Count(list.get());
    for (int i = 1; i <= n; ++i)
    {
        auto e = SubAt(list.get(), i);
        names.push_back(TextAt(e.get(), 1));
        points.emplace_back(IntAt(e.get(), 2, 0), IntAt(e.get(), 3, 0));
    }
}

// The caption of the menu or help button from its prefix's keys.
void ReadCaption(const TLuaTable* t, const char* prefix, bool withText, HudButton* button)
{
    auto key = [&](const char* suffix) { return TString(prefix) + suffix; };
    const TFloatVector4 colour = ColourEntries(t, key("_color").CStr());
    const SRect4 rect = RectEntries(Sub(t, key("_rect").CStr()).get());
    const int32_t size = Int(t, key("_size").CStr(), 0);
    const TString font = Text(t, key("_font").CStr());
    const int32_t flags = Int(t, key("_flag").CStr(), 0);
    const TString caption = withText ? Label(t, key("_pattern").CStr()) : TString();
    if (button != nullptr) button->SetCaption(caption, rect.v[2], rect.v[3], flags, font, size, colour);
}

void PlaceSprite(TMySprite* sprite, TFloatPoint p)
{
    if (sprite != nullptr) sprite->MoveTo(p.x, p.y);
}

}  // namespace

void HUD::LoadLayout()
{
    auto script = std::make_unique<TScript>();
    // A missing or failing script leaves every table absent: every value
    // takes its default (the script engine reports the failure).
    script->RunScript(kLayoutScript);
    ReadTab(script->GetGlobalTable("gTab").get());
    ReadClock(script->GetGlobalTable("gClock").get());
    ReadButton(script->GetGlobalTable("gButton").get());
    ReadInfoWindow(script->GetGlobalTable("gInfoWindow").get());
    ReadMiddleInfoWindow(script->GetGlobalTable("gMiddleInfoWindow").get());
    ReadLittleInfoWindow(script->GetGlobalTable("gLittleInfoWindow").get());
    ReadTaskInfoWindow(script->GetGlobalTable("gTaskInfoWindow").get());
    ReadLuckyBar(script->GetGlobalTable("gLuckyProgressBar").get());
    ReadDefInfo(script->GetGlobalTable("gDefInfo").get());
    ReadTabInfo(script->GetGlobalTable("gTabInfo").get());
    ReadShop(script->GetGlobalTable("gTabMana").get(), manaOffers_);
    ReadShop(script->GetGlobalTable("gTabWorker").get(), workerOffers_);
}

void HUD::ReadTab(const TLuaTable* t)
{
    layout_.tabY = Int(t, "y", 0);
    layout_.tabX = Int(t, "x", 0);
    layout_.tabRaise = Int(t, "y_disp", 0);
    layout_.limitY = Int(t, "limit_y", 0);
    layout_.menu = PairYX(t, "menu_y", "menu_x", 0);
    ReadCaption(t, "menu", true, menuButton_.get());
    layout_.help = PairYX(t, "help_y", "help_x", 0);
    ReadCaption(t, "help", false, helpButton_.get());
    ReadStaticTexts(t, "tab_text", tabTexts_);
    layout_.blinkInterval = Int(t, "tab_text_time", 1000);
    layout_.tabTextAcc = Float(t, "tab_text_acc", 1.5f);
    layout_.taskWindow.y = Int(t, "task_window_y", 0);
    layout_.taskWindow.x = Int(t, "task_window_x", 600);
    layout_.paramFunCustomer = Label(t, "param_fun_customer");
    layout_.paramNeededGood = Label(t, "param_needed_good");
}

void HUD::ReadClock(const TLuaTable* t)
{
    layout_.clock = FloatPairYX(t, "y", "x");
    layout_.handOffset = FloatPairYX(t, "arrow_off_y", "arrow_off_x");
    layout_.peaOffset = FloatPairYX(t, "pea_off_y", "pea_off_x");
    layout_.frameOffset = FloatPairYX(t, "ramca_off_y", "ramca_off_x");
    layout_.peaCount = Int(t, "pea_cnt", 24);
    layout_.moveTime = Int(t, "move_time", 500);
}

void HUD::ReadButton(const TLuaTable* t)
{
    layout_.buttonY = Int(t, "button_y", 515);
    layout_.buttonW = Int(t, "button_w", 90);
    layout_.buttonGap = Int(t, "button_disp", 10);
    layout_.textDispX = Int(t, "text_x_disp", 5);
    layout_.textDispY = Int(t, "text_y_disp", 5);
    layout_.mainColor = Colour(t, "main_color", TFloatVector4(0.0f, 0.0f, 0.0f, 1.0f));
}

void HUD::ReadInfoWindow(const TLuaTable* t)
{
    HudInfoWindow& w = *buttonInfo_;
    w.delay = Int(t, "show_time", 4000);
    w.bubbleOffset = PairYX(t, "babl_y", "babl_x", 0);
    w.kindOffset = PairYX(t, "stall_y", "stall_x", 0);
    w.arrowOffset = PairYX(t, "arrow_y", "arrow_x", 0);
    w.lineSize = PairYX(t, "text_rect_size_y", "text_rect_size_x", 10);
    w.titleSize = PairYX(t, "big_text_rect_size_y", "big_text_rect_size_x", 10);
    w.font = Text(t, "font");
    w.fontSize = Int(t, "font_size", 0);
    w.fontBigSize = Int(t, "font_big_size", 0);
    const TFloatVector4 none;
    const char* colourKeys[5] = {"color_1", "color_1_2", "color_2", "color_3", "color_4"};
    for (int i = 0; i < 5; ++i) w.colors[i] = Colour(t, colourKeys[i], none);
    auto offsets = Sub(t, "text_disp");
    const int n = Count(offsets.get());
    for (int k = 1; k <= (n + 1) / 2; ++k)
        w.lineOffsets.emplace_back(IntAt(offsets.get(), 2 * k - 1, 0), IntAt(offsets.get(), 2 * k, 0));
    for (const char* key : kLayoutTextKeys) layoutTexts_.push_back(Label(t, key));
}

void HUD::ReadMiddleInfoWindow(const TLuaTable* t)
{
    HudMiddleInfoWindow& w = *middleInfo_;
    w.delay = Int(t, "show_time", 4000);
    w.frameOffset = PairYX(t, "babl_y", "babl_x", 0);
    w.arrowOffset = PairYX(t, "arrow_y", "arrow_x", 0);
    w.slotOffset = PairYX(t, "slot_y", "slot_x", 0);
    w.monsterOffset = PairYX(t, "monster_y", "monster_x", 0);
    w.textSize = PairYX(t, "text_rect_size_y", "text_rect_size_x", 10);
    w.textOffset = PairYX(t, "text_rect_disp_y", "text_rect_disp_x", 10);
    w.font = Text(t, "font");
    w.fontSize = Int(t, "font_size", 0);
    const TFloatVector4 none;
    w.colors[0] = Colour(t, "color_1", none);
    w.colors[1] = Colour(t, "color_2", none);
    w.colors[2] = Colour(t, "color_3", none);
    w.textSlotBreake = Label(t, "text_slot_breake");
    w.textSlotFree = Label(t, "text_slot_free");
}

void HUD::ReadLittleInfoWindow(const TLuaTable* t)
{
    HudLittleInfoWindow& w = *littleInfo_;
    w.delay = Int(t, "show_time", 4000);
    const int32_t h = Int(t, "text_size_h", 0);
    w.textSize = TPoint(Int(t, "text_size_w", 0), h);
    w.textOffset = PairYX(t, "text_disp_y", "text_disp_x", 0);
    w.font = Text(t, "text_font");
    w.fontSize = Int(t, "text_font_size", 0);
    w.color = Colour(t, "text_color", TFloatVector4());
    w.lockText = Label(t, "lock_elem");
    auto widths = Sub(t, "bubble_width");
    const int nw = Count(widths.get());
    for (int i = 1; i <= nw; ++i) w.bubbleWidths.push_back(IntAt(widths.get(), i, 0));
    auto items = Sub(t, "item");
    const int n = Count(items.get());
    for (int i = 1; i <= n; ++i)
    {
        auto e = SubAt(items.get(), i);
        HudLittleInfoWindow::SItem item;
        item.index = i - 1;
        item.point = PairYX(e.get(), "babl_y", "babl_x", 0);
        item.arrow = PairYX(e.get(), "arrow_y", "arrow_x", 0);
        item.angle = Int(e.get(), "arrow_rotate", 0);
        const double ch = Num(e.get(), "click_h", 0);
        const double cy = Num(e.get(), "click_y", 0);
        const double cw = Num(e.get(), "click_w", 0);
        const double cx = Num(e.get(), "click_x", 0);
        item.click = TRect(ToInt(cx), ToInt(cy), ToInt(cx + cw), ToInt(cy + ch));
        item.text = Label(e.get(), "text");
        item.openTab = Int(e.get(), "open_tab", -1);
        w.items.push_back(item);
    }
}

void HUD::ReadTaskInfoWindow(const TLuaTable* t)
{
    HudTaskHint& w = *taskHint_;
    w.delay = Int(t, "show_time", 4000);
    w.bubbleOffset = PairYX(t, "babl_y", "babl_x", 0);
    w.arrowOffset = PairYX(t, "arrow_y", "arrow_x", 0);
    w.textSize = PairYX(t, "text_rect_size_y", "text_rect_size_x", 10);
    w.textOffset = PairYX(t, "text_rect_disp_y", "text_rect_disp_x", 10);
    w.font = Text(t, "font");
    w.fontSize = Int(t, "font_size", 0);
    const TFloatVector4 none;
    w.color = Colour(t, "color_1", none);
    w.selectColor = Colour(t, "select_task_color", none);
    w.selectColor2 = Colour(t, "select_task_color_dop", none);
    auto patterns = Sub(t, "pattern");
    const int n = Count(patterns.get());
    for (int i = 1; i <= n; ++i) w.patterns.push_back(LabelAt(patterns.get(), i));
    w.completePattern = Label(t, "task_complete_pattern");
    for (const char* label : {"is_prefix_first", "is_prefix_second", "is_prefix_third"})
        taskPrefixes_.push_back(Resolve(label));
}

void HUD::ReadLuckyBar(const TLuaTable* t)
{
    const TPoint line1 = PairYX(t, "line_1_y", "line_1_x", 0);
    const TPoint line2 = PairYX(t, "line_2_y", "line_2_x", 0);
    luckyBar_->SetLuckyBar(line1.x, line1.y, line2.x, line2.y);
}

void HUD::ReadDefInfo(const TLuaTable* t)
{
    layout_.panel = PairYX(t, "image_y", "image_x", 0);
    layout_.zlPlace = FloatPairYX(t, "zl_place_y", "zl_place_x");
    PlaceSprite(plateLev_.get(), layout_.zlPlace);
    layout_.zgPlace = FloatPairYX(t, "zg_place_y", "zg_place_x");
    PlaceSprite(platePrv_.get(), layout_.zgPlace);
    layout_.zlLevel = Int(t, "zl_level", 0);
    layout_.zgLevel = Int(t, "zg_level", 0);
    // A plate covers its area until its level; meanwhile the little bubble
    // over that area tells it is locked.
    const int32_t level = owner_.GetLevelNumber();
    auto lock = [&](int32_t from, TMySprite& plate, size_t item) {
        if (from <= level)
        {
            plate.visible = false;
            return;
        }
        auto& items = littleInfo_->items;
        if (items.size() > item)
        {
            items[item].text = littleInfo_->lockText;
            items[item].locked = true;
        }
    };
    lock(layout_.zlLevel, *plateLev_, 1);
    lock(layout_.zgLevel, *platePrv_, 4);

    for (int32_t i = 0; i < kReadOutCount; ++i)
    {
        HudText& text = *readOuts_[static_cast<size_t>(i)];
        const TString prefix = kReadOutPrefixes[i];
        auto key = [&](const char* suffix) { return prefix + suffix; };
        const bool second = i <= kWorkerDop;
        text.flags = Int(t, key("_flag").CStr(), 0);
        SetBox(text, RectEntries(Sub(t, key("_rect").CStr()).get()));
        text.color = ColourEntries(t, key("_color").CStr());
        if (second) text.color2 = ColourEntries(t, key("_color_dop").CStr());
        text.fontSize = Int(t, key("_size").CStr(), 0);
        text.font = Text(t, key("_font").CStr());
        text.text = i == kLevel ? Label(t, "level_pattern") : Text(t, key("_pattern").CStr());
    }
    layout_.funCustomerX = Int(t, "fun_customer_x", 0);
    ReadIcons(t, "ico", iconNames_, iconPoints_);
    ReadStaticTexts(t, "static_text", defStaticTexts_);
    const TFloatPoint back = FloatPairYX(t, "time_bar_fon_y", "time_bar_fon_x");
    PlaceSprite(timeBar_[0].get(), back);
    PlaceSprite(timeBar_[1].get(), back);
    PlaceSprite(timeBar_[2].get(), FloatPairYX(t, "time_bar_line_y", "time_bar_line_x"));
    PlaceSprite(profitBar_[0].get(), FloatPairYX(t, "profit_bar_y", "profit_bar_x"));
    PlaceSprite(profitBar_[1].get(), FloatPairYX(t, "profit_bar_line_y", "profit_bar_line_x"));
}

void HUD::ReadTabInfo(const TLuaTable* t)
{
    auto texts = Sub(t, "task_text");
    const int n = Count(texts.get());
    for (int g = 1; g <= (n + 4) / 5; ++g)
    {
        std::vector<std::unique_ptr<HudText>> group;
        for (int e = 5 * g - 4; e <= 5 * g; ++e)
            group.push_back(ReadTaskText(SubAt(texts.get(), e).get(), e == 5 * g - 4));
        taskTextGroups_.push_back(std::move(group));
    }
    layout_.dopPattern = Label(t, "dop_pattern");
    ReadIcons(t, "task_ico", taskIconNames_, taskIconPoints_);
    auto patterns = Sub(t, "task_pattern");
    const int np = Count(patterns.get());
    for (int k = 1; k <= (np + 1) / 2; ++k)
    {
        taskPatterns_[0].push_back(LabelAt(patterns.get(), 2 * k - 1));
        taskPatterns_[1].push_back(LabelAt(patterns.get(), 2 * k));
    }
    auto names = Sub(t, "monster_name");
    const int nm = Count(names.get());
    for (int i = 1; i <= nm; ++i)
    {
        monsterNames_.push_back(LabelAt(names.get(), i));
        monsterCounters_.push_back(0);
    }
    ReadStaticTexts(t, "static_text", tabStaticTexts_);
    layout_.progressBarBack = PairYX(t, "progress_bar_fon_y", "progress_bar_fon_x", 0);
    layout_.progressBarLine = PairYX(t, "progress_bar_line_y", "progress_bar_line_x", 0);
}

void HUD::ReadShop(const TLuaTable* t, std::vector<std::pair<int32_t, int32_t>>& offers)
{
    auto shop = Sub(t, "shop");
    const int n = Count(shop.get());
    for (int i = 1; i <= n; ++i)
    {
        auto e = SubAt(shop.get(), i);
        offers.emplace_back(IntAt(e.get(), 1, 0), IntAt(e.get(), 2, 0));
    }
}
