// The animation host registry and its stand-alone default.
#include "graphics/AnimationHost.h"

#include "core/Random.h"

namespace
{

class TStandAloneAnimationHost final : public TAnimationHost
{
public:
    TTaskList& GetTaskList() override { return tasks_; }
    uint32_t Random() override { return random_.Next(); }

private:
    TTaskList tasks_;
    TMersenneTwister random_;
};

TAnimationHost* gHost = nullptr;

}  // namespace

TAnimationHost& GetAnimationHost()
{
    if (gHost) return *gHost;
    static TStandAloneAnimationHost standAlone;
    return standAlone;
}

void SetAnimationHost(TAnimationHost* host)
{
    gHost = host;
}
