// The game's level factory. Kinds whose classes are not built yet come back
// null; the level skips them.
#include "game/level/LevelFactory.h"

std::unique_ptr<TLevelStall> TLevelFactory::MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc)
{
    (void)level, (void)kind, (void)desc;
    return nullptr;
}

std::unique_ptr<TLevelWalker> TLevelFactory::MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                                        int32_t targetStallId)
{
    (void)level, (void)kind, (void)type, (void)targetStallId;
    return nullptr;
}

std::unique_ptr<TLevelManaDrop> TLevelFactory::MakeManaDrop(ILevelContext& level)
{
    (void)level;
    return nullptr;
}

std::unique_ptr<TLevelLightning> TLevelFactory::MakeLightning(ILevelContext& level)
{
    (void)level;
    return nullptr;
}

std::unique_ptr<TLevelWorkerFigure> TLevelFactory::MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                                    int32_t workers, TClock& clock)
{
    (void)level, (void)x, (void)y, (void)workers, (void)clock;
    return nullptr;
}
