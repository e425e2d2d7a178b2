#include "game/level/support/LevelFakes.h"

std::unique_ptr<TLevelStall> FakeFactory::MakeStall(ILevelContext& level, int32_t kind, const SStallDesc& desc)
{
    (void)level;
    auto stall = std::make_unique<FakeStall>(-1, kind);
    stall->state = kStateIdle;
    stall->rightSide = desc.rightSide;
    stall->deaths = &stallDeaths;
    if (kind == kStallTrade) stall->goods = stall->goodsLimit = tradeStock;
    stalls.push_back(stall.get());
    return stall;
}

std::unique_ptr<TLevelWalker> FakeFactory::MakeWalker(ILevelContext& level, int32_t kind, int32_t type,
                                                      int32_t targetStallId)
{
    (void)level;
    auto walker = std::make_unique<FakeWalker>(kind, type, targetStallId);
    walkers.push_back(walker.get());
    return walker;
}

std::unique_ptr<TLevelManaDrop> FakeFactory::MakeManaDrop(ILevelContext& level)
{
    (void)level;
    auto drop = std::make_unique<FakeManaDrop>();
    drops.push_back(drop.get());
    return drop;
}

std::unique_ptr<TLevelLightning> FakeFactory::MakeLightning(ILevelContext& level)
{
    (void)level;
    auto made = std::make_unique<FakeLightning>();
    lightning = made.get();
    return made;
}

std::unique_ptr<TLevelWorkerFigure> FakeFactory::MakeWorkerFigure(ILevelContext& level, int32_t x, int32_t y,
                                                                   int32_t workers, TClock& clock)
{
    (void)level, (void)x, (void)y, (void)clock;
    auto figure = std::make_unique<FakeWorkerFigure>();
    figures.push_back(figure.get());
    figureWorkers.push_back(workers);
    return figure;
}

bool FakeHud::OnMouseDown(int32_t x, int32_t y)
{
    calls.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    return y >= hudTop;
}

bool FakeHud::OnMouseMove(int32_t x, int32_t y)
{
    calls.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    return y >= hudTop;
}

void FakeHud::SelectTab(int32_t t, bool force)
{
    calls.push_back("tab " + std::to_string(t) + (force ? " force" : " -"));
    tab = t;
}

void FakeHud::ShowStallInfo(int32_t stallId, int32_t, int32_t)
{
    calls.push_back("info " + std::to_string(stallId));
    shownStall = stallId;
}
