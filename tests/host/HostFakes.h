// Recording stand-ins for the services the host uses, a fake clock, and a
// fixture that gives each test fresh settings, folders and services.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/Folders.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "host/App.h"
#include "host/AppHost.h"
#include "host/GetNextEvent.h"
#include "host/HostServices.h"
#include "platform/null/NullWindow.h"

namespace hostfakes
{

// Everything the fakes see, in order, as "who:what" lines.
inline std::vector<std::string>& Journal()
{
    static std::vector<std::string> j;
    return j;
}
inline void Note(const std::string& line)
{
    Journal().push_back(line);
}

// Fake time: sleeping advances it.
inline uint32_t& Now()
{
    static uint32_t now = 0;
    return now;
}

struct FakeWindowManager : THostWindowManager
{
    FakeWindowManager() { Note("wm:new"); }
    ~FakeWindowManager() override { Note("wm:delete"); }
    void Invalidate() override { ++invalidations; }
    bool HasRootWindow() const override { return root; }
    void CreateRootScreen(int w, int h) override
    {
        root = true;
        Note("wm:root " + std::to_string(w) + "x" + std::to_string(h));
    }
    void CreateWindowScript() override { Note("wm:script"); }
    bool SetTranslateLabels(bool t) override
    {
        bool was = translate;
        translate = t;
        return was;
    }
    void StopMovieIfPlaying() override { Note("wm:stopmovie"); }
    bool IsMoviePlaying() const override { return moviePlaying; }
    bool IsMovieInput() const override { return movieInput; }

    int invalidations = 0;
    bool root = false;
    bool translate = false;
    bool moviePlaying = false;
    bool movieInput = false;
};

struct FakeSound : THostSoundManager
{
    FakeSound() { Note("sound:new"); }
    ~FakeSound() override { Note("sound:delete"); }
    bool Init() override
    {
        Note("sound:init");
        return true;
    }
    void Update() override { ++updates; }
    void Enable(bool on) override { Note(on ? "sound:on" : "sound:off"); }
    int updates = 0;
};

// A display handler that notes what the host asks of it; its state is set
// by the test.
struct FakeDisplay : THostDisplay
{
    bool SetDisplayMode(int w, int h, bool f) override
    {
        Note("display:mode " + std::to_string(w) + "x" + std::to_string(h) +
             (f ? " full" : " windowed"));
        width = w;
        height = h;
        fullScreen = f;
        return true;
    }
    void AfterModeSet(bool first) override
    {
        Note(first ? "display:after first" : "display:after");
    }
    bool IsFullScreen() const override { return fullScreen; }
    bool SetWindowed(bool windowed) override
    {
        Note(windowed ? "display:windowed" : "display:fullscreen");
        fullScreen = !windowed;
        return true;
    }
    void GetDisplaySize(int& w, int& h, bool& f) const override
    {
        w = width;
        h = height;
        f = fullScreen;
    }
    bool IsDeviceValid() const override { return deviceValid; }
    void Restore() override
    {
        Note("display:restore");
        deviceValid = true;
    }
    bool IsFlipDone() const override { return true; }
    bool RestoreAssets() override { return true; }
    void ReportOutOfVideoMemory() override { ++outOfMemoryReports; }
    void SetVsync(bool on) override { Note(on ? "display:vsync on" : "display:vsync off"); }
    void SetCursorVisible(bool v) override
    {
        Note(v ? "display:cursor shown" : "display:cursor hidden");
    }
    void SetCursor(const std::shared_ptr<TTexture>&, int, int, bool overlay) override
    {
        Note(overlay ? "display:overlay cursor" : "display:cursor");
    }
    std::shared_ptr<TTexture> LoadCursorImage(const TString& name) override
    {
        Note(std::string("display:load ") + name.CStr());
        return nullptr;
    }
    void GetMouseImagePos(int& x, int& y) const override
    {
        x = mouseX;
        y = mouseY;
    }
    void OnMouseMove(int, int) override {}
    void RedrawMouseRect() override { Note("display:redraw mouse"); }
    void ClearRedrawFlag() override { Note("display:clear redraw"); }
    void ToggleDebugOverlay() override { Note("display:overlay"); }
    void GetViewport(float& sx, float& sy, int& ox, int& oy) const override
    {
        sx = sy = 1;
        ox = oy = 0;
    }

