// HUD: the in-level head-up display. The strip of tabs along the bottom of
// the level picture, the buttons of the open tab, the read-outs, the level
// clock, the profit bar and the info windows. One per level: the level logic
// makes it through the maker the game's wiring installs, drives it every
// frame (update, draw, mouse) through ILevelHud and deletes it with the level.
// Every position, size, colour and label comes from the layout script
// "scripts/game_logic/hud.lua" (HudLayout.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/hud/HudButton.h"
#include "game/hud/HudText.h"
#include "game/hud/HudWindows.h"
#include "game/level/LevelHud.h"

class TGameLogic;
class TLuaTable;
class TMyAnimSprite;
class TMySprite;
class TMySpritePattern;
class TTextGraphic;

class HUD : public ILevelHud
{
public:
    // The open tab when none is open.
    static constexpr uint32_t kNoTab = 0xFFFFFFFFu;
    static constexpr uint32_t kTabCount = 9;

    // The read-out texts, in the layout's order.
    enum ReadOut : int32_t
    {
        kMoney = 0,
        kProfit,
        kMana,
        kWorker,
        kWorker2,
        kWorkerDop,
        kGood,
        kFunCustomer,
        kFunCustomer2,
        kFunCustomerDop,
        kTask,
        kTask2,
        kLevel,
        kTime,
        kReadOutCount
    };

    // The 34 info-window labels, by index.
    static constexpr int32_t kLayoutTextCount = 34;

    struct SPurchase
    {
        int32_t kind = -1;  // the build-list kind (build purchases only)
        int32_t item = -1;  // -1 none
        int32_t start = 0;
        int32_t duration = 0;
    };

    // The layout numbers the HUD keeps.
    struct SLayout
    {
        // gTab
        int32_t tabX = 0;
        int32_t tabY = 0;
        int32_t tabRaise = 0;
        int32_t limitY = 0;
        TPoint menu;
        TPoint help;
        int32_t blinkInterval = 1000;
        float tabTextAcc = 1.5f;
        TPoint taskWindow{600, 0};
        TString paramFunCustomer;
        TString paramNeededGood;
        // gClock
        TFloatPoint clock;
        TFloatPoint handOffset;
        TFloatPoint peaOffset;
        TFloatPoint frameOffset;
        int32_t peaCount = 24;
        int32_t moveTime = 500;
        // gButton
        int32_t buttonY = 515;
        int32_t buttonW = 90;
        int32_t buttonGap = 10;
        int32_t textDispX = 5;
        int32_t textDispY = 5;
        TFloatVector4 mainColor{0.0f, 0.0f, 0.0f, 1.0f};
        // gDefInfo
        TPoint panel;
        TFloatPoint zlPlace;
        TFloatPoint zgPlace;
        int32_t zlLevel = 0;
        int32_t zgLevel = 0;
        int32_t funCustomerX = 0;
        // gTabInfo
        TString dopPattern;
        TPoint progressBarBack;
        TPoint progressBarLine;
    };

    explicit HUD(TGameLogic& owner);
    ~HUD() override;
    HUD(const HUD&) = delete;
    HUD& operator=(const HUD&) = delete;

    // Reads the layout and builds every sprite, text and button; leaves the
    // mana shop open.
    void CreateSprites();
    void LoadLayout();
    void CreateClockSprites();

    // --- ILevelHud ---
    void Update() override;
    void Draw() override;
    bool OnMouseDown(int32_t x, int32_t y) override;
    // Always false: the level keeps its own hover handling.
    bool OnMouseMove(int32_t x, int32_t y) override;
    bool OnMouseUp(int32_t x, int32_t y) override;
    void UpdateButtonHover(int32_t x, int32_t y) override;
    // A tab of 9 or more (or negative) is unknown and does nothing.
    void SelectTab(int32_t tab, bool force) override;
    int32_t GetCurrentTab() const override;
    void ShowStallInfo(int32_t stallId, int32_t x, int32_t y) override;
    int32_t GetShownStallId() const override;
    void ClearStallInfo() override;
    bool IsMiddleInfoShownFor(int32_t kind, int32_t id) const override;
    void ResetMiddleInfo() override;
    void StartClock(int32_t minutes, int32_t seconds) override;
    void SetExpertTime(int32_t minutes, int32_t seconds) override;
    void UpdateClock() override;
    void SetProfitBarComplete(bool complete) override;
    int32_t GetTimeGrade() const override;
    float GetTimeLeftFraction() const override { return fractionLeft_; }
    void OnIntroClosed() override { started_ = true; }

