// The set-up the graphics benchmarks share: a temporary asset folder that
// becomes the current folder (its files found by their plain names), the
// global asset manager, and the drawing context over a hidden SDL window.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"

class BenchDisplay
{
public:
    // files: name and bytes of each file put under assets/ before the scan.
    BenchDisplay(int width, int height,
                 std::initializer_list<std::pair<std::string, std::string>> files)
    {
        char pattern[] = "/tmp/orvelle-gfxbench-XXXXXX";
        root_ = mkdtemp(pattern);
        std::filesystem::create_directories(root_ + "/assets");
        for (const auto& [name, bytes] : files)
            std::ofstream(root_ + "/assets/" + name, std::ios::binary) << bytes;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        SetGlobalAssetManager(&manager_);
        window_ = GfxCreateHiddenWindow(width, height);
        host_.SetMainWindow(window_);
        TDrawContext::UseDevice(nullptr, &host_);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay(
            {.width = width, .height = height, .force = true, .quiet = true});
    }
    ~BenchDisplay()
    {
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        GfxDestroyWindow(window_);
        SetGlobalAssetManager(nullptr);
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(root_);
    }
    BenchDisplay(const BenchDisplay&) = delete;
    BenchDisplay& operator=(const BenchDisplay&) = delete;

    TDrawContext* dc = nullptr;

private:
    std::string root_;
    std::filesystem::path previous_;
    TAssetManager manager_;
    TDrawContextHost host_;
    void* window_ = nullptr;
};

// One frame of draw inside BeginDraw and Begin2d, without a present.
inline void BenchFrame(TDrawContext* dc, const std::function<void()>& draw)
{
    dc->BeginDraw(false);
    dc->Begin2d();
    draw();
    dc->End2d();
    dc->EndDraw(false);
}
