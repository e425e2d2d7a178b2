#include "game/hud/Hud.h"

#include <algorithm>

#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "core/Saturate.h"
#include "game/level/GameLogic.h"
#include "graphics/DrawParams.h"
#include "graphics/TextGraphic.h"

namespace
{

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kRowCentreX = 400;
// The tab strip takes presses strictly between these rows.
constexpr int32_t kStripAbove = 483;
constexpr int32_t kStripBelow = 525;
constexpr int32_t kTabAlphaThreshold = 200;
constexpr uint32_t kFirstPanelTab = 5;
constexpr int32_t kLabelGrowth = 2;

const char* const kOpenTabSound = "game_logic_audio:audio/sound/game_logic/hud_open_tab";
const char* const kButtonImages[4] = {
    "hud:images/game_logic/hud/button/button_normal", "hud:images/game_logic/hud/button/button_select",
    "hud:images/game_logic/hud/button/button_down", "hud:images/game_logic/hud/button/button_disable"};
const char* const kProgressImage = "hud:images/game_logic/hud/button/button_progress_bar";
const char* const kMoneyIcon = "hud:images/game_logic/hud/ico/ico_money";

void DrawIf(const std::unique_ptr<TMySprite>& sprite)
{
    if (sprite) sprite->Draw();
}

void DrawTexts(const std::vector<std::unique_ptr<HudText>>& texts)
{
    for (const auto& t : texts) t->Draw();
}

bool IsBuildTab(uint32_t tab)
{
    return tab >= 2 && tab <= 4;
}

}  // namespace

HUD::HUD(TGameLogic& owner) : owner_(owner)
{
}

HUD::~HUD()
{
    // The open tab's buttons, the tabs, their texts, the menu and help
    // buttons, the icons and indicators, the task list, the clock, the info
    // windows, then the rest.
    buttons_.clear();
    tabSprites_.clear();
    tabTexts_.clear();
    menuButton_.reset();
    helpButton_.reset();
    backdrops_.clear();
    indicators_.clear();
    taskTextGroups_.clear();
    taskIcons_.clear();
    clockFace_.reset();
    expertHand_.reset();
    hand_.reset();
    peas_.clear();
    clockText_.reset();
    buttonInfo_.reset();
    stallInfo_.reset();
    middleInfo_.reset();
    littleInfo_.reset();
    taskHint_.reset();
}

int32_t HUD::Now() const
{
    return owner_.GetMainClock().GetTime();
}

TMySprite* HUD::GetTabSprite(uint32_t tab) const
{
    return tab < tabSprites_.size() ? tabSprites_[tab].get() : nullptr;
}

int32_t HUD::GetCurrentTab() const
{
    return openTab_ == kNoTab ? -1 : static_cast<int32_t>(openTab_);
}

void HUD::PlaySound(const char* name)
{
    owner_.PlaySound(name, false);
}

// --- The frame ---

void HUD::Update()
{
    const bool stopped = !owner_.IsRunning() || owner_.IsPaused();
    // The draft blink and the shop prices in the button info window come
    // with the tab builders; the buttons' own pulse and particle run here.
    for (auto& b : buttons_) b->Update();
    if (menuButton_) menuButton_->Update();
    if (helpButton_) helpButton_->Update();
    StepDraftBlink();
    RefreshTabButtons();
    if (!stopped) StepClock();
    CompletePurchases();
    // Delayed shows of the little window, the middle window and the task hint.
    if (littleInfo_) littleInfo_->Step();
    if (middleInfo_) middleInfo_->Step();
    if (taskHint_) taskHint_->Step();
    if (buttonInfo_) buttonInfo_->Step();
    if (stallInfo_) stallInfo_->Step();
    StepProfitBar();
    StepPurchaseProgress();
    UpdateResourceTexts();
}

