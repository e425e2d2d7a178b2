// SObjectEffect: loading an effect script and playing its time line.
#include "game/level/ObjectEffect.h"

#include <algorithm>
#include <cstring>

#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "game/app/MyAnimSprite.h"
#include "game/app/MyParticle.h"
#include "game/level/LevelContext.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

// The worker figure shows at most this many workers.
constexpr int32_t kMaxWorkers = 6;
// Effects are anchored 13 pixels above the point they are given.
constexpr int32_t kRaise = 13;

// "dop_str_" / "dop_point_" followed by exactly one digit: the digit.
int32_t ExtraIndex(const TString& ref, const char* prefix)
{
    const char* text = ref.CStr();
    const size_t len = std::strlen(text);
    const size_t prefixLen = std::strlen(prefix);
    if (len != prefixLen + 1 || std::strncmp(text, prefix, prefixLen) != 0) return -1;
    const char digit = text[prefixLen];
    return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

// Script times may be anything a script holds: sums saturate.
int32_t Sum(int64_t a, int64_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX));
}

float Progress(int32_t now, int32_t start, int32_t end)
{
    // An action that ends where it starts is complete at once.
    if (end == start) return 1.0f;
    const float p = static_cast<float>(static_cast<double>(now) - start) /
                    static_cast<float>(static_cast<double>(end) - start);
    return std::clamp(p, 0.0f, 1.0f);
}

float ActionValue(const SObjectEffect::SAction& a, float p)
{
    switch (a.code)
    {
    case 1:
    case 3:
    case 11: return 1.0f - p;
    case 4:
    case 5:
    case 6:
    case 8: return a.value3;
    case 0:
    case 2:
    case 7:
    case 10: return p;
    default: return 0.0f;
    }
}

}  // namespace

SObjectEffect::SObjectEffect(ILevelContext& level, ILevelFactory* factory) : level_(level), factory_(factory) {}

SObjectEffect::~SObjectEffect() = default;

void SObjectEffect::SetExtras(std::vector<TString> texts, std::vector<TPoint> points)
{
    extraTexts_ = std::move(texts);
    extraPoints_ = std::move(points);
}

void SObjectEffect::Start(const TString& script, int32_t x, int32_t y, int32_t effectTime, TClock& clock,
                          int32_t workers)
{
    script_ = script;
    x_ = x;
    y_ = y - kRaise;
    effectTime_ = effectTime;
    clock_ = &clock;
    if (factory_ != nullptr)
        figure_ = factory_->MakeWorkerFigure(level_, x, y, std::clamp(workers, 0, kMaxWorkers), clock);
    LoadDescription(script);
}

void SObjectEffect::LoadDescription(const TString& script)
{
    anims_.clear();
    particles_.clear();
    actions_.clear();
    sprites_.clear();
    workerTexts_.clear();
    nextWorker_ = 0;
    TScript env;
    if (!FileExists(script) || !env.RunScript(script))
    {
        LogPrintf("ERROR: effect %s did not load; it shows nothing", script.CStr());
    }
    else
    {
        // Each table is read on its own: one missing leaves the others playing.
        const char* names[] = {"Anim", "Paricle", "Action", "Worker"};
        for (int i = 0; i < 4; ++i)
        {
            const std::unique_ptr<TLuaTable> table = env.GetGlobalTable(names[i]);
            if (!table)
            {
                LogPrintf("ERROR: effect %s has no table %s", script.CStr(), names[i]);
                continue;
            }
            if (i == 0) ReadAnims(*table);
            if (i == 1) ReadParticles(*table);
            if (i == 2) ReadActions(*table);
            if (i == 3) ReadWorkers(*table);
        }
    }
    workerTexts_.push_back({Sum(effectTime_, 10), TString()});
    std::stable_sort(sprites_.begin(), sprites_.end(), [this](TMySpritePattern* a, TMySpritePattern* b) {
        return a->GetUserValue() < b->GetUserValue();
    });
}

int32_t SObjectEffect::StartOf(int32_t fromEnd, int32_t offset) const
{
    return fromEnd == 0 ? Sum(effectTime_, -static_cast<int64_t>(offset)) : offset;
}

int32_t SObjectEffect::AnimStart(int64_t n) const
{
    if (n < 0 || static_cast<uint64_t>(n) >= anims_.size()) return 0;
    return anims_[static_cast<size_t>(n)].start;
}