    // --- Read-outs, purchases and the shop buttons ---
    // Refreshes the read-outs: a text is rebuilt only when its value changed;
    // mana and workers every call.
    void UpdateResourceTexts();
    // Gives the text room for the icon as leading spaces, shows it and places
    // the icon in that room.
    void PlaceTextIcon(TMySpritePattern& icon, HudText& text, const TString& shown);
    // The coverage row (icon, left, separator, total) round the layout's row x.
    void LayoutCoverageRow(TMySpritePattern* icon, HudText& left, HudText& dop, HudText& total);
    // Starts a purchase: kind 0 mana shop item, 1 worker shop item, 2 the
    // entry of build list listKind (whose money the caller takes).
    void Pay(int32_t kind, int32_t item, int32_t listKind = -1);
    // The shop buttons' callbacks: nothing while a purchase of the shop runs
    // or the money is below the cost.
    void OnManaButton(int32_t item);
    void OnWorkerButton(int32_t item);
    // The shop price of an item after the discount of its stalls, never below
    // 0; 0 for an item the shop does not have.
    int32_t ShopCost(bool mana, int32_t item);
    // Prices, affordability, enabling and hints of the open tab's buttons.
    void RefreshTabButtons();
    // Ends the purchases whose time has passed.
    void CompletePurchases();
    // The draft blink: the labels of build tabs whose kind has a new draft
    // swap with their alternative labels every blink interval until opened.
    void InitDraftCounters() override;
    void StepDraftBlink();
    // Opening build tab 2 to 4 clears its kind's new-draft flag.
    void ClearDraftBlink(int32_t tab);
    bool IsDraftBlinkRunning() const { return blinkRunning_; }
    bool IsNewDraft(int32_t kind) const
    {
        return kind >= 0 && static_cast<size_t>(kind) < newDrafts_.size() && newDrafts_[static_cast<size_t>(kind)] != 0;
    }
    // 0 mana, 1 workers, 2 build list.
    const SPurchase& GetPurchase(int32_t kind) const
    {
        return kind == 0 ? manaPurchase_ : kind == 1 ? workerPurchase_ : buildPurchase_;
    }

    // One frame of the clock (from Update unless the level is stopped).
    void StepClock();
    // The profit bar's fill (from Update).
    void StepProfitBar();

