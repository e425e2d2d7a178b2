// A level logic for the level data tests: the fake factory, HUD and helper,
// the clock stepped by hand, a fixed seed, a string table the loaders look
// their labels up in, and either a private asset folder the test writes
// scripts into or the game's own assets.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/AssetIndex.h"
#include "core/FileTestSupport.h"
#include "core/StringTable.h"
#include "core/support/FakeClock.h"
#include "game/level/GameLogic.h"
#include "game/level/support/LevelFakes.h"
#include "ui/WindowAppLink.h"

class LevelDataFixture : public ::testing::Test
{
protected:
    static constexpr uint32_t kSeed = 1234;

    class TStringsLink : public TWindowAppLink
    {
    public:
        TStringTable* GetStringTable() const override { return const_cast<TStringTable*>(&strings); }
        TStringTable strings;
    };

    LevelDataFixture()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        SetLevelHudMaker([this](TGameLogic&) {
            auto hud = std::make_unique<FakeHud>();
            hud_ = hud.get();
            return hud;
        });
        SetLevelHelper(&helper_);
        SetWindowAppLink(&link_);
        PutAsset("resources.lua", "");
    }
    ~LevelDataFixture() override
    {
        level_.reset();
        SetWindowAppLink(nullptr);
        SetLevelHelper(nullptr);
        SetLevelHudMaker(nullptr);
        SetClockTimeSource(nullptr);
        std::filesystem::current_path(tree_.Root());
    }

    // Writes assets/<name> and makes it resolvable.
    void PutAsset(const std::string& name, const std::string& text)
    {
        tree_.Write("assets/" + name, text);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
    }
    // The label rows of a string table.
    void PutStrings(const std::vector<std::pair<std::string, std::string>>& rows)
    {
        std::string sheet = "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n";
        for (const auto& [label, text] : rows)
            sheet += "<Row><Cell><Data>" + label + "</Data></Cell><Cell><Data>" + text + "</Data></Cell></Row>\n";
        sheet += "</Table></Worksheet></Workbook>\n";
        link_.strings.AddBuffer(sheet.data(), sheet.size());
    }
    // The game's assets and strings, found as the game finds them.
    void UseShippedAssets()
    {
        std::filesystem::current_path(ORVELLE_SOURCE_DIR);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        ASSERT_TRUE(link_.strings.LoadFile("strings.xml"));
    }
    // A level logic made now (it reads the game's info script).
    void Make()
    {
        level_.reset();
        auto factory = std::make_unique<FakeFactory>();
        factory_ = factory.get();
        level_ = std::make_unique<TGameLogic>(std::move(factory), kSeed);
    }
    // What the level start does with the data: groups, a begun level, the load.
    void Start(int32_t level, bool restoring = false)
    {
        if (!level_) Make();
        groups_.clear();
        level_->ListLevelResources(level, groups_);
        level_->BeginLevel(level, level_->GetLevelLocation());
        level_->SetRestoring(restoring);
        level_->LoadLevel();
    }
    std::string Log() const { return tree_.Log(); }
    int LogCount(const std::string& text) const
    {
        const std::string log = Log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
    std::vector<std::string> Groups() const
    {
        std::vector<std::string> names;
        for (const TString& g : groups_) names.emplace_back(g.CStr());
        return names;
    }

    filetest::TempTree tree_;
    TStringsLink link_;
    FakeFactory* factory_ = nullptr;
    FakeHud* hud_ = nullptr;
    FakeHelper helper_;
    std::unique_ptr<TGameLogic> level_;
    std::vector<TString> groups_;
};