bool SObjectEffect::AnchorOf(int32_t n, const TString& name, TPoint* at) const
{
    if (n < 0 || static_cast<size_t>(n) >= anims_.size() || !anims_[static_cast<size_t>(n)].sprite) return false;
    const TPoint p = anims_[static_cast<size_t>(n)].sprite->GetAnchor(name);
    if (p.x == TMySpritePattern::kNoAnchor && p.y == TMySpritePattern::kNoAnchor) return false;
    *at = p;
    return true;
}

void SObjectEffect::ReadAnims(const TLuaTable& table)
{
    for (const TLuaRow& entry : TLuaRows(table, "effect animation steps"))
    {
        const TLuaTable* row = entry.table.get();
        if (row == nullptr) continue;
        SStep step;
        const TString asset = row->GetStringAt(3);
        auto sprite = std::make_unique<TMyAnimSprite>(asset, true);
        sprite->SetClock(clock_);
        sprite->SetPosition(static_cast<float>(x_), static_cast<float>(y_));
        sprite->UpdateTransform();
        sprite->visible = false;
        step.value1 = row->GetIntAt(1);
        step.depth = static_cast<float>(row->GetNumberAt(2, 0));
        sprite->SetUserValue(step.depth);
        step.name = row->GetStringAt(4);
        step.start = StartOf(row->GetIntAt(5), row->GetIntAt(6));
        const int32_t duration = row->GetIntAt(7);
        step.end = duration > 0 ? Sum(step.start, duration) : duration;
        const int values = row->GetCount();
        if (values > 7)
        {
            const TString ref = row->GetStringAt(8);
            const int32_t text = ExtraIndex(ref, "dop_str_");
            const int32_t point = ExtraIndex(ref, "dop_point_");
            if (text >= 0 && static_cast<size_t>(text) < extraTexts_.size())
                sprite->Load(extraTexts_[static_cast<size_t>(text)], true);
            if (point >= 0 && static_cast<size_t>(point) < extraPoints_.size())
            {
                const TPoint at = extraPoints_[static_cast<size_t>(point)];
                sprite->SetPosition(static_cast<float>(at.x), static_cast<float>(at.y));
                sprite->UpdateTransform();
            }
        }
        if (values >= 9)
        {
            step.hasAnchor = true;
            step.anchorStep = row->GetIntAt(9, -1);
            step.anchorName = row->GetStringAt(10);
        }
        step.sprite = std::move(sprite);
        sprites_.push_back(step.sprite.get());
        anims_.push_back(std::move(step));
    }
    // An end of -n is animation step n's start (counted from 0).
    for (SStep& step : anims_)
        if (step.end < 0) step.end = AnimStart(-static_cast<int64_t>(step.end));
    for (SStep& step : anims_)
    {
        TPoint at;
        if (!step.hasAnchor || !AnchorOf(step.anchorStep, step.anchorName, &at)) continue;
        step.sprite->SetPosition(static_cast<float>(at.x + x_), static_cast<float>(at.y + y_));
        step.sprite->UpdateTransform();
    }
}

void SObjectEffect::ReadParticles(const TLuaTable& table)
{
    for (const TLuaRow& entry : TLuaRows(table, "effect particle steps"))
    {
        const TLuaTable* row = entry.table.get();
        if (row == nullptr) continue;
        SStep step;
        auto particle = std::make_unique<TMyParticle>(row->GetStringAt(3), row->GetStringAt(4));
        particle->SetClock(clock_);
        step.value1 = row->GetIntAt(1);
        step.depth = static_cast<float>(row->GetNumberAt(2, 0));
        particle->SetUserValue(step.depth);
        step.start = StartOf(row->GetIntAt(5), row->GetIntAt(6));
        const int32_t duration = row->GetIntAt(7);
        step.end = duration >= 1 ? Sum(step.start, duration) : AnimStart(-static_cast<int64_t>(duration));
        TPoint at{x_, y_};
        if (row->GetCount() >= 8)
        {
            step.hasAnchor = true;
            step.anchorStep = row->GetIntAt(8, -1);
            step.anchorName = row->GetStringAt(9);
            TPoint anchor;
            if (AnchorOf(step.anchorStep, step.anchorName, &anchor))
            {
                const TFloatPoint base = anims_[static_cast<size_t>(step.anchorStep)].sprite->GetPosition();
                at = {anchor.x + static_cast<int32_t>(base.x), anchor.y + static_cast<int32_t>(base.y)};
            }
        }
        particle->SetPosition(static_cast<float>(at.x), static_cast<float>(at.y));
        step.sprite = std::move(particle);
        sprites_.push_back(step.sprite.get());
        particles_.push_back(std::move(step));
    }
}

