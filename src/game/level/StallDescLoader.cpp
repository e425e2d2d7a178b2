// TGameLogic: the stall descriptions of a level, read from their files in
// the order trade, bonus, attraction, and their final offering order.
#include <algorithm>

#include "game/level/GameLogic.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"

namespace
{

using namespace levelscript;

const char* const kDescFiles[3] = {"scripts/game_logic/attr/attr_%d.lua", "scripts/game_logic/stall/stall_%d.lua",
                                   "scripts/game_logic/bonus/bonus_%d.lua"};

int32_t PositionIn(const std::vector<int32_t>& order, int32_t id)
{
    const auto it = std::find(order.begin(), order.end(), id);
    return it == order.end() ? -1 : static_cast<int32_t>(it - order.begin());
}

// The per-level lists of one description file.
class TDescReader
{
public:
    TDescReader(TLevelScript& script, SStallDesc& desc) : script_(script), desc_(desc) {}

    void Read()
    {
        const int32_t kind = desc_.kind;
        if (auto main = script_.Table("Main")) ReadMain(*main);
        if (auto sprite = script_.Table("Sprite")) ReadSprite(*sprite);
        if (auto time = script_.Table("Time")) ReadTime(*time);

        money_ = script_.Table("Money");
        if (money_)
            if (auto build = script_.Array(*money_, "build", "Money"))
                desc_.levelCount = Count(*build, "Money.build");
        desc_.money.build = List(money_.get(), "Money", "build");
        if (kind == kStallTrade) static_cast<STradeStallDesc&>(desc_).profit = List(money_.get(), "Money", "profit");
        if (kind == kStallAttraction)
            static_cast<SAttrStallDesc&>(desc_).profit = List(money_.get(), "Money", "profit");
        desc_.money.repair = List(money_.get(), "Money", "repair");
        desc_.money.sell = List(money_.get(), "Money", "sell");
        desc_.money.pay = List(money_.get(), "Money", "pay");
        ReadAmounts("Mana", desc_.mana);
        ReadAmounts("Worker", desc_.workers);

        if (kind == kStallTrade)
        {
            auto& trade = static_cast<STradeStallDesc&>(desc_);
            const std::unique_ptr<TLuaTable> good = script_.Table("Good");
            trade.goodStore = List(good.get(), "Good", "store");
            trade.goodSub = List(good.get(), "Good", "sub");
            trade.goodLimit = List(good.get(), "Good", "limit");
            trade.goodCost = List(good.get(), "Good", "cost");
        }
        else if (kind == kStallBonus)
        {
            // Both optional.
            if (auto lucky = script_.Table("Lucky", false)) desc_.lucky = List(lucky.get(), "Lucky", "build");
            if (auto good = script_.Table("Good", false)) desc_.good = List(good.get(), "Good", "build");
            if (auto bonus = script_.Table("Bonus")) ReadBonus(*bonus);
        }
        else
        {
            auto& attr = static_cast<SAttrStallDesc&>(desc_);
            const std::unique_ptr<TLuaTable> fun = script_.Table("FunCustomer");
            attr.customerCount = List(fun.get(), "FunCustomer", "cnt");
        }
    }

private:
    void ReadMain(const TLuaTable& main)
    {
        desc_.id = Int(main, "id");
        if (desc_.kind == kStallTrade) static_cast<STradeStallDesc&>(desc_).tradeType = Int(main, "trade_type");
        desc_.rightSide = Flag(main, "is_right_side");
        desc_.name = Label(main, "name");
        if (desc_.kind != kStallAttraction)
        {
            desc_.draft = Flag(main, "is_draft");
            desc_.draftAccess = Flag(main, "is_draft_access");
        }
        desc_.draftCost = Int(main, "draft_cost");
    }

    void ReadSprite(const TLuaTable& sprite)
    {
        desc_.clickMask = Text(sprite, "click_mask");
        desc_.icon = Text(sprite, "ico");
        desc_.iconDisabled = Text(sprite, "ico_d");
        desc_.breakImage = Text(sprite, "break_image");
        desc_.sellImage = Text(sprite, "sell_image");
        if (auto ground = script_.Array(sprite, "ground", "Sprite"))
            for (const TLuaRow& row : TLuaRows(*ground, "Sprite.ground"))
                if (row.table)
                    desc_.ground.push_back({TextAt(*row.table, 1), {IntAt(*row.table, 2), IntAt(*row.table, 3)}});
        ReadLayers(sprite, "image", desc_.images);
        ReadLayers(sprite, "anim", desc_.anims);
        if (auto particles = script_.Array(sprite, "particle", "Sprite"))
            for (const TLuaRow& row : TLuaRows(*particles, "Sprite.particle"))
            {
                if (!row.table) continue;
                const TLuaTable& p = *row.table;
                desc_.particles.push_back({TextAt(p, 1), TextAt(p, 2), IntAt(p, 3), {IntAt(p, 4), IntAt(p, 5)},
                                           IntAt(p, 6), {IntAt(p, 7), IntAt(p, 8)}});
            }
    }

