// The game's level factory. Kinds whose classes are not built yet come back
// null; the level skips them.
#include "game/level/LevelFactory.h"

#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/LightningManager.h"
#include "game/level/ManaDrop.h"
#include "game/level/Monster.h"
#include "game/level/WorkerMagicEffect.h"

std::unique_ptr<TLevelStall> TLevelFactory::MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc)
{
    (void)level, (void)kind, (void)desc;
    return nullptr;
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
