// The program's subsystems, registered with the framework.
#include "game/app/FrameworkServices.h"

#include <memory>

#include "core/Random.h"
#include "game/app/DisplayLink.h"
#include "graphics/AnimatedTexture.h"
#include "graphics/AnimationHost.h"
#include "graphics/DisplayHandler.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "host/App.h"
#include "host/HostServices.h"
#include "script/ScriptCode.h"
#include "services/FlashHost.h"
#include "services/GameStateBindings.h"
#include "services/HostGameState.h"
#include "services/HostHttp.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "ui/MovieHost.h"
#include "ui/WindowManager.h"

namespace
{

// The sound manager as the platform host drives it.
class TSoundManagerLink final : public THostSoundManager
{
public:
    bool Init() override { return manager_.Init(); }
    void Update() override { manager_.Update(); }
    void Enable(bool on) override { manager_.Enable(on); }

private:
    TSoundManager manager_;
};

// Animated sprites run their coroutines on the host's task list.
class TAppAnimationHost final : public TAnimationHost
{
public:
    TTaskList& GetTaskList() override
    {
        TApp* app = GetApp();
        return app ? app->GetTaskList() : spare_;
    }
    uint32_t Random() override
    {
        TApp* app = GetApp();
        return app ? app->Random() : random_.Next();
    }

private:
    // Before the facade exists and after it is gone.
    TTaskList spare_;
    TMersenneTwister random_;
};

// A sound device out of memory is handled like video memory running out:
// the display drops to its low-memory state. Before the facade exists, or
// once it is gone, there is no display to tell.
void ReportSoundOutOfMemory()
{
    if (TApp* app = GetApp()) app->ReportOutOfVideoMemory();
}

// The window script's movie host over the Flash host. The script starts a
// movie at once and never loops it; a movie that takes no input holds the
// mouse for itself.
class TFlashMovieHost final : public TMovieHost
{
public:
    explicit TFlashMovieHost(const TString& movieName) : host_(movieName.CStr()) {}
    bool Play(int, bool, bool allowInput) override { return host_.Play(false, true, !allowInput); }
    bool IsPlaying() const override { return host_.IsPlaying(); }
    void Stop() override { host_.Stop(); }

private:
    TFlashHost host_;
};

// What the Flash host does around a movie, as far as the window system and
// the display offer it. There is no mouse capture to release here.
TFlashHostHooks MakeFlashHostHooks()
{
    TFlashHostHooks hooks;
    hooks.clearMovieFlags = [](bool)
    {
        if (TWindowManager* wm = GetWindowManager())
        {
            wm->SetMoviePlaying(false);
            wm->SetMovieInput(false);
        }
    };
    hooks.resetMouseImage = []
    {
        TDisplayHandler* display = GetDisplayHandler();
        if (display && display->GetContext()) display->ResetMouseImage();
    };
    // The root window is drawn over whatever the movie left on the next frame.
    hooks.fillRootWindow = []
    {
        if (TWindowManager* wm = GetWindowManager(); wm && wm->HasRootWindow()) wm->Invalidate();
    };
    return hooks;
}

}  // namespace

void RegisterFrameworkServices()
{
    auto& services = GetFrameworkServices();
    services.makeSoundManager = []() -> THostSoundManager* { return new TSoundManagerLink(); };
    services.registerOggDataSourceBuilder = []
    {
        RegisterOggDataSourceBuilder();
        RegisterSoundAssetLoader();
    };
    TSoundManager::SetOutOfMemoryHandler(&ReportSoundOutOfMemory);

    services.makeWindowManager = []() -> THostWindowManager* { return new TWindowManager(); };
    SetWindowScriptHook(&RegisterGameStateFunctions);
    SetMovieHostFactory([](const TString& movieName) -> std::unique_ptr<TMovieHost>
                        { return std::make_unique<TFlashMovieHost>(movieName); });
    SetFlashHostHooks(MakeFlashHostHooks());

    services.makeGameState = &MakeHostGameState;
    services.makeHttp = &MakeHostHttp;
    services.makeDisplay = &MakeDisplayLink;
    services.destroyDisplay = &DestroyDisplayLink;
    RegisterTextureAssetLoader();
    RegisterAnimatedTextureAssetLoader();
    static TAppAnimationHost animationHost;
    SetAnimationHost(&animationHost);
    RegisterModelAssetLoader();
    RegisterScriptCodeLoader();
}