void HUD::StepPurchaseProgress()
{
    const int32_t now = Now();
    auto show = [&](const SPurchase& p) {
        if (p.item < 0) return;
        for (auto& b : buttons_)
        {
            if (b->GetId() != p.item) continue;
            const float f = p.duration > 0 ? static_cast<float>(now - p.start) / static_cast<float>(p.duration) : 1.0f;
            b->SetProgress(f);
        }
    };
    if (openTab_ == 0) show(manaPurchase_);
    if (openTab_ == 1) show(workerPurchase_);
    if (IsBuildTab(openTab_) && buildPurchase_.kind == static_cast<int32_t>(openTab_) - 2) show(buildPurchase_);
}

void HUD::Draw()
{
    DrawIf(panel_);
    DrawIf(strip_);
    for (int32_t i : {kGood, kFunCustomer, kFunCustomer2, kFunCustomerDop})
        if (static_cast<size_t>(i) < readOuts_.size()) readOuts_[static_cast<size_t>(i)]->Draw();
    for (size_t i = 1; i < backdrops_.size(); ++i) backdrops_[i]->Draw();
    DrawIf(plateLev_);
    DrawIf(platePrv_);
    DrawIf(profitBar_[1]);
    DrawIf(profitBar_[0]);
    if (!backdrops_.empty()) backdrops_[0]->Draw();
    if (clockRunning_)
    {
        DrawIf(clockFace_);
        for (auto& pea : peas_) pea->Draw();
        DrawIf(expertHand_);
        DrawIf(hand_);
    }
    for (int32_t i : {kMoney, kProfit, kMana, kWorker, kWorker2, kWorkerDop})
        if (static_cast<size_t>(i) < readOuts_.size()) readOuts_[static_cast<size_t>(i)]->Draw();
    if (showTimeText_ && readOuts_.size() > static_cast<size_t>(kTime)) readOuts_[kTime]->Draw();
    if (taskListOpen_)
    {
        for (const auto& group : taskTextGroups_) DrawTexts(group);
        for (auto& icon : taskIcons_) icon->Draw();
    }
    // The fixed texts of the panel and of the information tab.
    DrawTexts(defStaticTexts_);
    DrawTexts(tabStaticTexts_);
    for (auto& indicator : indicators_) indicator->Draw();
    if (tabSprites_.size() > kFirstPanelTab) tabSprites_[kFirstPanelTab]->Draw();
    for (size_t i = std::min<size_t>(kFirstPanelTab, tabSprites_.size()); i-- > 0;) tabSprites_[i]->Draw();
    if (TMySprite* open = GetTabSprite(openTab_)) open->Draw();
    for (size_t i = 0; i < tabTexts_.size() && i < 5; ++i) tabTexts_[i]->Draw();
    if (readOuts_.size() > static_cast<size_t>(kLevel)) readOuts_[kLevel]->Draw();
    if (blinkRunning_)
        for (size_t i = 5; i < tabTexts_.size() && i < 8; ++i) tabTexts_[i]->Draw();
    if (menuButton_) menuButton_->Draw();
    if (helpButton_) helpButton_->Draw();
    for (auto& b : buttons_) b->Draw();
    if (buttonInfo_) buttonInfo_->Draw();
    if (stallInfo_) stallInfo_->Draw();
    if (middleInfo_) middleInfo_->Draw();
    if (littleInfo_) littleInfo_->Draw();
    if (taskHint_) taskHint_->Draw();
}

// --- The mouse ---

void HUD::DropSelectedSlot(bool keepBoughtLand)
{
    if (keepBoughtLand)
    {
        const SSlot* slot = owner_.GetSlot(owner_.GetSelectedSlot());
        if (slot != nullptr && !slot->forSale && !slot->beingBought) return;
    }
    owner_.TakeSelectedSlot();
}

bool HUD::PressLittleInfoItem(int32_t x, int32_t y)
{
    if (!littleInfo_) return false;
    for (const HudLittleInfoWindow::SItem& item : littleInfo_->items)
    {
        if (item.openTab < 0 || !item.click.Contains(x, y)) continue;
        owner_.ClearSelectedStall();
        owner_.TakeSelectedSlot();
        PlaySound(kOpenTabSound);
        SelectTab(item.openTab, false);
        return true;
    }
    return false;
}