    bool deviceValid = true;
    bool fullScreen = false;
    int width = 0;
    int height = 0;
    int mouseX = 0;
    int mouseY = 0;
    int outOfMemoryReports = 0;
};

struct FakeGameState : THostGameState
{
    FakeGameState() { Note("gs:new"); }
    ~FakeGameState() override { Note("gs:delete"); }
    void SetState(const TString& key, const TString& value) override
    {
        Note(std::string("gs:") + key.CStr() + "=" + value.CStr());
    }
    void SetStateInt(const TString& key, int value) override
    {
        Note(std::string("gs:") + key.CStr() + "=" + std::to_string(value) + " @" +
             std::to_string(Now()));
    }
    bool IsHeld() override
    {
        if (heldCalls > 0)
        {
            --heldCalls;
            return true;
        }
        return false;
    }
    bool LoadModule(const TString& path) override
    {
        std::string p = path.CStr();
        Note("gs:module " + p.substr(p.rfind('/') + 1));
        return true;
    }
    void AddFirstPeekHandler() override { Note("gs:firstpeek"); }
    void AddPostMetricsHandler() override { Note("gs:postmetrics"); }
    void EnableMsnMode() override { Note("gs:msn"); }
    void EnableZylomMode() override { Note("gs:zylom"); }
    void EnablePortalHandler() override { Note("gs:portal"); }
    bool IsZylomMode() const override { return false; }
    uint32_t GetHostPausedTime() const override { return pausedTime; }

    int heldCalls = 0;
    uint32_t pausedTime = 0;
};

// The host's stand-ins, registered in the framework services, with the
// window kept reachable for the test.
struct Services
{
    platform::NullWindow* window = nullptr;
    FakeGameState* gameState = nullptr;
    FakeWindowManager* windowManager = nullptr;
    bool windowFails = false;

    void Install()
    {
        auto& s = GetFrameworkServices();
        s = TFrameworkServices();
        s.makeWindow = [this]() -> std::unique_ptr<platform::Window>
        {
            auto w = std::make_unique<platform::NullWindow>();
            w->createFails = windowFails;
            window = w.get();
            Note("window:new");
            return w;
        };
        s.makeWindowManager = [this]() -> THostWindowManager*
        {
            windowManager = new FakeWindowManager();
            return windowManager;
        };
        s.makeSoundManager = []() -> THostSoundManager* { return new FakeSound(); };
        s.makeGameState = [this]() -> THostGameState*
        {
            gameState = new FakeGameState();
            return gameState;
        };
        s.tickSource = [] { return Now(); };
        s.sleep = [](uint32_t ms) { Now() += ms; };
        s.instanceName = TString(("h6test_" + std::to_string(getpid())).c_str());
    }
};

// Fresh global state for each test: settings, asset index, folders in a
// temporary XDG data folder, services, journal and clock.
class HostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/h6hostXXXXXX";
        dir_ = mkdtemp(tmpl);
        setenv("XDG_DATA_HOME", (dir_ + "/data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        cwd_ = std::filesystem::current_path();
        ClearSettings();
        ClearAssetIndex();
        Journal().clear();
        Now() = 1000;
        services.Install();
    }
    void TearDown() override
    {
        SetLogFolder(nullptr);
        GetFrameworkServices() = TFrameworkServices();
        ClearSettings();
        ClearAssetIndex();
        std::filesystem::current_path(cwd_);
        std::filesystem::remove_all(dir_);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_RUNTIME_DIR");
    }

    const std::string& Dir() const { return dir_; }

    Services services;

private:
    std::string dir_;
    std::filesystem::path cwd_;
};

// Deletes the managers a facade would delete before its host goes.
inline void DeleteHostManagers(TAppHost& host)
{
    delete host.GetGameState();
    host.SetGameState(nullptr);
    delete host.GetSoundManager();
    host.SetSoundManager(nullptr);
    delete host.GetWindowManager();
    host.SetWindowManager(nullptr);
}

// A host without a facade, taken apart after each test.
class BareHostTest : public HostTest
{
protected:
    void TearDown() override
    {
        if (host)
        {
            DeleteHostManagers(*host);
            host.reset();
        }
        HostTest::TearDown();
    }
    TEvent Fetch()
    {
        TEvent ev;
        GetNextEvent(*host, ev);
        return ev;
    }

    std::unique_ptr<TAppHost> host;
};

}  // namespace hostfakes
