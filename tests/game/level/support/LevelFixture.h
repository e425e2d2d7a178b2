// A level logic made on its own for tests: the fake factory, HUD and helper
// installed, the clock source stepped by hand (16 ms a frame), a fixed seed,
// no resource group loaded (every picture empty), and the sounds recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/support/FakeClock.h"
#include "game/level/GameLogic.h"
#include "game/level/support/LevelFakes.h"

class LevelFixture : public ::testing::Test
{
protected:
    static constexpr uint32_t kFrameMs = 16;

    LevelFixture()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        auto factory = std::make_unique<FakeFactory>();
        factory_ = factory.get();
        SetLevelHudMaker([this](TGameLogic&) {
            auto hud = std::make_unique<FakeHud>();
            hud_ = hud.get();
            return hud;
        });
        SetLevelHelper(&helper_);
        level_ = std::make_unique<TGameLogic>(std::move(factory), 1234);
        level_->SetSoundSink([this](const TString& name, bool loop, bool stop) {
            sounds_.push_back(std::string(stop ? "stop " : loop ? "loop " : "") + name.CStr());
        });
        level_->BeginLevel(1, 0);
    }
    ~LevelFixture() override
    {
        level_.reset();
        SetLevelHelper(nullptr);
        SetLevelHudMaker(nullptr);
        SetClockTimeSource(nullptr);
    }

    void Advance(uint32_t ms) { fake_clock::gNow += ms; }
    // One frame: 16 ms, then an update.
    void Frame(int count = 1)
    {
        for (int i = 0; i < count; ++i)
        {
            Advance(kFrameMs);
            level_->Update();
        }
    }
    Economic& Eco() { return level_->GetEconomic(); }
    size_t SoundCount(const std::string& name) const
    {
        size_t n = 0;
        for (const std::string& s : sounds_)
            if (s == name) ++n;
        return n;
    }

    FakeFactory* factory_ = nullptr;
    FakeHud* hud_ = nullptr;
    FakeHelper helper_;
    std::unique_ptr<TGameLogic> level_;
    std::vector<std::string> sounds_;
};