void SObjectEffect::ReadActions(const TLuaTable& table)
{
    for (const TLuaRow& entry : TLuaRows(table, "effect actions"))
    {
        const TLuaTable* row = entry.table.get();
        if (row == nullptr) continue;
        SAction action;
        action.code = row->GetIntAt(1);
        action.value2 = row->GetIntAt(2);
        action.value3 = static_cast<float>(row->GetNumberAt(3, 0));
        action.start = StartOf(row->GetIntAt(4), row->GetIntAt(5));
        const int32_t duration = row->GetIntAt(6);
        action.end = duration >= 1 ? Sum(action.start, duration) : AnimStart(-static_cast<int64_t>(duration));
        actions_.push_back(action);
    }
}

void SObjectEffect::ReadWorkers(const TLuaTable& table)
{
    for (const TLuaRow& entry : TLuaRows(table, "effect worker texts"))
    {
        const TLuaTable* row = entry.table.get();
        if (row == nullptr) continue;
        workerTexts_.push_back({StartOf(row->GetIntAt(1), row->GetIntAt(2)), row->GetStringAt(3)});
    }
}

void SObjectEffect::Update()
{
    if (script_.IsEmpty() || clock_ == nullptr) return;
    Step();
}

void SObjectEffect::Step()
{
    const int32_t now = clock_->GetTime();
    for (SStep& step : anims_)
    {
        if (step.done) continue;
        auto& sprite = static_cast<TMyAnimSprite&>(*step.sprite);
        if (!step.on && now > step.start)
        {
            step.on = true;
            sprite.visible = true;
            sprite.Play(step.name);
        }
        if (step.on && now > step.end)
        {
            step.on = false;
            step.done = true;
            sprite.visible = false;
            if (sprite.GetSprite())
            {
                sprite.GetSprite()->StopAnimation();
                sprite.GetSprite()->SetCurrentFrame(0);
            }
            sprite.playing = false;
        }
        TPoint at;
        if (step.on && step.hasAnchor && AnchorOf(step.anchorStep, step.anchorName, &at))
        {
            sprite.SetPosition(static_cast<float>(at.x + x_), static_cast<float>(at.y + y_));
            sprite.UpdateTransform();
        }
    }
    for (SStep& step : particles_)
    {
        auto& particle = static_cast<TMyParticle&>(*step.sprite);
        if (step.done)
        {
            // A stopped emitter's particles live out their lives.
            if (particle.IsActive()) particle.Update();
            continue;
        }
        if (!step.on && now > step.start)
        {
            step.on = true;
            particle.Start();
        }
        if (!step.on) continue;
        if (now > step.end)
        {
            step.on = false;
            step.done = true;
            particle.Stop(false);
            continue;
        }
        TPoint anchor;
        if (step.hasAnchor && AnchorOf(step.anchorStep, step.anchorName, &anchor))
        {
            const TFloatPoint base = anims_[static_cast<size_t>(step.anchorStep)].sprite->GetPosition();
            particle.SetPosition(static_cast<float>(anchor.x) + base.x, static_cast<float>(anchor.y) + base.y);
        }
        particle.Update();
    }
    for (SAction& action : actions_)
    {
        if (action.done || now < action.start) continue;
        const float value = ActionValue(action, Progress(now, action.start, action.end));
        if (callback_) callback_(action.code, value);
        if (action.end == 0 || now > action.end) action.done = true;
    }
    if (figure_) figure_->Update();
    if (static_cast<size_t>(nextWorker_) < workerTexts_.size() &&
        now > workerTexts_[static_cast<size_t>(nextWorker_)].time)
    {
        if (figure_) figure_->PlayAnim(workerTexts_[static_cast<size_t>(nextWorker_)].text);
        ++nextWorker_;
    }
}

void SObjectEffect::Draw()
{
    if (script_.IsEmpty()) return;
    for (TMySpritePattern* sprite : sprites_) sprite->Draw();
    if (figure_) figure_->Draw();
}
