// The drawing context over the recording device: frames whose draws are
// kept in order, and textures told apart by the device texture they made.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "platform/null/GfxRecordingDevice.h"

class RecordingScene
{
public:
    RecordingScene()
    {
        TDrawContext::UseDevice(&device, &host);
        dc = TDrawContext::GetInstance();
        dc->GetDisplayHandler()->SetDisplay({.width = 800, .height = 600, .force = true, .quiet = true});
    }
    ~RecordingScene()
    {
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
    }
    RecordingScene(const RecordingScene&) = delete;
    RecordingScene& operator=(const RecordingScene&) = delete;

    bool Ready() const { return dc->GetDisplayHandler()->IsReady(); }

    // An empty w x h texture remembered under name.
    TTextureRef Texture(const std::string& name, int w, int h)
    {
        TTextureRef t = TTexture::CreateEmpty(w, h, true);
        if (t) names_[t->GetDxData()->GetSurface()] = name;
        return t;
    }
    // Runs draw inside one 2D frame; the draws it made are kept in draws.
    void Frame(const std::function<void()>& draw)
    {
        device.draws.clear();
        ASSERT_TRUE(dc->BeginDraw(false));
        ASSERT_TRUE(dc->Begin2d());
        draw();
        dc->End2d();
        dc->EndDraw(false);
    }
    // Names of the textures drawn in the last frame, joined by spaces.
    std::string Order() const
    {
        std::string out;
        for (const auto& d : device.draws)
        {
            auto it = names_.find(d.texture);
            out += (out.empty() ? "" : " ") + (it == names_.end() ? std::string("?") : it->second);
        }
        return out;
    }

    GfxRecordingDevice device;
    TDrawContextHost host;
    TDrawContext* dc = nullptr;

private:
    std::map<const GfxTexture*, std::string> names_;
};
