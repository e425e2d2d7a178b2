// The in-process game run.
#include "game/run/support/GameRun.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "core/Event.h"
#include "core/Task.h"
#include "game/app/AppEvents.h"
#include "game/wiring/GameWiring.h"
#include "graphics/DisplayHandler.h"
#include "host/App.h"
#include "host/AppHost.h"
#include "platform/Input.h"
#include "platform/Keys.h"
#include "platform/gfx/Device.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"

namespace gametest
{

namespace
{

TGameRun* gRun = nullptr;

const char* const kEnvironment[][2] = {
    {"ORVELLE_WINDOWED", "1"},        {"ORVELLE_NO_MESSAGEBOX", "1"},
    {"SDL_VIDEODRIVER", "offscreen"}, {"SDL_RENDER_DRIVER", "opengl"},
    {"SDL_AUDIODRIVER", "dummy"},
};

TAppHost* Host()
{
    TApp* app = GetApp();
    return app != nullptr ? app->GetHost() : nullptr;
}

void Push(int32_t type, int32_t x, int32_t y, int32_t data)
{
    if (TAppHost* host = Host())
    {
        TEvent ev;
        ev.Set(type, x, y, data, 0);
        host->pendingEvents.push_back(ev);
    }
}

void Signal(platform::WindowSignal signal)
{
    if (TAppHost* host = Host()) host->OnWindowSignal(signal);
}

}  // namespace

// Plays the steps, one condition test per idle pass.
class TGameRun::TStepTask : public TTask
{
public:
    bool IsReady(int phase) override { return phase == TaskPhaseIdle; }
    bool Run() override
    {
        TGameRun* run = gRun;
        TApp* app = GetApp();
        if (run == nullptr || app == nullptr || run->next_ >= run->steps_.size()) return false;
        SStep& step = run->steps_[run->next_];
        const uint32_t now = app->GetTime();
        if (!run->stepStarted_)
        {
            run->stepStarted_ = true;
            run->stepStart_ = now;
        }
        if (!step.ready || step.ready())
        {
            ++run->next_;
            run->stepStarted_ = false;
            if (step.act) step.act();
            return run->next_ < run->steps_.size();
        }
        if (now - run->stepStart_ > step.timeoutMs)
        {
            run->failures_.push_back("timed out waiting: " + step.what);
            run->next_ = run->steps_.size();
            app->Quit(1);
            return false;
        }
        return true;
    }
};

TGameRun::TGameRun()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/orvelle-run-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) != nullptr) root_ = buf.data();
    std::filesystem::create_directories(root_ / "data");
    auto set = [this](const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        savedEnv_.emplace_back(name, old != nullptr ? old : "\x01");
        setenv(name, value.c_str(), 1);
    };
    set("XDG_DATA_HOME", (root_ / "data").string());
    set("XDG_RUNTIME_DIR", root_.string());
    for (const auto& e : kEnvironment) set(e[0], e[1]);
    savedFolder_ = std::filesystem::current_path();
}

TGameRun::~TGameRun()
{
    std::error_code ec;
    std::filesystem::current_path(savedFolder_, ec);
    for (auto it = savedEnv_.rbegin(); it != savedEnv_.rend(); ++it)
    {
        if (it->second == "\x01")
            unsetenv(it->first.c_str());
        else
            setenv(it->first.c_str(), it->second.c_str(), 1);
    }
    std::filesystem::remove_all(root_, ec);
}

TGameRun& TGameRun::Step(std::string what, std::function<bool()> ready, std::function<void()> act,
                         uint32_t timeoutMs)
{
    steps_.push_back({std::move(what), std::move(ready), std::move(act), timeoutMs});
    return *this;
}

TGameRun& TGameRun::Do(std::string what, std::function<void()> act)
{
    return Step(std::move(what), {}, std::move(act));
}

TGameRun& TGameRun::Idle(int passes)
{
    auto left = std::make_shared<int>(passes);
    return Step("idle passes", [left] { return (*left)-- <= 0; });
}

