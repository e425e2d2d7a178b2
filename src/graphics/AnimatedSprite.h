// TAnimatedSprite: a sprite that shows an animated texture and plays it with
// script coroutines. Each sprite that plays gets its own script environment
// with the animation library, the bindings to this sprite and the
// animation's script; playing resumes a coroutine calling one of its global
// functions (DoAnim by default), which sets frames and sleeps between them
// on the sprite's clock while the task list resumes it.
//
// Failure: a failing resume is logged ("TAnimatedSprite::Play: lua_resume
// error: ...") and the coroutine is left in the task list; Play without an
// animation and without an environment does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/String.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/Sprite.h"
#include "script/lang/lua.h"

class TClock;
class TScript;
class TAnimatedSprite;
using TAnimatedSpriteRef = std::shared_ptr<TAnimatedSprite>;

class TAnimatedSprite : public TSprite
{
public:
    static TAnimatedSpriteRef Create(int layer);
    explicit TAnimatedSprite(int layer);
    // Stops everything twice (so that what is parked goes too).
    ~TAnimatedSprite() override;

    static TClassId ClassId();
    const char* GetClassName() const override { return "TAnimatedSprite"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TSprite::IsKindOf(id); }

    // Each sets the shared texture to this sprite's frame first.
    void Draw(const TDrawParams& parent, int depth) override;
    void GetBounds(TRect& out, const TDrawParams& parent, int depth) override;
    bool HitTest(const int point[2], const TDrawParams& parent, int alphaThreshold,
                 int depth) override;
    // The animation follows the texture when it is an animated one.
    void SetTexture(const TTextureRef& texture) override;

    // Ignored below -1; an index past the frame count is kept but leaves the
    // texture's frame alone.
    void SetCurrentFrame(int index);
    int GetCurrentFrame() const { return frame_; }
    // 1 without an animation.
    int GetFrameCount() const;
    const TAnimatedTextureRef& GetAnimation() const { return animation_; }
    // Null: the application time. Moves a playing coroutine along.
    void SetClock(TClock* clock);
    TClock* GetClock() const { return clock_; }

    void Play(const TString& functionName);
    // True when a coroutine was in the task list.
    bool StopAnimation();
    // The coroutine and the environment.
    void StopAll();
    // depth 0: this sprite only; negative: the whole subtree.
    void Pause(bool pause, int depth);
    bool IsPlaying(int depth);
    bool IsDone(int depth);
    // The playing coroutine, else the environment (made when missing).
    TScript* GetScript();

    // --- the script side (AnimatedSpriteBindings.cpp) ---
    // With one argument: due again after ms; otherwise suspended until Pause
    // (false). Yields unless the thread is inside a native call.
    int WaitLuaNextFrame(lua_State* L);
    bool LoadAnimation(const TString& name, const TString& image, const TString& mask);
    TString GetAnimationScript() const;
    void SetAlpha(double alpha) { params.alpha = float(alpha); }
    // The parent lets go of this sprite; it lives on until the task list's
    // next pass, so the coroutine that asked may finish its resume.
    void RemoveFromParent();
    // a + (r mod (b - a)) in unsigned 32-bit arithmetic; a when b equals a.
    double Random(int64_t a, int64_t b);
    // True while any of its coroutines is inside a resume.
    bool IsResuming() const;

private:
    void SetupScript();
    // Deletes a retired script now, or parks it while any parked one runs.
    void Retire(TScript* script);
    void SweepParked();
    template <class Visit>
    bool AnyChild(int depth, Visit visit);

    int frame_ = 0;
    TAnimatedTextureRef animation_;
    TClock* clock_ = nullptr;
    TScript* script_ = nullptr;
    TScript* thread_ = nullptr;
    TScript* retiredScript_ = nullptr;
    TScript* retiredThread_ = nullptr;
    // Retired scripts whose coroutine was still running when their turn to go
    // came (a stop asked twice from inside one resume); threads before their
    // environments.
    std::vector<TScript*> parked_;
};

// Publishes the sprite's eleven script functions into L's globals.
void PublishAnimatedSpriteBindings(lua_State* L, TAnimatedSprite* sprite);
// The animation library's source text (run in every environment under the
// chunk name "ganimationscript").
extern const char kAnimationLibraryText[];
