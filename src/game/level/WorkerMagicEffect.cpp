// WorkerMagicEffect: the workers' places around the stall and their timed
// sequence (wait, wave, sparks fly, burst).
#include "game/level/WorkerMagicEffect.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/Saturate.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/level/LevelContext.h"
#include "game/level/LevelRecords.h"
#include "game/level/WalkGrid.h"
#include "script/Script.h"

namespace
{

const char kWorker[] = "effect:images/game_logic/effect/worker/worker";
const char kHand[] = "effect:images/game_logic/effect/worker/hand_magic";
const char kSparkFile[] = "images/game_logic/effect/worker/particle/fly_from_hand.psi";
const char kSparkImage[] = "images/game_logic/effect/worker/particle/fly_from_hand";
const char kBurstFile[] = "images/game_logic/effect/worker/particle/boom.psi";
const char kBurstImage[] = "images/game_logic/effect/worker/particle/boom";
// Effects stand this many pixels above the point they are given.
constexpr int32_t kRaise = 13;
// How long the burst shows before the sequence ends.
constexpr uint32_t kBurstTime = 2000;

}  // namespace

WorkerMagicEffect::WorkerMagicEffect(ILevelContext& level, int32_t x, int32_t y, int32_t workers, TClock& clock)
    : clock_(clock), x_(x), y_(y - kRaise), count_(std::clamp(workers, 0, kMaxWorkers))
{
    const SGameObjectCommon& common = level.GetCommon();
    const TGridCell p = WalkGrid::PixelToCell(x, y);
    const TPoint r(p.column + common.rightEntry.x, p.row + common.rightEntry.y);
    const TPoint l(p.column + common.leftEntry.x, p.row + common.leftEntry.y);
    const TPoint cells[kMaxWorkers] = {r, l, {r.x - 1, r.y + 1}, {l.x + 1, l.y + 1}, {r.x + 1, r.y - 1},
                                       {l.x - 1, l.y - 1}};
    for (int32_t i = 0; i < count_; ++i)
    {
        const TGridPixel centre = WalkGrid::CellToPixel(cells[i].x, cells[i].y, true);
        const TPoint place(centre.x, centre.y);
        places_.push_back(place);
        const bool mirrored = (i % 2) == 1;
        auto worker = std::make_unique<TMyAnimSprite>(kWorker, true);
        auto hand = std::make_unique<TMyAnimSprite>(kHand, true);
        for (TMyAnimSprite* sprite : {worker.get(), hand.get()})
        {
            sprite->SetFlip(mirrored, false);
            sprite->SetClock(&clock_);
            sprite->MoveTo(place.x, place.y);
        }
        // A hand picture without its point sends the spark from the worker's
        // own place.
        TPoint start = place;
        const TPoint anchor = hand->GetAnchor("anchor_hand");
        if (anchor.x != TMySpritePattern::kNoAnchor && anchor.y != TMySpritePattern::kNoAnchor)
            start = TPoint(place.x + anchor.x, place.y + anchor.y);
        sparkStarts_.push_back(start);
        auto spark = std::make_unique<TMyParticle>(kSparkFile, kSparkImage);
        spark->SetClock(&clock_);
        spark->SetPosition(static_cast<float>(start.x), static_cast<float>(start.y));
        workers_.push_back(std::move(worker));
        hands_.push_back(std::move(hand));
        sparks_.push_back(std::move(spark));
    }
    burst_ = std::make_unique<TMyParticle>(kBurstFile, kBurstImage);
    burst_->SetClock(&clock_);
    burst_->SetPosition(static_cast<float>(x_), static_cast<float>(y_));
}

WorkerMagicEffect::~WorkerMagicEffect() = default;

uint32_t WorkerMagicEffect::Now() const
{
    return clock_.GetTime();
}

double WorkerMagicEffect::ScriptNumber(const char* name) const
{
    if (workers_.empty() || !workers_[0]->GetSprite()) return 0.0;
    TScript* script = workers_[0]->GetSprite()->GetScript();
    return script != nullptr ? script->GetGlobalNumber(name) : 0.0;
}

void WorkerMagicEffect::PlayAnim(const TString& name)
{
    for (auto& worker : workers_) worker->Play(name);
    if (name == "Loop")
    {
        step_ = 0;
        Advance();
    }
}

void WorkerMagicEffect::Update()
{
    if (running_) Advance();
}

void WorkerMagicEffect::Advance()
{
    for (auto& spark : sparks_) spark->Update();
    burst_->Update();
    const uint32_t now = Now();
    switch (step_)
    {
    case 0:
        running_ = true;
        deadline_ = now + SaturateTo<uint32_t>(ScriptNumber("delay_cnt_1_"));
        step_ = 1;
        break;
    case 1:
        if (now >= deadline_) step_ = 2;
        break;
    case 2:
        for (auto& hand : hands_) hand->Play("DoAnim");
        deadline_ = now + SaturateTo<uint32_t>(ScriptNumber("delay_cnt_2_"));
        step_ = 3;
        break;
    case 3:
        if (now >= deadline_) step_ = 4;
        break;
    case 4:
        for (auto& spark : sparks_) spark->Start();
        flyStart_ = now;
        deadline_ = SaturateTo<uint32_t>(ScriptNumber("fly_time_"));
        step_ = 5;
        break;
    case 5:
    {
        // A fly time of 0 ends the flight at once.
        const float t = deadline_ == 0 ? 1.0f
                                       : static_cast<float>(now - flyStart_) / static_cast<float>(deadline_);
        const float k = std::min(t, 1.0f);
        for (size_t i = 0; i < sparks_.size(); ++i)
        {
            const TPoint s = sparkStarts_[i];
            sparks_[i]->SetPosition(static_cast<float>(s.x) + static_cast<float>(x_ - s.x) * k,
                                    static_cast<float>(s.y) + static_cast<float>(y_ - s.y) * k);
        }
        if (t >= 1.0f) step_ = 6;
        break;
    }
    case 6:
        for (auto& spark : sparks_) spark->Stop(true);
        burst_->Start();
        deadline_ = now + kBurstTime;
        step_ = 7;
        break;
    case 7:
        if (now >= deadline_)
        {
            running_ = false;
            burst_->Stop(true);
        }
        break;
    default: break;
    }
}

void WorkerMagicEffect::Draw()
{
    for (size_t i = 0; i < workers_.size(); ++i)
    {
        workers_[i]->Draw();
        sparks_[i]->Draw();
        hands_[i]->Draw();
    }
    burst_->Draw();
}
