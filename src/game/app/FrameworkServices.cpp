// The program's subsystems, registered with the framework.
#include "game/app/FrameworkServices.h"

#include "core/host/App.h"
#include "core/host/HostServices.h"
#include "game/app/DisplayLink.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "script/ScriptCode.h"
#include "services/HostGameState.h"
#include "sound/OggDataSource.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
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

// A sound device out of memory is handled like video memory running out:
// the display drops to its low-memory state. Before the facade exists, or
// once it is gone, there is no display to tell.
void ReportSoundOutOfMemory()
{
    if (TApp* app = GetApp()) app->ReportOutOfVideoMemory();
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
    services.makeGameState = &MakeHostGameState;
    services.makeDisplay = &MakeDisplayLink;
    services.destroyDisplay = &DestroyDisplayLink;
    RegisterTextureAssetLoader();
    RegisterModelAssetLoader();
    RegisterScriptCodeLoader();
}