bool HUD::PressTabStrip(int32_t x, int32_t y)
{
    if (x < 0 || x >= kScreenWidth || y <= kStripAbove || y >= kStripBelow) return false;
    for (uint32_t i = 0; i < tabSprites_.size(); ++i)
    {
        if (!tabSprites_[i]->HitTest(x, y, kTabAlphaThreshold, TMySpritePattern::NeutralParent())) continue;
        owner_.ClearSelectedStall();
        DropSelectedSlot(IsBuildTab(i));
        PlaySound(kOpenTabSound);
        SelectTab(static_cast<int32_t>(i), false);
        return true;
    }
    return false;
}

bool HUD::OnMouseDown(int32_t x, int32_t y)
{
    if (menuButton_ && menuButton_->OnPress(x, y)) return true;
    if (helpButton_ && helpButton_->OnPress(x, y)) return true;
    ILevelHelper& helper = GetLevelHelper();
    if (helper.IsTutorialRunning() && !helper.AllowsClick(x, y)) return false;
    if (PressLittleInfoItem(x, y)) return true;
    if (PressTabStrip(x, y)) return true;
    for (size_t i = 0; i < buttons_.size(); ++i)
    {
        if (!buttons_[i]->OnPress(x, y)) continue;
        // A stall is about to be placed: a plot whose land is bought stops
        // being the selection.
        const SSlot* slot = owner_.GetSlot(owner_.GetSelectedSlot());
        if (IsBuildTab(openTab_) && slot != nullptr && !slot->forSale && !slot->beingBought) owner_.TakeSelectedSlot();
        return true;
    }
    return false;
}

bool HUD::OnMouseUp(int32_t x, int32_t y)
{
    if (menuButton_ && menuButton_->OnRelease(x, y)) return true;
    if (helpButton_ && helpButton_->OnRelease(x, y)) return true;
    // The tutorial's release filter comes with the helper.
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->OnRelease(x, y)) return true;
    return false;
}

bool HUD::OnMouseMove(int32_t x, int32_t y)
{
    bool hovered = false;
    for (size_t i = 0; i < buttons_.size(); ++i)
    {
        HudButton& b = *buttons_[i];
        if (!b.UpdateHover(x, y)) continue;
        hovered = true;
        if (!buttonInfo_) continue;
        if (buttonInfo_->IsShown() && buttonInfo_->shownId == b.GetId()) continue;
        // The window's texts are filled by the open tab; here it is placed
        // over the button and armed.
        int32_t w = 0;
        int32_t h = 0;
        b.GetSize(&w, &h);
        buttonInfo_->shownId = b.GetId();
        buttonInfo_->SetPosition(b.GetPosition().x + w / 2, b.GetPosition().y);
        buttonInfo_->StartShowDelay();
    }
    if (!hovered && buttonInfo_) buttonInfo_->Clear();
    return false;
}

void HUD::UpdateButtonHover(int32_t x, int32_t y)
{
    if (menuButton_) menuButton_->UpdateHover(x, y);
    if (helpButton_) helpButton_->UpdateHover(x, y);
}

// --- Tabs ---

void HUD::SelectTab(int32_t tab, bool force)
{
    const uint32_t k = static_cast<uint32_t>(tab);
    if (k >= kTabCount) return;
    if (!force && k == openTab_) return;
    const float x = static_cast<float>(layout_.tabX);
    const float y = static_cast<float>(layout_.tabY);
    if (TMySprite* open = GetTabSprite(openTab_))
    {
        open->MoveTo(x, y);
        if (openTab_ < kFirstPanelTab && openTab_ < tabTexts_.size())
        {
            HudText& label = *tabTexts_[openTab_];
            label.MoveY(layout_.tabRaise);
            label.SetFontSize(label.fontSize);
        }
    }
    if (openTab_ == 5 && k != 5) owner_.ClearSelectedStall();
    openTab_ = k;
    switch (k)
    {
        case 0:
            BuildShopTab(true);
            break;
        case 1:
            BuildShopTab(false);
            break;
        case 2:
        case 3:
        case 4:
            ClearDraftBlink(static_cast<int32_t>(k));
            buildKind_ = static_cast<int32_t>(k) - 2;
            draggedEntry_ = -1;
            DeleteButtons();
            break;
        default:
            DeleteButtons();
            break;
    }
    if (TMySprite* open = GetTabSprite(openTab_))
    {
        open->MoveTo(x, y - static_cast<float>(layout_.tabRaise));
        if (openTab_ < kFirstPanelTab && openTab_ < tabTexts_.size())
        {
            HudText& label = *tabTexts_[openTab_];
            label.MoveY(-int64_t{layout_.tabRaise});
            label.SetFontSize(label.fontSize + kLabelGrowth);
        }
    }
    if (buttonInfo_) buttonInfo_->shownId = -1;
    const TPoint mouse = owner_.GetLastMouse();
    OnMouseMove(mouse.x, mouse.y);
}

