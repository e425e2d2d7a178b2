// A level for the walker tests: the fake level on a hand-stepped clock, a
// private asset folder the walker scripts are written into, and helpers to
// make grids, stalls and the frames the level would run.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "core/AssetIndex.h"
#include "core/FileTestSupport.h"
#include "core/support/FakeClock.h"
#include "game/level/support/FakeLevel.h"

class WalkerFixture : public ::testing::Test
{
protected:
    static constexpr uint32_t kFrameMs = 16;

    WalkerFixture()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        level_ = std::make_unique<FakeLevel>();
        // No resource group: every picture is empty.
        PutAsset("resources.lua", "");
    }
    ~WalkerFixture() override
    {
        level_.reset();
        SetClockTimeSource(nullptr);
    }

    // Writes assets/<name> and makes it resolvable.
    void PutAsset(const std::string& name, const std::string& text)
    {
        tree_.Write("assets/" + name, text);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
    }
    void Advance(uint32_t ms) { fake_clock::gNow += ms; }
    // Frames of 16 ms, each running update; stops early once until holds.
    // Returns the frames run.
    int Frames(int count, const std::function<void()>& update, const std::function<bool()>& until = nullptr)
    {
        for (int i = 0; i < count; ++i)
        {
            if (until && until()) return i;
            Advance(kFrameMs);
            update();
        }
        return count;
    }
    std::string Log() const { return tree_.Log(); }
    // The centre of a cell, in pixels.
    static TPoint Centre(int column, int row) { return TPoint(column * 20 + 10, row * 10 + 5); }

    filetest::TempTree tree_;
    std::unique_ptr<FakeLevel> level_;
};
