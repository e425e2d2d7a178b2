// Building the HUD when a level starts: every sprite, text, button and
// window, from the layout, leaving the mana shop open.
#include <cmath>
#include <numbers>

#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "game/hud/Hud.h"
#include "core/Saturate.h"
#include "game/level/GameLogic.h"

namespace
{

const char* const kTimeBarImages[3] = {"hud:images/game_logic/hud/time_bar/layer_2",
                                       "hud:images/game_logic/hud/time_bar/layer_3",
                                       "hud:images/game_logic/hud/time_bar/layer_1"};
const char* const kProfitBarImages[2] = {"hud:images/game_logic/hud/profit_bar/layer_2",
                                         "hud:images/game_logic/hud/profit_bar/layer_1"};
const char* const kMenuImages[4] = {
    "hud:images/game_logic/hud/button/menu_normal", "hud:images/game_logic/hud/button/menu_select",
    "hud:images/game_logic/hud/button/menu_down", "hud:images/game_logic/hud/button/menu_normal"};
const char* const kHelpImages[4] = {"hud:images/game_logic/hud/button/buton_help_normal",
                                    "hud:images/game_logic/hud/button/buton_help_select",
                                    "hud:images/game_logic/hud/button/buton_help_down",
                                    "hud:images/game_logic/hud/button/buton_help_normal"};
const char* const kPlateLev = "hud:images/game_logic/hud/zagl_lev";
const char* const kPlatePrv = "hud:images/game_logic/hud/zagl_prv";
const char* const kPanel = "hud:images/game_logic/hud/def_info";
const char* const kTab = "hud:images/game_logic/hud/tab_%d";
const char* const kIndicator = "hud:images/game_logic/hud/arrow/arrow_down";
const char* const kClockFace = "hud:images/game_logic/hud/clock/fon";
const char* const kClockHand = "hud:images/game_logic/hud/clock/strelca";
const char* const kClockOverlay = "hud:images/game_logic/hud/clock/nakladka";
const char* const kGreenPea = "hud:images/game_logic/hud/clock/pea_green";

// A bar's fill: nothing of it shows until its width is set.
void MakeFill(TMySprite& fill)
{
    fill.SetOriginEnabled(true);
    fill.SetOrigin(0, 0);
    fill.SetSourceRectEnabled(true);
    fill.SetSourceRect(0, 0, 0, 0);
}

// Level numbers past 50 are the second and third round of five.
int32_t ShownLevelNumber(int32_t n)
{
    if (n < 51) return n;
    const int32_t m = n - 50;
    return m <= 5 ? m : n - 55;
}

}  // namespace

