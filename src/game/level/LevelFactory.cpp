// The game's level factory.
#include "game/level/LevelFactory.h"

#include "core/Log.h"
#include "game/level/AttrStall.h"
#include "game/level/BonusStall.h"
#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/LevelRecords.h"
#include "game/level/LightningManager.h"
#include "game/level/ManaDrop.h"
#include "game/level/Monster.h"
#include "game/level/TradeStall.h"
#include "game/level/WorkerMagicEffect.h"

std::unique_ptr<TLevelStall> TLevelFactory::MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc)
{
    // The record must be of the kind asked for: the stall reads its tail.
    if (desc.kind != kind)
    {
        LogPrintf("ERROR: a stall of kind %d was asked for with a description of kind %d; none is made", kind,
                  desc.kind);
        return nullptr;
    }
    switch (kind)
    {
    case kStallAttraction: return std::make_unique<AttrStall>(level, static_cast<const SAttrStallDesc&>(desc));
    case kStallTrade: return std::make_unique<TradeStall>(level, static_cast<const STradeStallDesc&>(desc));
    case kStallBonus: return std::make_unique<BonusStall>(level, static_cast<const SBonusStallDesc&>(desc));
    default: return nullptr;
    }
}

std::unique_ptr<TLevelWalker> TLevelFactory::MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                                        int32_t targetStallId)
{
    switch (kind)
    {
    case kWalkerCustomer: return std::make_unique<Customer>(level, type);
    case kWalkerCourier: return std::make_unique<Courier>(level, type, targetStallId);
    case kWalkerMonster: return std::make_unique<Monster>(level, type);
    default: return nullptr;
    }
}

std::unique_ptr<TLevelManaDrop> TLevelFactory::MakeManaDrop(ILevelContext& level)
{
    return std::make_unique<ManaDrop>(level);
}

std::unique_ptr<TLevelLightning> TLevelFactory::MakeLightning(ILevelContext& level)
{
    return std::make_unique<LightningManager>(level);
}

std::unique_ptr<TLevelWorkerFigure> TLevelFactory::MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                                    int32_t workers, TClock& clock)
{
    return std::make_unique<WorkerMagicEffect>(level, x, y, workers, clock);
}