void TGameRun::MainFunction(TApp& app, const TString& commandLine)
{
    app.AddTask(new TStepTask());
    GameMain(app, commandLine);
}

int TGameRun::Run(TGameSetup setup, const TString& commandLine)
{
    // The game as the program wires it; what the test brings replaces that.
    TGameSetup wired;
    WireGame(wired);
    if (setup.windowTypes.empty()) setup.windowTypes = std::move(wired.windowTypes);
    if (setup.level == nullptr) setup.level = wired.level;
    if (setup.helper == nullptr) setup.helper = wired.helper;
    setup.mainFunction = &TGameRun::MainFunction;
    // Several test programs may run games at once, each in its own folders.
    setup.allowMultiple = true;
    gRun = this;
    const int code = StartGame(commandLine, setup);
    gRun = nullptr;
    if (next_ < steps_.size()) failures_.push_back("the game ended before: " + steps_[next_].what);
    steps_.clear();
    next_ = 0;
    stepStarted_ = false;
    std::error_code ec;
    std::filesystem::current_path(savedFolder_, ec);
    return code;
}

std::filesystem::path TGameRun::UserData() const
{
    return root_ / "data" / "Hollvane-Plomet" / "Orvelle";
}

std::string TGameRun::Log() const
{
    std::ifstream in(UserData() / "logfile.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TString TGameRun::TopModalName()
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    return top != nullptr ? top->GetName() : TString();
}

TWindow* TGameRun::FindWindowOfClass(TWindowClassId id)
{
    return FindOnModalStack(id);
}

TWindow* TGameRun::FindBelowTop(const char* name)
{
    TWindowManager* wm = GetWindowManager();
    TWindow* top = wm != nullptr ? wm->GetTopModal() : nullptr;
    return top != nullptr ? top->FindChild(name, -1) : nullptr;
}

void TGameRun::CloseWindow()
{
    Signal(platform::WindowSignal::CloseRequest);
}

void TGameRun::TerminateFromOutside()
{
    Signal(platform::WindowSignal::TerminateRequest);
}

void TGameRun::SetFocus(bool gained)
{
    Signal(gained ? platform::WindowSignal::AppActivated : platform::WindowSignal::AppDeactivated);
}

void TGameRun::PressKey(int32_t virtualKey)
{
    Push(kEventKeyDown, 0, 0, virtualKey);
    if (const int32_t c = platform::ControlCharacterFor(virtualKey, false, false))
        Push(kEventCharUtf8, 0, 0, c);
    Push(kEventKeyUp, 0, 0, virtualKey);
}

std::string TGameRun::FailureText() const
{
    std::string out;
    for (const std::string& line : failures_) out += line + "\n";
    return out;
}

void TGameRun::TypeText(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c)
        Push(kEventCharUtf8, 0, 0, static_cast<unsigned char>(*c));
}

bool TGameRun::Click(const char* name)
{
    TWindow* w = FindBelowTop(name);
    if (w == nullptr) return false;
    const TRect r = w->GetScreenRect();
    const int32_t x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    Push(kEventMouseMove, x, y, 0);
    Push(kEventLeftDown, x, y, 0);
    Push(kEventLeftUp, x, y, 0);
    return true;
}

void TGameRun::ClickAt(int32_t x, int32_t y)
{
    Push(kEventMouseMove, x, y, 0);
    Push(kEventLeftDown, x, y, 0);
    Push(kEventLeftUp, x, y, 0);
}

uint32_t TGameRun::FramePixel(int x, int y)
{
    TDisplayHandler* display = GetDisplayHandler();
    IGfxDevice* device = display != nullptr ? display->GetDevice() : nullptr;
    uint32_t p = 0;
    if (device == nullptr || device->ReadBack({x, y, x + 1, y + 1}, &p) != GFX_OK)
        return 0xFFFFFFFFu;
    return p & 0x00FFFFFFu;
}

}  // namespace gametest
