// A HUD on a level logic made on its own: the fake factory and helper, the
// clock source stepped by hand, a private asset folder the test writes the
// layout script, labels and pictures into, a hidden display for the
// pictures, and the sounds recorded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/AssetManager.h"
#include "core/StringTable.h"
#include "core/support/FakeClock.h"
#include "game/app/Res.h"
#include "game/app/Singleton.h"
#include "game/hud/Hud.h"
#include "game/level/GameLogic.h"
#include "graphics/AnimatedTexture.h"
#include "game/level/support/LevelFakes.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/ImageFixtures.h"
#include "graphics/support/RecordingScene.h"
#include "ui/WindowAppLink.h"

// The string table the HUD resolves its labels with.
class HudTestLink : public TWindowAppLink
{
public:
    TStringTable* GetStringTable() const override { return table; }
    TStringTable* table = nullptr;
};

class HudFixture : public ::testing::Test
{
public:
    // recording: the pictures go to the recording device instead of a
    // hidden display.
    explicit HudFixture(bool recording = false)
    {
        if (recording)
            scene_ = std::make_unique<RecordingScene>();
        else
            display_ = std::make_unique<ImageDisplay>(800, 600);
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        SetGlobalAssetManager(&manager_);
        RegisterTextureAssetLoader();
        RegisterAnimatedTextureAssetLoader();
        SetLevelHelper(&helper_);
        SetWindowAppLink(&link_);
        SetLevelHudMaker([this](TGameLogic& level) {
            auto hud = MakeGameHud(level);
            hud_ = static_cast<HUD*>(hud.get());
            return hud;
        });
    }
    ~HudFixture() override
    {
        level_.reset();
        DestroySingletons();
        display_.reset();
        scene_.reset();
        if (shipped_) std::filesystem::current_path(assets_.Tree().Root());
        ClearAssetLoaders();
        SetGlobalAssetManager(nullptr);
        SetLevelHudMaker(nullptr);
        SetWindowAppLink(nullptr);
        SetLevelHelper(nullptr);
        SetClockTimeSource(nullptr);
    }

    void PutLayout(const std::string& lua) { assets_.Put("scripts/game_logic/hud.lua", lua); }
    // Labels: pairs (label, text).
    void PutStrings(const std::vector<std::pair<std::string, std::string>>& rows)
    {
        std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Workbook><Worksheet><Table>\n";
        for (const auto& [label, text] : rows)
            xml += "<Row><Cell><Data>" + label + "</Data></Cell><Cell><Data>" + text + "</Data></Cell></Row>\n";
        xml += "</Table></Worksheet></Workbook>\n";
        assets_.Put("strings.xml", xml);
        strings_ = std::make_unique<TStringTable>();
        strings_->LoadFile("strings.xml");
        link_.table = strings_.get();
    }
    // A w x h picture, transparent but for the opaque rectangle (x, y, w, h).
    void PutPicture(const std::string& path, int w, int h, TRect opaque, uint32_t colour = 0xFF808080u)
    {
        std::vector<uint32_t> px(static_cast<size_t>(w * h), 0u);
        for (int y = opaque.top; y < opaque.top + opaque.bottom && y < h; ++y)
            for (int x = opaque.left; x < opaque.left + opaque.right && x < w; ++x)
                px[static_cast<size_t>(y * w + x)] = colour;
        assets_.Put(path + ".png", imagefx::PngFromArgb(w, h, px));
        pictures_.push_back(path);
    }
    // Lists the pictures put so far as the "hud" group and loads it.
    bool LoadPictures()
    {
        if (display_ ? !display_->Ready() : !scene_->Ready()) return false;
        std::string lua = "hud = {\n";
        for (const std::string& p : pictures_) lua += "  '" + p + "',\n";
        lua += "}\n";
        assets_.Put("resources.lua", lua);
        TRes::GetInstance()->LoadGroupNow("hud");
        return true;
    }
    // The game's own assets instead of the private folder: the shipped
    // layout, labels and the "hud" group, found as the game finds them.
    bool UseShippedAssets()
    {
        if (display_ ? !display_->Ready() : !scene_->Ready()) return false;
        std::filesystem::current_path(ORVELLE_SOURCE_DIR);
        shipped_ = true;
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        strings_ = std::make_unique<TStringTable>();
        if (!strings_->LoadFile("strings.xml")) return false;
        link_.table = strings_.get();
        TRes::GetInstance()->LoadGroupNow("hud");
        return TRes::GetInstance()->IsGroupLoaded("hud");
    }
    // A level of that number with its HUD built.
    HUD& Start(int32_t levelNumber = 1)
    {
        level_ = std::make_unique<TGameLogic>(std::make_unique<FakeFactory>(), 1234);
        level_->SetSoundSink([this](const TString& name, bool loop, bool stop) {
            sounds_.push_back(std::string(stop ? "stop " : loop ? "loop " : "") + name.CStr());
        });
        level_->BeginLevel(levelNumber, 0);
        return *hud_;
    }
    void Advance(uint32_t ms) { fake_clock::gNow += ms; }

    ImageAssets assets_;
    TAssetManager manager_;
    std::unique_ptr<ImageDisplay> display_;
    std::unique_ptr<RecordingScene> scene_;
    HudTestLink link_;
    std::unique_ptr<TStringTable> strings_;
    std::vector<std::string> pictures_;
    FakeHelper helper_;
    std::unique_ptr<TGameLogic> level_;
    HUD* hud_ = nullptr;
    // How many times the named sound was played.
    size_t Sounds(const std::string& name) const
    {
        size_t n = 0;
        for (const auto& s : sounds_) n += s == name ? 1 : 0;
        return n;
    }

    std::vector<std::string> sounds_;
    bool shipped_ = false;
};
