// The cursor trail with the shipped particle file and picture: it follows
// the pointer, and the system pointer image hides it without remaking it.
#include "game/app/MyCursor.h"

#include <gtest/gtest.h>

#include "core/FileTestSupport.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"
#include "sound/support/OggFixtures.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class MyCursorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene_.Ready());
        SetParticleRandomSeed(0);
        const std::filesystem::path shipped = std::filesystem::path(ORVELLE_SOURCE_DIR) / "assets";
        for (const char* file : {"mouse_move.psi", "mouse_move.png"})
        {
            const std::string rel = std::string("images/core/particle/") + file;
            assets_.Put(rel, filetest::ReadAll(shipped / rel));
        }
    }
    // One frame 20 ms after the last with the pointer at (x, y); the number
    // of particles drawn.
    size_t Frame(TMyCursor& cursor, int x, int y)
    {
        TFakeTime::Advance(20);
        scene_.Frame([&] { cursor.DrawAt(x, y); });
        return scene_.device.draws.size();
    }

    TFakeTime time_;
    RecordingScene scene_;
    ImageAssets assets_;
};

TEST_F(MyCursorTest, TheShippedTrailIsAnEndlessBlendedFadingSpark)
{
    TMyCursor cursor;
    const TMyParticleEmitter& e = cursor.GetTrail().GetEmitter();
    ASSERT_NE(e.GetTexture(), nullptr);
    EXPECT_TRUE(e.IsBlended());
    const SParticleParams& p = e.GetFile().params;
    EXPECT_EQ(p.duration, -1.0f);
    EXPECT_GT(p.emissionRate, 0);
    EXPECT_LT(p.sizeEnd, p.sizeStart);
    EXPECT_EQ(p.alphaEnd, 0.0f);
    EXPECT_LT(p.lifeMax, 1.0f) << "a short trail";
    EXPECT_TRUE(cursor.GetTrail().IsActive());
    EXPECT_FALSE(cursor.IsSystemCursor());
    EXPECT_EQ(assets_.Log(), "");
}

TEST_F(MyCursorTest, TheTrailFollowsThePointer)
{
    TMyCursor cursor;
    for (int i = 0; i < 10; ++i) Frame(cursor, 100, 100);
    EXPECT_GT(Frame(cursor, 100, 100), 0u);
    for (int i = 0; i < 5; ++i) Frame(cursor, 400, 300);
    const TMyParticleEmitter& e = cursor.GetTrail().GetEmitter();
    EXPECT_EQ(e.GetPosition().x, 400.0f);
    EXPECT_EQ(e.GetPosition().y, 300.0f);
    // The newest sparks were born along the way to the pointer, the last
    // right by it.
    const SParticle& newest = e.GetParticle(e.GetLiveCount() - 1);
    EXPECT_GT(newest.x, 300.0f);
    EXPECT_GT(newest.y, 220.0f);
}

TEST_F(MyCursorTest, TheSystemPointerHidesTheSameTrail)
{
    TMyCursor cursor;
    TMyParticle* trail = &cursor.GetTrail();
    for (int i = 0; i < 10; ++i) Frame(cursor, 50, 60);
    ASSERT_GT(Frame(cursor, 50, 60), 0u);

    cursor.SetSystemCursor(true);  // "gamecursor" 0
    EXPECT_EQ(Frame(cursor, 50, 60), 0u);
    cursor.Draw();
    EXPECT_EQ(Frame(cursor, 50, 60), 0u);

    cursor.SetSystemCursor(false);  // "gamecursor" 1
    EXPECT_GT(Frame(cursor, 50, 60), 0u);
    EXPECT_EQ(&cursor.GetTrail(), trail) << "shown again, not remade";
}

}  // namespace