    // --- What the other HUD parts and tests read ---
    TGameLogic& GetOwner() const { return owner_; }
    uint32_t GetOpenTab() const { return openTab_; }
    const SLayout& GetLayout() const { return layout_; }
    HudText& GetReadOut(int32_t which) { return *readOuts_[static_cast<size_t>(which)]; }
    const std::vector<std::unique_ptr<HudText>>& GetTabTexts() const { return tabTexts_; }
    const std::vector<std::unique_ptr<HudText>>& GetDefStaticTexts() const { return defStaticTexts_; }
    const std::vector<std::unique_ptr<HudText>>& GetTabStaticTexts() const { return tabStaticTexts_; }
    const std::vector<std::vector<std::unique_ptr<HudText>>>& GetTaskTextGroups() const { return taskTextGroups_; }
    const std::vector<TString>& GetLayoutTexts() const { return layoutTexts_; }
    const std::vector<TString>& GetTaskPrefixTexts() const { return taskPrefixes_; }
    const std::vector<TString>& GetIconNames() const { return iconNames_; }
    const std::vector<TPoint>& GetIconPoints() const { return iconPoints_; }
    const std::vector<TString>& GetTaskIconNames() const { return taskIconNames_; }
    const std::vector<TPoint>& GetTaskIconPoints() const { return taskIconPoints_; }
    const std::vector<TString>& GetTaskPatterns(int32_t which) const { return taskPatterns_[which != 0 ? 1 : 0]; }
    const std::vector<TString>& GetMonsterNames() const { return monsterNames_; }
    const std::vector<int32_t>& GetMonsterCounters() const { return monsterCounters_; }
    const std::vector<std::pair<int32_t, int32_t>>& GetManaOffers() const { return manaOffers_; }
    const std::vector<std::pair<int32_t, int32_t>>& GetWorkerOffers() const { return workerOffers_; }
    HudButton& GetMenuButton() const { return *menuButton_; }
    HudButton& GetHelpButton() const { return *helpButton_; }
    const std::vector<std::unique_ptr<HudButton>>& GetButtons() const { return buttons_; }
    HudInfoWindow& GetButtonInfo() const { return *buttonInfo_; }
    HudInfoWindow& GetStallInfo() const { return *stallInfo_; }
    HudMiddleInfoWindow& GetMiddleInfo() const { return *middleInfo_; }
    HudLittleInfoWindow& GetLittleInfo() const { return *littleInfo_; }
    HudTaskHint& GetTaskHint() const { return *taskHint_; }
    LuckyBar& GetLuckyBar() const { return *luckyBar_; }
    TMySprite* GetTabSprite(uint32_t tab) const;
    TMySprite& GetPlate(int32_t which) const { return which == 0 ? *plateLev_ : *platePrv_; }
    TMySprite& GetTimeBar(int32_t layer) const { return *timeBar_[layer]; }
    TMySprite& GetProfitBar(int32_t layer) const { return *profitBar_[layer]; }
    TMySprite* GetPanel() const { return panel_.get(); }
    TMySprite* GetClockFace() const { return clockFace_.get(); }
    TMySprite* GetHand() const { return hand_.get(); }
    TMySprite* GetExpertHand() const { return expertHand_.get(); }
    const std::vector<std::unique_ptr<TMySprite>>& GetPeas() const { return peas_; }
    const std::vector<std::unique_ptr<TMySprite>>& GetBackdrops() const { return backdrops_; }
    const std::vector<std::unique_ptr<TMyAnimSprite>>& GetIndicators() const { return indicators_; }
    const std::vector<std::unique_ptr<TMySprite>>& GetTaskIcons() const { return taskIcons_; }
    TTextGraphic* GetClockText() const { return clockText_.get(); }
    bool IsClockRunning() const { return clockRunning_; }
    bool IsSlidingOut() const { return slideOut_; }
    int32_t GetTimeLimit() const { return timeLimit_; }
    int32_t GetTimeLeft() const { return timeLeft_; }
    int32_t GetExpertTime() const { return expertTime_; }
    float GetElapsedFraction() const { return elapsed_; }
    bool IsStarted() const { return started_; }
    // The pea step angle: pi / (count / 2); 0 below two peas.
    float PeaStep() const;

private:
    void DeleteButtons();
    // n buttons in a row centred on x = 400, with ids 0 to n - 1.
    void MakeButtonRow(int32_t n);
    void BuildShopTab(bool mana);
    // The little window's items that open a tab; true when one took the click.
    bool PressLittleInfoItem(int32_t x, int32_t y);
    bool PressTabStrip(int32_t x, int32_t y);
    // Clears the selected slot unless its land is bought and the open tab
    // is a build list (keep).
    void DropSelectedSlot(bool keepBoughtLand);
    void PlaySound(const char* name);
    void StepPurchaseProgress();
    void RefreshShopTab(bool mana);
    // Shows the value through the text's own format unless it is the value
    // last shown; true when it was rebuilt.
    bool Changed(HudText& text, int32_t value);
    void StepIncomeIndicator();
    // Shows a build tab's label (or, alternative, its second label).
    void ShowDraftLabel(int32_t kind, bool alternative);
    // The width of a space in the text's font and size.
    int32_t SpaceWidth(const HudText& text) const;
    int32_t Now() const;
    void FadePeas(float angle);

    // Layout reading (HudLayout.cpp).
    void ReadTab(const TLuaTable* t);
    void ReadClock(const TLuaTable* t);
    void ReadButton(const TLuaTable* t);
    void ReadInfoWindow(const TLuaTable* t);
    void ReadMiddleInfoWindow(const TLuaTable* t);
    void ReadLittleInfoWindow(const TLuaTable* t);
    void ReadTaskInfoWindow(const TLuaTable* t);
    void ReadLuckyBar(const TLuaTable* t);
    void ReadDefInfo(const TLuaTable* t);
    void ReadTabInfo(const TLuaTable* t);
    void ReadShop(const TLuaTable* t, std::vector<std::pair<int32_t, int32_t>>& offers);