void HUD::DeleteButtons()
{
    buttons_.clear();
}

void HUD::MakeButtonRow(int32_t n)
{
    DeleteButtons();
    const int64_t w = layout_.buttonW;
    const int64_t gap = layout_.buttonGap;
    const int64_t left = kRowCentreX - (n * w + (n - 1) * gap) / 2;
    for (int32_t i = 0; i < n; ++i)
    {
        auto b = std::make_unique<HudButton>();
        b->SetId(i);
        b->SetStateImages({kButtonImages[0], kButtonImages[1], kButtonImages[2], kButtonImages[3]});
        b->SetProgressImage(kProgressImage);
        b->SetPosition(ClampToInt32(left + i * (w + gap)), layout_.buttonY);
        b->SetProgress(0.0f);
        b->SetSoundSink([this](const TString& name) { owner_.PlaySound(name, false); });
        b->SetHintSink([](int32_t hint) { GetLevelHelper().ShowHint(hint); });
        buttons_.push_back(std::move(b));
    }
}

void HUD::BuildShopTab(bool mana)
{
    const auto& offers = mana ? manaOffers_ : workerOffers_;
    MakeButtonRow(static_cast<int32_t>(offers.size()));
    const char* icon = mana ? "hud:images/game_logic/hud/ico/mana_%d" : "hud:images/game_logic/hud/ico/worker_%d";
    const char* iconOff =
        mana ? "hud:images/game_logic/hud/ico/mana_d_%d" : "hud:images/game_logic/hud/ico/worker_d_%d";
    for (size_t i = 0; i < offers.size(); ++i)
    {
        HudButton& b = *buttons_[i];
        const int32_t n = static_cast<int32_t>(i);
        const TString normal = FormatDataText(icon, {n});
        b.SetIconImages({normal, normal, normal, FormatDataText(iconOff, {n})});
        const int32_t cost = ShopCost(mana, n);
        b.SetCosts({{kMoneyIcon, FormatDataText("%d", {cost})}});
        if (mana)
            b.SetCallback([this, n] { OnManaButton(n); });
        else
            b.SetCallback([this, n] { OnWorkerButton(n); });
    }
}

// --- The info windows the level drives ---

void HUD::ShowStallInfo(int32_t stallId, int32_t x, int32_t y)
{
    // Filling the window's texts comes with the info windows' behaviour;
    // until then it only remembers the stall.
    (void)x, (void)y;
    if (stallInfo_) stallInfo_->stallId = stallId;
}

int32_t HUD::GetShownStallId() const
{
    return stallInfo_ ? stallInfo_->stallId : -1;
}

void HUD::ClearStallInfo()
{
    if (stallInfo_) stallInfo_->Clear();
}

bool HUD::IsMiddleInfoShownFor(int32_t kind, int32_t id) const
{
    return middleInfo_ && middleInfo_->IsShownFor(kind, id);
}

void HUD::ResetMiddleInfo()
{
    if (middleInfo_) middleInfo_->Reset();
}

std::unique_ptr<ILevelHud> MakeGameHud(TGameLogic& level)
{
    auto hud = std::make_unique<HUD>(level);
    hud->CreateSprites();
    return hud;
}
