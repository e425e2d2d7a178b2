// The particle kind of the game sprite layer.
#include "game/app/MyParticle.h"

#include "core/Clock.h"

namespace
{

constexpr int kStepsPerSecond = 20;
// What the first update after a start sees as passed: enough for one step.
constexpr int32_t kFirstUpdateMs = 400;
// Past this since the start a particle with nothing alive goes inactive.
constexpr int32_t kQuietAfterMs = 999;

// Clock times wrap: differences are taken modulo 2^32.
int32_t Minus(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

TMyParticle::TMyParticle(const TString& particleFile, const TString& imageName)
    : TMySpritePattern(kParticle),
      emitter_(std::make_unique<TMyParticleEmitter>(particleFile, imageName, kStepsPerSecond, true))
{
    SetOriginEnabled(false);
    SetSourceRectEnabled(false);
}

TMyParticle::~TMyParticle() = default;

void TMyParticle::GetSize(int32_t* width, int32_t* height)
{
    *width = 0;
    *height = 0;
}

void TMyParticle::Load(const TString&, bool) {}

bool TMyParticle::HitTest(int32_t, int32_t, int, const TDrawParams&)
{
    return false;
}

void TMyParticle::Draw()
{
    emitter_->Draw();
}

void TMyParticle::SetPosition(float x, float y)
{
    TMySpritePattern::SetPosition(x, y);
    emitter_->Move(x, y);
}

int32_t TMyParticle::Now() const
{
    return clock_ ? clock_->GetTime() : 0;
}

void TMyParticle::Start()
{
    emitter_->Restart();
    active_ = true;
    const int32_t now = Now();
    lastUpdate_ = Minus(now, kFirstUpdateMs);
    startTime_ = now;
}

void TMyParticle::Stop(bool atOnce)
{
    emitter_->Stop(atOnce);
    active_ = !atOnce;
}

int32_t TMyParticle::Update()
{
    if (!active_) return 0;
    const int32_t now = Now();
    emitter_->Advance(Minus(now, lastUpdate_));
    lastUpdate_ = now;
    const int32_t since = Minus(now, startTime_);
    if (since > kQuietAfterMs && emitter_->GetLiveCount() == 0) active_ = false;
    return since;
}