    TGameLogic& owner_;
    uint32_t openTab_ = 0;
    std::vector<std::unique_ptr<TMySprite>> tabSprites_;
    uint32_t tabCount_ = 0;
    SLayout layout_;
    std::unique_ptr<TMySprite> strip_;
    std::unique_ptr<HudButton> menuButton_;
    std::unique_ptr<HudButton> helpButton_;
    std::vector<std::unique_ptr<HudText>> tabTexts_;
    std::unique_ptr<TMySprite> panel_;
    std::unique_ptr<TMySprite> plateLev_;
    std::unique_ptr<TMySprite> platePrv_;
    std::vector<std::unique_ptr<HudText>> readOuts_;
    std::vector<TString> iconNames_;
    std::vector<TPoint> iconPoints_;
    std::vector<std::unique_ptr<TMySprite>> backdrops_;
    std::vector<std::unique_ptr<TMyAnimSprite>> indicators_;
    std::vector<std::unique_ptr<HudText>> defStaticTexts_;
    std::vector<std::unique_ptr<HudText>> tabStaticTexts_;
    // The task list.
    bool taskListOpen_ = false;
    std::vector<std::vector<std::unique_ptr<HudText>>> taskTextGroups_;
    std::vector<TString> taskIconNames_;
    std::vector<TPoint> taskIconPoints_;
    std::vector<std::unique_ptr<TMySprite>> taskIcons_;
    std::vector<TString> taskPatterns_[2];
    std::vector<TString> monsterNames_;
    std::vector<int32_t> monsterCounters_;
    std::vector<TString> taskPrefixes_;
    int32_t buildKind_ = -1;
    int32_t draggedEntry_ = -1;
    std::vector<std::pair<int32_t, int32_t>> manaOffers_;
    std::vector<std::pair<int32_t, int32_t>> workerOffers_;
    int32_t buyChoice_ = -1;
    SPurchase manaPurchase_;
    SPurchase workerPurchase_;
    SPurchase buildPurchase_;
    // The time bar: layer 2 (back), layer 3 (expert indicator), layer 1 (fill).
    std::unique_ptr<TMySprite> timeBar_[3];
    // The profit bar: layer 2, layer 1 (fill).
    std::unique_ptr<TMySprite> profitBar_[2];
    std::vector<std::unique_ptr<HudButton>> buttons_;
    // The clock.
    int32_t timeLimit_ = 0;
    int32_t timeLeft_ = 0;
    int32_t expertTime_ = 0;
    float fractionLeft_ = 1.0f;
    float elapsed_ = 0.0f;
    std::unique_ptr<TTextGraphic> clockText_;
    std::unique_ptr<HudInfoWindow> buttonInfo_;
    std::unique_ptr<HudInfoWindow> stallInfo_;
    std::unique_ptr<HudMiddleInfoWindow> middleInfo_;
    std::unique_ptr<HudLittleInfoWindow> littleInfo_;
    std::unique_ptr<HudTaskHint> taskHint_;
    std::unique_ptr<LuckyBar> luckyBar_;
    std::vector<TString> layoutTexts_;
    std::unique_ptr<TMySprite> clockFace_;
    std::unique_ptr<TMySprite> expertHand_;
    std::unique_ptr<TMySprite> hand_;
    std::vector<std::unique_ptr<TMySprite>> peas_;
    bool clockRunning_ = false;
    bool slideOut_ = false;
    int32_t slideStart_ = 0;
    // The draft blink.
    bool blinkRunning_ = false;
    int32_t blinkLast_ = 0;
    bool blinkPhase_ = false;
    std::vector<int32_t> newDrafts_;
    // The level intro closed.
    bool started_ = false;
    // The time read-out is kept current but drawn only under this flag,
    // which nothing sets.
    bool showTimeText_ = false;
};

// The game's HUD maker: a HUD for the level, built.
std::unique_ptr<ILevelHud> MakeGameHud(TGameLogic& level);
