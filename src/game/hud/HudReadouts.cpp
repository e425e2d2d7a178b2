// The read-outs of the HUD panel: money, income, mana, workers, goods sold
// and coverage, each rebuilt only when what it shows changed (mana and
// workers every frame), with their icons placed inside the text.
#include <algorithm>

#include "game/app/MyAnimSprite.h"
#include "game/app/MySprite.h"
#include "game/app/TextFormat.h"
#include "game/hud/Hud.h"
#include "core/Saturate.h"
#include "game/level/Economic.h"
#include "game/level/GameLogic.h"
#include "game/level/ObjectZ.h"
#include "graphics/TextGraphic.h"

namespace
{

// The probe that measures a space: its box and alignment flags.
constexpr int32_t kProbeSize = 20;
constexpr int32_t kProbeFlags = 5;

void PlaceAt(TMySpritePattern& sprite, int64_t x, int64_t y)
{
    sprite.SetPosition(static_cast<float>(ClampToInt32(x)), static_cast<float>(ClampToInt32(y)));
    sprite.UpdateTransform();
}

int32_t Width(TMySpritePattern& sprite)
{
    int32_t w = 0;
    int32_t h = 0;
    sprite.GetSize(&w, &h);
    return w;
}

}  // namespace

bool HUD::Changed(HudText& text, int32_t value)
{
    if (text.value == value) return false;
    text.value = value;
    return true;
}

int32_t HUD::SpaceWidth(const HudText& text) const
{
    auto probe = TTextGraphic::Create(" ", kProbeSize, kProbeSize, kProbeFlags, text.font, text.fontSize, text.color);
    const TRect b = probe->GetTextBounds(1.0f);
    return b.right - b.left;
}

void HUD::PlaceTextIcon(TMySpritePattern& icon, HudText& text, const TString& shown)
{
    const int32_t space = SpaceWidth(text);
    const int32_t iconW = Width(icon);
    // A font without a measurable space gives the icon no room.
    const int32_t n = space > 0 ? std::max(0, iconW / space) : 0;
    TString padded;
    for (int32_t i = 0; i < n; ++i) padded += " ";
    padded += shown;
    text.SetText(padded);
    const int64_t x = int64_t{space} * n + text.rect.left + text.bounds.left - iconW / 2 + 1;
    const int64_t y = int64_t{text.rect.top} + (int64_t{text.rect.bottom} - text.rect.top) / 2;
    PlaceAt(icon, x, y);
}

void HUD::LayoutCoverageRow(TMySpritePattern* icon, HudText& left, HudText& dop, HudText& total)
{
    const int64_t iconW = icon != nullptr ? Width(*icon) : 0;
    const int64_t leftW = left.MeasuredWidth();
    const int64_t dopW = dop.MeasuredWidth();
    const int64_t totalW = total.MeasuredWidth();
    const int64_t w = iconW + leftW + dopW + totalW - 3;
    const int64_t dopCentre = int64_t{layout_.funCustomerX} - w / 2 + iconW + leftW + dopW / 2;
    // The texts' measured left edges sit at these x.
    const int64_t dopLeft = dopCentre - dopW / 2;
    dop.MoveLeftTo(dopLeft - dop.bounds.left);
    left.MoveLeftTo(dopLeft - leftW - left.bounds.left);
    total.MoveLeftTo(dopLeft + dopW - 3 - total.bounds.left);
    if (icon == nullptr) return;
    const int64_t leftEdge = dopLeft - leftW;
    const int64_t y = int64_t{left.rect.top} + (int64_t{left.rect.bottom} - left.rect.top) / 2;
    PlaceAt(*icon, leftEdge - iconW / 2, y);
}

void HUD::StepIncomeIndicator()
{
    Economic& eco = owner_.GetEconomic();
    HudText& text = *readOuts_[kProfit];
    TMySpritePattern* indicator = indicators_.empty() ? nullptr : indicators_[0].get();
    bool show = false;
    if (eco.GetIncome() < eco.GetIncomeTarget())
    {
        // Below target: the indicator tells the player something can be
        // done, unless every earning stall is still being built.
        for (int32_t key : eco.GetIncomeSourceKeys())
        {
            TLevelStall* stall = owner_.FindStall(key);
            if (stall != nullptr && stall->state != kStateBuilding)
            {
                show = true;
                break;
            }
        }
    }
    text.UseColour(show);
    if (indicator == nullptr) return;
    if (show && !indicator->visible) indicator->visible = true;
    if (!show) indicator->visible = false;
    if (show) PlaceTextIcon(*indicator, text, FormatThousands(eco.GetIncome(), text.text));
}

void HUD::UpdateResourceTexts()
{
    if (readOuts_.size() < static_cast<size_t>(kReadOutCount)) return;
    Economic& eco = owner_.GetEconomic();
    auto out = [&](int32_t which) -> HudText& { return *readOuts_[static_cast<size_t>(which)]; };

    HudText& money = out(kMoney);
    if (Changed(money, eco.GetMoney()))
    {
        const TString shown = FormatThousands(eco.GetMoney(), money.text);
        if (!backdrops_.empty())
            PlaceTextIcon(*backdrops_[0], money, shown);
        else
            money.SetText(shown);
    }

    HudText& profit = out(kProfit);
    if (Changed(profit, ClampToInt32(int64_t{eco.GetIncomeTarget()} + eco.GetIncome())))
    {
        profit.SetText(FormatThousands(eco.GetIncome(), profit.text));
        StepIncomeIndicator();
    }

    HudText& mana = out(kMana);
    mana.value = eco.GetMana();
    mana.SetText(FormatThousands(eco.GetMana(), mana.text));

    HudText& freeWorkers = out(kWorker);
    HudText& allWorkers = out(kWorker2);
    HudText& workerDop = out(kWorkerDop);
    freeWorkers.value = eco.GetFreeWorkers();
    freeWorkers.SetText(FormatDataText(freeWorkers.text, {eco.GetFreeWorkers()}));
    allWorkers.value = eco.GetWorkers();
    allWorkers.SetText(FormatDataText(allWorkers.text, {eco.GetWorkers()}));
    workerDop.MoveLeftTo(int64_t{freeWorkers.rect.left} + freeWorkers.MeasuredWidth() - 1);
    allWorkers.MoveLeftTo(int64_t{workerDop.rect.left} + workerDop.MeasuredWidth() - 2);

    HudText& good = out(kGood);
    if (Changed(good, owner_.GetGoodsSold()))
    {
        const TString shown = FormatThousands(owner_.GetGoodsSold(), good.text);
        if (backdrops_.size() > 1)
            PlaceTextIcon(*backdrops_[1], good, shown);
        else
            good.SetText(shown);
    }

    HudText& left = out(kFunCustomer);
    HudText& total = out(kFunCustomer2);
    HudText& dop = out(kFunCustomerDop);
    const int32_t coverage = eco.GetCoverage();
    const int64_t free = int64_t{coverage} - eco.GetCoverageUsed();
    if (Changed(left, ClampToInt32(2 * int64_t{coverage} - eco.GetCoverageUsed())))
    {
        left.SetText(free <= 0 ? TString("0") : FormatDataText(total.text, {ClampToInt32(free)}));
        total.SetText(FormatDataText(total.text, {coverage}));
        LayoutCoverageRow(backdrops_.size() > 2 ? backdrops_[2].get() : nullptr, left, dop, total);
    }
}