void HUD::CreateSprites()
{
    // 1. The read-outs.
    readOuts_.clear();
    for (int32_t i = 0; i < kReadOutCount; ++i) readOuts_.push_back(std::make_unique<HudText>());
    // 2-3. The time bar and the profit bar.
    for (int i = 0; i < 3; ++i) timeBar_[i] = std::make_unique<TMySprite>(kTimeBarImages[i], true);
    MakeFill(*timeBar_[2]);
    for (int i = 0; i < 2; ++i) profitBar_[i] = std::make_unique<TMySprite>(kProfitBarImages[i], true);
    MakeFill(*profitBar_[1]);
    luckyBar_ = std::make_unique<LuckyBar>();
    // 4. The menu and help buttons.
    menuButton_ = std::make_unique<HudButton>();
    menuButton_->SetStateImages({kMenuImages[0], kMenuImages[1], kMenuImages[2], kMenuImages[3]});
    helpButton_ = std::make_unique<HudButton>();
    helpButton_->SetStateImages({kHelpImages[0], kHelpImages[1], kHelpImages[2], kHelpImages[3]});
    // 5. The info windows.
    buttonInfo_ = std::make_unique<HudInfoWindow>(0);
    stallInfo_ = std::make_unique<HudInfoWindow>(1);
    middleInfo_ = std::make_unique<HudMiddleInfoWindow>();
    littleInfo_ = std::make_unique<HudLittleInfoWindow>();
    taskHint_ = std::make_unique<HudTaskHint>();
    // 6. The title plates.
    plateLev_ = std::make_unique<TMySprite>(kPlateLev, true);
    platePrv_ = std::make_unique<TMySprite>(kPlatePrv, true);
    // 7-8.
    LoadLayout();
    CreateClockSprites();
    // 9. The windows' texts and pictures; the stall window is laid out as
    // the button window.
    stallInfo_->CopyLayout(*buttonInfo_);
    buttonInfo_->CreateTexts();
    stallInfo_->CreateTexts();
    middleInfo_->CreateSprites();
    littleInfo_->CreateSprites();
    taskHint_->CreateSprites();
    // 10. The tab strip and its labels.
    tabCount_ = kTabCount;
    tabSprites_.clear();
    for (uint32_t i = 0; i < kTabCount; ++i)
    {
        auto tab = std::make_unique<TMySprite>(FormatDataText(kTab, {static_cast<int32_t>(i)}), true);
        tab->MoveTo(static_cast<float>(layout_.tabX), static_cast<float>(layout_.tabY));
        tabSprites_.push_back(std::move(tab));
    }
    strip_ = std::make_unique<TMySprite>(TString(), true);
    for (auto& text : tabTexts_) text->Create();
    // 11. The menu and help buttons call what the level screen bound.
    menuButton_->SetPosition(layout_.menu.x, layout_.menu.y);
    menuButton_->SetCallback([this] {
        if (owner_.onOpenMenu) owner_.onOpenMenu();
    });
    helpButton_->SetPosition(layout_.help.x, layout_.help.y);
    helpButton_->SetCallback([this] {
        if (owner_.onOpenHelp) owner_.onOpenHelp();
    });
    // 12. The panel.
    panel_ = std::make_unique<TMySprite>(kPanel, true);
    panel_->MoveTo(static_cast<float>(layout_.panel.x), static_cast<float>(layout_.panel.y));
    // 13. The read-outs, the level number and the panel's fixed texts.
    for (auto& text : readOuts_) text->Create();
    HudText& level = *readOuts_[kLevel];
    level.SetText(FormatDataText(level.text, {ShownLevelNumber(owner_.GetLevelNumber())}));
    for (auto& text : defStaticTexts_) text->Create();
    // 14. The read-out backdrops.
    backdrops_.clear();
    for (size_t i = 0; i < iconNames_.size(); ++i)
    {
        auto icon = std::make_unique<TMySprite>(iconNames_[i], true);
        icon->MoveTo(static_cast<float>(iconPoints_[i].x), static_cast<float>(iconPoints_[i].y));
        backdrops_.push_back(std::move(icon));
    }
    // 15. The income indicators by income, free workers and mana.
    indicators_.clear();
    for (int32_t which : {kProfit, kWorker, kMana})
    {
        const HudText& text = *readOuts_[static_cast<size_t>(which)];
        auto indicator = std::make_unique<TMyAnimSprite>(kIndicator, true);
        indicator->SetClock(&owner_.GetMainClock());
        int32_t w = 0;
        int32_t h = 0;
        indicator->GetSize(&w, &h);
        indicator->MoveTo(static_cast<float>(ClampToInt32(int64_t{text.rect.left} - w / 2)),
              static_cast<float>(ClampToInt32(int64_t{text.rect.top} + (int64_t{text.rect.bottom} - text.rect.top) / 2)));
        // The animation loops by itself.
        indicator->Play("DoAnim");
        indicators_.push_back(std::move(indicator));
    }
    // 16. The information tab's fixed texts.
    for (auto& text : tabStaticTexts_) text->Create();
    // 17. The task lines.
    taskIcons_.clear();
    for (size_t g = 0; g < taskTextGroups_.size(); ++g)
    {
        for (auto& text : taskTextGroups_[g]) text->Create();
        if (g >= taskIconNames_.size()) continue;
        auto icon = std::make_unique<TMySprite>(taskIconNames_[g], true);
        icon->MoveTo(static_cast<float>(taskIconPoints_[g].x), static_cast<float>(taskIconPoints_[g].y));
        taskIcons_.push_back(std::move(icon));
    }
    // 18. Nothing selected, nothing bought, no tab open; then the mana shop.
    buildKind_ = -1;
    draggedEntry_ = -1;
    manaPurchase_ = SPurchase();
    workerPurchase_ = SPurchase();
    buildPurchase_ = SPurchase();
    openTab_ = kNoTab;
    SelectTab(0, true);
    started_ = false;
}

void HUD::CreateClockSprites()
{
    const TFloatPoint p = layout_.clock;
    clockFace_ = std::make_unique<TMySprite>(kClockFace, true);
    clockFace_->MoveTo(p.x, p.y);
    hand_ = std::make_unique<TMySprite>(kClockHand, true);
    hand_->SetOriginEnabled(true);
    hand_->SetOrigin(static_cast<int32_t>(layout_.handOffset.x), static_cast<int32_t>(layout_.handOffset.y));
    hand_->MoveTo(p.x, p.y);
    expertHand_ = std::make_unique<TMySprite>(kClockOverlay, true);
    expertHand_->SetOriginEnabled(true);
    expertHand_->SetOrigin(static_cast<int32_t>(layout_.frameOffset.x), static_cast<int32_t>(layout_.frameOffset.y));
    expertHand_->MoveTo(p.x, p.y);
    peas_.clear();
    // Below two peas the step angle has no meaning: no peas.
    const int32_t n = layout_.peaCount;
    if (n < 2) return;
    const float step = std::numbers::pi_v<float> / static_cast<float>(n / 2);
    for (int32_t i = 0; i < n; ++i)
    {
        auto pea = std::make_unique<TMySprite>(kGreenPea, true);
        pea->SetOriginEnabled(true);
        pea->SetOrigin(static_cast<int32_t>(layout_.peaOffset.x), static_cast<int32_t>(layout_.peaOffset.y));
        pea->SetRotation(static_cast<float>(i) * step + step / 2.0f);
        pea->MoveTo(p.x, p.y);
        peas_.push_back(std::move(pea));
    }
}
