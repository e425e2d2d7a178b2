// Animated sprites: the per-sprite script environment and coroutine, play,
// stop and pause with the retired slots, and frame-aware drawing and bounds.
#include "graphics/AnimatedSprite.h"

#include <cstring>
#include <string>

#include "core/Log.h"
#include "graphics/AnimationHost.h"
#include "script/Binding.h"
#include "script/RunawayGuard.h"
#include "script/Script.h"

namespace
{

// The library compiled once per run; every environment builds its functions
// from the shared chunk.
const TSharedChunk& LibraryChunk()
{
    static const TSharedChunk chunk(kAnimationLibraryText, std::strlen(kAnimationLibraryText),
                                    "ganimationscript");
    return chunk;
}

// Holds a sprite that asked its parent to let it go until the task list's
// next pass finds none of its coroutines running.
class TKeepSpriteAlive final : public TTask
{
public:
    explicit TKeepSpriteAlive(TAnimatedSpriteRef sprite) : sprite_(std::move(sprite)) {}
    bool Run() override { return sprite_->IsResuming(); }

private:
    TAnimatedSpriteRef sprite_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Lifetime

TClassId TAnimatedSprite::ClassId()
{
    static const char id = 0;
    return &id;
}

TAnimatedSpriteRef TAnimatedSprite::Create(int layer)
{
    return std::make_shared<TAnimatedSprite>(layer);
}

TAnimatedSprite::TAnimatedSprite(int layer) : TSprite(layer) {}

TAnimatedSprite::~TAnimatedSprite()
{
    StopAll();
    StopAll();
    SweepParked();
    animation_.reset();
}

// ---------------------------------------------------------------------------
// Texture and frame

void TAnimatedSprite::SetTexture(const TTextureRef& texture)
{
    TSprite::SetTexture(texture);
    animation_ = texture && texture->IsKindOf(TAnimatedTexture::ClassId())
                     ? std::static_pointer_cast<TAnimatedTexture>(texture)
                     : TAnimatedTextureRef();
}

void TAnimatedSprite::SetCurrentFrame(int index)
{
    if (index < -1) return;
    frame_ = index;
    if (animation_ && index < animation_->GetFrameCount()) animation_->SetFrame(index);
}

int TAnimatedSprite::GetFrameCount() const
{
    return animation_ ? animation_->GetFrameCount() : 1;
}

void TAnimatedSprite::Draw(const TDrawParams& parent, int depth)
{
    if (animation_) animation_->SetFrame(frame_);
    TSprite::Draw(parent, depth);
}

bool TAnimatedSprite::HitTest(const int point[2], const TDrawParams& parent, int alphaThreshold,
                              int depth)
{
    if (animation_) animation_->SetFrame(frame_);
    return TSprite::HitTest(point, parent, alphaThreshold, depth);
}

void TAnimatedSprite::GetBounds(TRect& out, const TDrawParams& parent, int depth)
{
    if (!animation_)
    {
        TSprite::GetBounds(out, parent, depth);
        return;
    }
    animation_->SetFrame(frame_);
    // The frame the texture will draw: a frame outside the animation leaves
    // the texture's own, and the bounds must agree with the drawing.
    const int shown = animation_->GetFrame();
    const TAnimationFrame* f = animation_->GetFrameRecord(shown);
    TDrawParams base = parent;
    if (f && f->HasTransform())
    {
        const float* m = f->xform;
        const TAffineMatrix frame(m[0], m[1], 0.0f, m[2], m[3], 0.0f, m[4], m[5], 1.0f);
        base.matrix = MultiplyAffineMatrices(frame, parent.matrix);
    }
    const bool ownOrigin = (params.flags & TDrawParams::kUseOrigin) != 0;
    if (!ownOrigin)
    {
        int x = 0, y = 0;
        animation_->GetRegistration(shown, &x, &y);
        if (params.flags & TDrawParams::kMirrorX) x = animation_->GetWidth() - x;
        if (params.flags & TDrawParams::kMirrorY) y = animation_->GetHeight() - y;
        params.origin = TFloatPoint(float(x), float(y));
        params.flags |= TDrawParams::kUseOrigin;
    }
    TSprite::GetBounds(out, base, depth);
    if (!ownOrigin) params.flags &= ~uint32_t(TDrawParams::kUseOrigin);
}

// ---------------------------------------------------------------------------
// Environment and coroutine

void TAnimatedSprite::SetClock(TClock* clock)
{
    clock_ = clock;
    if (thread_) thread_->SetClock(clock);
}

void TAnimatedSprite::SetupScript()
{
    StopAll();
    script_ = new TScript();
    script_->SetClock(clock_);
    GetAnimationHost().GetTaskList().Add(script_);
    lua_State* L = script_->GetState();
    if (L == nullptr) return;
    script_->DoChunkOrText(LibraryChunk(), kAnimationLibraryText,
                           std::strlen(kAnimationLibraryText), "ganimationscript");
    PublishAnimatedSpriteBindings(L, this);
    if (animation_)
    {
        TString path = "?;?.lua;scripts/?;scripts/?.lua;%s?;%s?.lua";
        path.Replace("%s", animation_->GetFolder(), kReplaceAll);
        SetScriptSearchPath(path);
        const TSharedChunk& chunk = animation_->GetScriptChunk();
        if (chunk.IsEmpty())
        {
            script_->DoLuaString(animation_->GetScript());
        }
        else
        {
            script_->SetGlobalString("LUA_PATH", path);
            script_->DoSharedChunk(chunk);
        }
    }
}

TScript* TAnimatedSprite::GetScript()
{
    if (thread_) return thread_;
    if (!script_) SetupScript();
    return script_;
}

void TAnimatedSprite::Play(const TString& functionName)
{
    if (!script_)
    {
        if (!animation_) return;
        SetupScript();
    }
    StopAnimation();
    // The environment's libraries are open; its coroutine shares them.
    thread_ = script_->NewThread(false);
    if (!thread_) return;
    if (clock_) thread_->SetClock(clock_);
    GetAnimationHost().GetTaskList().Add(thread_);
    if (functionName.IsEmpty()) return;

    // The coroutine may ask the parent to let this sprite go.
    TSpriteRef keep = weak_from_this().lock();
    lua_State* T = thread_->GetState();
    lua_pushstring(T, functionName.CStr());
    lua_gettable(T, LUA_GLOBALSINDEX);
    int status;
    {
        TRunawayGuard runaway(T);
        status = lua_resume(T, 0);
    }
    if (status != 0)
    {
        TString textureName;
        if (animation_)
            textureName = animation_->GetFileName();
        else if (GetSpriteTexture())
            textureName = GetSpriteTexture()->GetData()->name;
        LogPrintf(
            "TAnimatedSprite::Play: lua_resume error: '%s' when attempting to call function "
            "'%s' in '%s'",
            LuaErrorText(T, -1).CStr(), functionName.CStr(), textureName.CStr());
        lua_pop(T, 1);
    }
}

void TAnimatedSprite::SweepParked()
{
    for (TScript* s : parked_)
        if (s->IsRunning()) return;
    std::vector<TScript*> doomed;
    doomed.swap(parked_);
    for (TScript* s : doomed) delete s;
}

void TAnimatedSprite::Retire(TScript* script)
{
    if (!script) return;
    SweepParked();
    if (!parked_.empty() || script->IsRunning())
        parked_.push_back(script);
    else
        delete script;
}

bool TAnimatedSprite::StopAnimation()
{
    Retire(retiredThread_);
    retiredThread_ = nullptr;
    bool stopped = false;
    if (thread_ && GetAnimationHost().GetTaskList().Remove(thread_))
    {
        // Not deleted yet: the stop may come from inside this coroutine.
        retiredThread_ = thread_;
        thread_->StopTimer();
        stopped = true;
    }
    thread_ = nullptr;
    return stopped;
}

void TAnimatedSprite::StopAll()
{
    StopAnimation();
    Retire(retiredScript_);
    retiredScript_ = nullptr;
    if (script_ && GetAnimationHost().GetTaskList().Remove(script_))
    {
        retiredScript_ = script_;
        script_->StopTimer();
    }
    script_ = nullptr;
}

template <class Visit>
bool TAnimatedSprite::AnyChild(int depth, Visit visit)
{
    if (depth == 0) return false;
    const std::vector<TSpriteRef> children = GetChildren();
    for (const TSpriteRef& child : children)
    {
        if (!child->IsKindOf(ClassId())) continue;
        if (visit(static_cast<TAnimatedSprite&>(*child), depth - 1)) return true;
    }
    return false;
}

void TAnimatedSprite::Pause(bool pause, int depth)
{
    if (!thread_) return;
    if (script_)
    {
        if (pause)
            thread_->StopTimer();
        else
            thread_->SetTimer(1, true, true, false);
    }
    AnyChild(depth,
             [pause](TAnimatedSprite& child, int d)
             {
                 child.Pause(pause, d);
                 return false;
             });
}

bool TAnimatedSprite::IsPlaying(int depth)
{
    if (thread_ && thread_->IsYielded()) return true;
    return AnyChild(depth, [](TAnimatedSprite& child, int d) { return child.IsPlaying(d); });
}

bool TAnimatedSprite::IsDone(int depth)
{
    if (script_) return false;
    return !AnyChild(depth, [](TAnimatedSprite& child, int d) { return !child.IsDone(d); });
}

// ---------------------------------------------------------------------------
// The script side

int TAnimatedSprite::WaitLuaNextFrame(lua_State* L)
{
    TScript* task = thread_ ? thread_ : script_;
    const bool timed = lua_gettop(L) == 1;
    if (task)
    {
        if (timed)
            task->SetTimer(LuaArgInteger<int32_t>(L, 1), true, true, false);
        else
            task->StopTimer();
    }
    if (lua_getnccalls(L) != 0) return 0;
    return lua_yield(L, 0);
}

bool TAnimatedSprite::LoadAnimation(const TString& name, const TString& image, const TString& mask)
{
    TAnimatedTextureRef loaded = TAnimatedTexture::Get(name, image, mask);
    SetTexture(loaded);
    return loaded != nullptr;
}

TString TAnimatedSprite::GetAnimationScript() const
{
    return animation_ ? animation_->GetScript() : TString("");
}

void TAnimatedSprite::RemoveFromParent()
{
    TSprite* parent = GetParent();
    if (!parent) return;
    auto self = std::static_pointer_cast<TAnimatedSprite>(weak_from_this().lock());
    if (!self) return;
    GetAnimationHost().GetTaskList().Add(new TKeepSpriteAlive(self));
    parent->RemoveChild(self);
}

bool TAnimatedSprite::IsResuming() const
{
    for (const TScript* s : parked_)
        if (s->IsRunning()) return true;
    for (const TScript* s : {thread_, retiredThread_, script_, retiredScript_})
        if (s && s->IsRunning()) return true;
    return false;
}

double TAnimatedSprite::Random(int64_t a, int64_t b)
{
    const uint32_t lo = uint32_t(a), hi = uint32_t(b);
    if (lo == hi) return double(lo);
    const uint32_t r = GetAnimationHost().Random();
    return double(uint32_t(lo + r % (hi - lo)));
}
