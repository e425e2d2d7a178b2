// ManaDrop: the curve to the counter and the burst.
#include "game/level/ManaDrop.h"

#include "core/Clock.h"
#include "game/app/MyParticle.h"
#include "game/level/LevelContext.h"

namespace
{

const char kFly[] = "images/game_logic/effect/monster_mana/monster_mana_fly.psi";
const char kBoom[] = "images/game_logic/effect/monster_mana/monster_mana_boom.psi";
const char kImage[] = "images/game_logic/effect/monster_mana/monster_mana";

TFloatPoint Lerp(TFloatPoint a, TFloatPoint b, float t)
{
    return TFloatPoint(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
}

}  // namespace

ManaDrop::ManaDrop(ILevelContext& level)
    : level_(level), fly_(std::make_unique<TMyParticle>(kFly, kImage)), boom_(std::make_unique<TMyParticle>(kBoom, kImage))
{
    fly_->SetClock(&level.GetMainClock());
    boom_->SetClock(&level.GetMainClock());
}

ManaDrop::~ManaDrop() = default;

void ManaDrop::Start(TFloatPoint from, TFloatPoint to, int32_t startTime, int32_t duration, int32_t n)
{
    start_ = current_ = from;
    target_ = to;
    amount = n;
    startTime_ = startTime;
    duration_ = duration;
    flying = true;
    const double dx = static_cast<double>(from.x) - to.x;
    // Start and target within 2 pixels across leave no room for the random
    // bend.
    const int64_t modulus = static_cast<int64_t>(dx * 0.5);
    const int64_t bend = modulus == 0 ? 0 : static_cast<int64_t>(level_.Random()) % modulus;
    control_.x = static_cast<float>(from.x - (static_cast<double>(bend) + dx * 0.25));
    control_.y = from.y - (from.y - to.y) * 2.0f;
    fly_->SetPosition(start_.x, start_.y);
    fly_->Start();
}

void ManaDrop::Update(int32_t now)
{
    if (finished) return;
    if (!flying)
    {
        boom_->Update();
        if (boom_->IsFinished()) finished = true;
        return;
    }
    // A drop without a flight time is there at once.
    const float t = duration_ <= 0 ? 1.0f
                                   : static_cast<float>(static_cast<double>(now) - startTime_) /
                                         static_cast<float>(duration_);
    const float k = t > 1.0f ? 1.0f : t;
    current_ = Lerp(Lerp(start_, control_, k), Lerp(control_, target_, k), k);
    fly_->SetPosition(current_.x, current_.y);
    fly_->Update();
    if (t >= 1.0f)
    {
        flying = false;
        boom_->SetPosition(target_.x, target_.y);
        boom_->Start();
    }
}

void ManaDrop::Draw()
{
    if (flying)
        fly_->Draw();
    else
        boom_->Draw();
}