    void ReadLayers(const TLuaTable& sprite, const char* key, std::vector<SStallDesc::SLayer>& out)
    {
        auto list = script_.Array(sprite, key, "Sprite");
        if (!list) return;
        for (const TLuaRow& row : TLuaRows(*list, key))
            if (row.table)
                out.push_back({TextAt(*row.table, 1), IntAt(*row.table, 2), {IntAt(*row.table, 3), IntAt(*row.table, 4)}});
    }

    void ReadTime(const TLuaTable& time)
    {
        SStallDesc::STimes& t = desc_.time;
        t.build = Int(time, "build");
        t.upgrade = Int(time, "upgrade");
        t.repair = Int(time, "repair");
        t.crash = Int(time, "crash");
        t.pay = Int(time, "pay");
        t.preBuy = Int(time, "pre_buy");
        t.buy = Int(time, "buy");
    }

    void ReadAmounts(const char* name, SStallDesc::SAmounts& out)
    {
        const std::unique_ptr<TLuaTable> table = script_.Table(name);
        out.build = List(table.get(), name, "build");
        out.repair = List(table.get(), name, "repair");
        out.sell = List(table.get(), name, "sell");
    }

    void ReadBonus(const TLuaTable& bonus)
    {
        auto& desc = static_cast<SBonusStallDesc&>(desc_);
        desc.local = Flag(bonus, "local");
        desc.bonusType = Int(bonus, "type");
        desc.bonusPattern = Text(bonus, "bonus_pattern");
        desc.bonus = List(&bonus, "Bonus", "bonus");
        const std::unique_ptr<TLuaTable> names = script_.Array(bonus, "bonus_name", "Bonus");
        for (int i = 1; i <= desc.levelCount; ++i)
        {
            const TString text = names ? LookUpLabel(TextAt(*names, i)) : TString();
            const int colon = text.FindChar(':');
            desc.bonusName.push_back(colon < 0 ? text : text.Substring(0, colon));
            desc.bonusValueName.push_back(colon < 0 ? text : text.Substring(colon + 1));
        }
    }

    // Exactly levelCount values; a list missing while levels are counted is
    // logged (a missing table was logged already).
    std::vector<int32_t> List(const TLuaTable* table, const char* tableName, const char* key)
    {
        std::unique_ptr<TLuaTable> list;
        if (table != nullptr)
        {
            list = table->GetTable(key);
            if (!list && desc_.levelCount > 0)
                script_.Log(TString::Format("no list %s.%s; read as zeros", tableName, key));
        }
        return PerLevel(list.get(), desc_.levelCount);
    }

    TLevelScript& script_;
    SStallDesc& desc_;
    std::unique_ptr<TLuaTable> money_;
};

std::unique_ptr<SStallDesc> MakeDescription(int32_t kind)
{
    switch (kind)
    {
        case kStallTrade:
            return std::make_unique<STradeStallDesc>();
        case kStallBonus:
            return std::make_unique<SBonusStallDesc>();
        default:
            return std::make_unique<SAttrStallDesc>();
    }
}

}  // namespace

const std::vector<int32_t>& TGameLogic::GetStallUse(int32_t kind) const
{
    static const std::vector<int32_t> none;
    return kind >= 0 && kind <= 2 ? stallUse_[static_cast<size_t>(kind)] : none;
}

void TGameLogic::LoadDescriptions()
{
    for (const int32_t kind : {kStallTrade, kStallBonus, kStallAttraction})
    {
        const std::vector<int32_t>& use = stallUse_[static_cast<size_t>(kind)];
        for (size_t n = 0; n < use.size(); ++n)
        {
            std::unique_ptr<SStallDesc> desc = MakeDescription(kind);
            desc->id = static_cast<int32_t>(n);
            if (use[n] != 0)
            {
                TLevelScript script(TString::Format(kDescFiles[kind], static_cast<int>(n)));
                TDescReader(script, *desc).Read();
            }
            AddDescription(std::move(desc));
        }
    }
}

void TGameLogic::ResolveDescriptionIds()
{
    const std::vector<int32_t>* orders[3] = {&info_.attrOrder, &info_.tradeOrder, &info_.bonusOrder};
    for (const int32_t kind : {kStallAttraction, kStallTrade, kStallBonus})
    {
        auto& list = descriptions_[kind];
        for (auto& desc : list) desc->id = PositionIn(*orders[kind], desc->id);
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a->id < b->id; });
    }
    // The conditions that name a stall by its id (kind 11 as the others).
    GetHud().VisitTaskConditions([&orders](int32_t kind, int32_t stallKind, int32_t& stallId) {
        const bool namesStall = (kind >= 5 && kind <= 8) || kind == 10 || kind == 11;
        if (namesStall && stallKind >= 0 && stallKind <= 2) stallId = PositionIn(*orders[stallKind], stallId);
    });
}
