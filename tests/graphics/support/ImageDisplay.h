// A headless display for texture and drawing-context tests: the drawing
// context over the real SDL device in a hidden window, a host that never
// sleeps, exits or shows boxes, and back-buffer read-back.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "platform/gfx/Device.h"

class ImageTestHost : public TDrawContextHost
{
public:
    std::vector<std::string> messages;
    std::vector<int> exits;
    void Sleep(uint32_t) override {}
    void ShowMessage(const char* text, const char* caption) override
    {
        messages.push_back(std::string(caption) + ": " + text);
    }
    void ExitProcess(int code) override { exits.push_back(code); }
    void PostQuit(int) override {}
};

class ImageDisplay
{
public:
    explicit ImageDisplay(int width = 160, int height = 120) : width_(width), height_(height)
    {
        window_ = GfxCreateHiddenWindow(width, height);
        host.SetMainWindow(window_);
        host.SetFixedTime(true, 1000);
        TDrawContext::UseDevice(nullptr, &host);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay(
            {.width = width, .height = height, .force = true, .quiet = true});
    }
    ~ImageDisplay()
    {
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
        if (window_) GfxDestroyWindow(window_);
        GfxQuitVideo();
    }
    ImageDisplay(const ImageDisplay&) = delete;
    ImageDisplay& operator=(const ImageDisplay&) = delete;

    bool Ready() const { return window_ && dc->GetDisplayHandler()->IsReady(); }
    IGfxDevice* Device() const { return dc->GetDisplayHandler()->GetDevice(); }

    // Back-buffer pixel as 0x00RRGGBB (alpha masked off).
    uint32_t Pixel(int x, int y) const
    {
        uint32_t p = 0;
        Device()->ReadBack({x, y, x + 1, y + 1}, &p);
        return p & 0x00FFFFFFu;
    }
    // Clears the back buffer to opaque black outside any frame.
    void Clear() { Device()->ColorFill(nullptr, {0, 0, width_, height_}, 0xFF000000u); }

    ImageTestHost host;
    TDrawContext* dc = nullptr;

private:
    int width_, height_;
    void* window_ = nullptr;
};

// Channel-wise closeness of two 0xRRGGBB values.
inline ::testing::AssertionResult RgbNear(uint32_t got, uint32_t want, int tolerance = 8)
{
    for (int s = 0; s < 24; s += 8)
    {
        const int g = int((got >> s) & 255), w = int((want >> s) & 255);
        if (std::abs(g - w) > tolerance)
        {
            char text[80];
            snprintf(text, sizeof text, "got 0x%06X, want 0x%06X (+-%d)", got, want, tolerance);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}
