// The animated element list: phases, their curves and the loop.
#include "game/app/AnimatedElementList.h"

#include "core/Clock.h"
#include "game/app/MySprite.h"

namespace
{

// Share of a span of ms that diff has covered. A span of 0 ms (or less) is
// covered at once; callers never ask for one, but a division by it would
// write NaN into the sprite.
float Fraction(int32_t diff, int32_t span)
{
    return span > 0 ? float(diff) / float(span) : 1.0f;
}

// Whether diff lies in the fade [delay, delay + span).
bool InFade(int32_t diff, int32_t delay, int32_t span)
{
    return diff >= delay && int64_t(diff) < int64_t(delay) + span;
}

}  // namespace

TAnimatedElementList::TAnimatedElementList() = default;
TAnimatedElementList::~TAnimatedElementList() = default;

void TAnimatedElementList::AddElement(SStep in, SStep out)
{
    SElement e;
    e.name = in.name;
    e.sprite = std::make_unique<TMySprite>(TString(), true);
    e.inDuration = in.duration;
    e.inRotation = in.turns * kRadiansPerTurn;
    e.inScaleStart = in.scaleStart;
    e.inScaleDelta = in.scaleEnd - in.scaleStart;
    e.restartAlpha = 0.0f;
    e.inAlphaDelay = 0;
    e.inAlphaDuration = static_cast<int32_t>(in.alphaFraction * float(in.duration));
    e.outDuration = out.duration;
    e.outRotation = out.turns * kRadiansPerTurn;
    e.outScaleStart = out.scaleStart;
    e.outScaleDelta = out.scaleEnd - out.scaleStart;
    e.outStartAlpha = 1.0f;
    e.outAlphaDuration = static_cast<int32_t>(out.alphaFraction * float(out.duration));
    e.outAlphaDelay = out.duration - e.outAlphaDuration;
    elements_.push_back(std::move(e));
    ++count_;
}

void TAnimatedElementList::SetClock(TClock* clock)
{
    for (SElement& e : elements_) e.sprite->Load(e.name, true);
    clock_ = clock;
}

void TAnimatedElementList::SetPosition(int32_t x, int32_t y)
{
    for (SElement& e : elements_)
    {
        e.sprite->SetPosition(float(x), float(y));
        e.sprite->UpdateTransform();
    }
}

int32_t TAnimatedElementList::Now() const
{
    return clock_ ? clock_->GetTime() : 0;
}

void TAnimatedElementList::Start(bool loop)
{
    loop_ = loop;
    running_ = true;
    idle_ = false;
    const int32_t now = Now();
    for (SElement& e : elements_)
    {
        e.phase = kIn;
        e.phaseStart = now;
    }
}

void TAnimatedElementList::Update()
{
    if (!running_ || !clock_) return;
    running_ = false;
    const int32_t now = Now();
    for (int32_t i = 0; i < count_; ++i)
    {
        SElement& e = elements_[i];
        TMySprite& sprite = *e.sprite;
        // Clock times wrap: the difference is taken modulo 2^32.
        const int32_t diff =
            static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(e.phaseStart));
        float scale, rotation, alpha;
        if (e.phase == kIn && diff >= e.inDuration)
        {
            // A phase change writes the new phase's start values only.
            running_ = true;
            e.phase = kOut;
            e.phaseStart = now;
            if (scaleEnabled_) sprite.SetScale(e.outScaleStart, e.outScaleStart);
            if (alphaEnabled_) sprite.SetAlpha(e.outStartAlpha);
            continue;
        }
        if (e.phase == kOut && diff >= e.outDuration)
        {
            running_ = true;
            if (loop_)
            {
                e.phase = kIn;
                e.phaseStart = now;
                if (scaleEnabled_) sprite.SetScale(e.inScaleStart, e.inScaleStart);
                if (alphaEnabled_) sprite.SetAlpha(e.restartAlpha);
            }
            else
            {
                e.phase = kDone;
            }
            continue;
        }
        if (e.phase == kIn)
        {
            running_ = true;
            const float u = Fraction(diff, e.inDuration);
            scale = e.inScaleStart + e.inScaleDelta * u;
            rotation = e.inRotation * u;
            alpha = InFade(diff, e.inAlphaDelay, e.inAlphaDuration)
                        ? Fraction(diff - e.inAlphaDelay, e.inAlphaDuration)
                        : 1.0f;
        }
        else if (e.phase == kOut)
        {
            running_ = true;
            const float u = Fraction(diff, e.outDuration);
            scale = e.outScaleStart + e.outScaleDelta * u;
            rotation = e.outRotation * u;
            alpha = InFade(diff, e.outAlphaDelay, e.outAlphaDuration)
                        ? 1.0f - Fraction(diff - e.outAlphaDelay, e.outAlphaDuration)
                        : 1.0f;
        }
        else
        {
            continue;  // done, or never started
        }
        if (alphaEnabled_) sprite.SetAlpha(alpha);
        if (scaleEnabled_) sprite.SetScale(scale, scale);
        sprite.SetRotation(rotation);
        sprite.UpdateTransform();
    }
}

void TAnimatedElementList::Draw()
{
    for (SElement& e : elements_) e.sprite->Draw();
}

int32_t TAnimatedElementList::GetFirstPhase() const
{
    return elements_.empty() ? kNotStarted : elements_.front().phase;
}
