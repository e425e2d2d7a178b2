// A display host for tests: records message boxes, exits and asset passes,
// never sleeps or exits for real, and keeps the log in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Folders.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "graphics/DisplayHost.h"

class TestDisplayHost : public TDisplayHost
{
public:
    uint32_t now = 100000;
    bool active = true;
    bool foreground = true;
    bool suspended = false;
    bool pq = false;
    bool external = false;
    bool drawing = false;
    bool is2d = true;
    void* window = nullptr;
    std::vector<std::string> messages;  // "caption: text"
    std::vector<int> exits;
    std::vector<int> quits;
    int released = 0, restored = 0, invalidated = 0, idlePasses = 0, oovm = 0;
    GfxTexture* current = nullptr;
    GfxTexture* capture = nullptr;
    bool captureReturned = false;

    uint32_t GetTime() override { return now; }
    void Sleep(uint32_t ms) override { now += ms; }
    bool IsActive() override { return active; }
    bool IsSuspended() override { return suspended; }
    bool IsForeground() override { return foreground; }
    bool HasPqSwitch() override { return pq; }
    bool HasExternalParent() override { return external; }
    void* GetMainWindow() override { return window; }
    void ReleaseAllAssets() override { ++released; }
    void RestoreAllAssets() override { ++restored; }
    int GetAssetCount() override { return 0; }
    void RunIdleTasks() override { ++idlePasses; }
    void InvalidateWindows() override { ++invalidated; }
    void ReportOutOfVideoMemory() override
    {
        ++oovm;
        TDisplayHost::ReportOutOfVideoMemory();
    }
    void ShowMessage(const char* text, const char* caption) override
    {
        messages.push_back(std::string(caption) + ": " + text);
    }
    void ExitProcess(int code) override { exits.push_back(code); }
    void PostQuit(int code) override { quits.push_back(code); }
    bool IsDrawing() override { return drawing; }
    bool Is2d() override { return is2d; }
    GfxTexture* GetCurrentTexture() override { return current; }
    void SetCurrentTexture(GfxTexture* t) override { current = t; }
    GfxTexture* TakeCaptureTexture() override
    {
        GfxTexture* t = capture;
        capture = nullptr;
        return t;
    }
    void GiveBackCaptureTexture(GfxTexture* t) override
    {
        capture = t;
        captureReturned = true;
    }
};

// A private log folder (and data folders) for one test; removed afterwards.
class TempLog
{
public:
    TempLog()
    {
        char tmpl[] = "/tmp/gfxtestXXXXXX";
        char* d = mkdtemp(tmpl);
        dir_ = d ? d : "/tmp";
        setenv("XDG_DATA_HOME", dir_.c_str(), 1);
        SetLogFolder(dir_.c_str());
        SetCommonDataFolder(dir_.c_str());
        SetUserDataFolder(dir_.c_str());
        ClearSettings();
    }
    ~TempLog()
    {
        SetLogFolder(nullptr);
        SetCommonDataFolder("");
        SetUserDataFolder("");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Text() const
    {
        std::ifstream in(GetLogPath().CStr());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool Has(const std::string& line) const { return Text().find(line) != std::string::npos; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};
