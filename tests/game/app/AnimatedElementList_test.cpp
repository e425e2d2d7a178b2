// The animated element list on a stepped clock: phases and their ends,
// loops, the rotation, scale and alpha curves and what a phase change
// writes.
#include "game/app/AnimatedElementList.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Clock.h"
#include "core/FileTestSupport.h"
#include "game/app/MySprite.h"

namespace
{

using SStep = TAnimatedElementList::SStep;

SStep Step(int32_t duration, float turns = 0.0f, float scaleStart = 1.0f, float scaleEnd = 1.0f,
           float alphaFraction = 0.0f)
{
    SStep s;
    s.duration = duration;
    s.name = "menu:images/flash";
    s.turns = turns;
    s.scaleStart = scaleStart;
    s.scaleEnd = scaleEnd;
    s.alphaFraction = alphaFraction;
    return s;
}

class AnimatedElementListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock_.SetTime(0);  // paused: the test moves it
    }
    // Sets the clock to ms and steps the list.
    void At(int32_t ms)
    {
        clock_.SetTime(ms);
        list_.Update();
    }
    TMySprite& Sprite(int32_t i = 0) { return *list_.GetElement(i).sprite; }

    filetest::TempTree tree_;
    TClock clock_;
    TAnimatedElementList list_;
};

TEST_F(AnimatedElementListTest, NeverStartedStandsStill)
{
    EXPECT_EQ(list_.GetFirstPhase(), -1) << "an empty list has no first phase";
    list_.AddElement(Step(100, 1.0f, 0.5f, 2.0f, 0.5f), Step(100));
    list_.SetClock(&clock_);
    for (int32_t t : {0, 50, 500}) At(t);
    EXPECT_FALSE(list_.HasEnded());
    EXPECT_EQ(list_.GetFirstPhase(), -1);
    EXPECT_EQ(Sprite().GetRotation(), 0.0f);
    EXPECT_EQ(Sprite().GetScale().x, 1.0f);
    EXPECT_EQ(list_.GetCount(), 1);
}

// Two elements, 100 + 200 ms and 300 + 50 ms, stepped every 10 ms.
TEST_F(AnimatedElementListTest, EndsAfterTheLongestInPlusOutUnlessLooping)
{
    for (bool loop : {false, true})
    {
        SCOPED_TRACE(loop);
        TAnimatedElementList list;
        list.AddElement(Step(100), Step(200));
        list.AddElement(Step(300), Step(50));
        list.SetClock(&clock_);
        clock_.SetTime(0);
        list.Start(loop);
        int32_t ended = -1;
        for (int32_t t = 10; t <= 5000 && ended < 0; t += 10)
        {
            clock_.SetTime(t);
            list.Update();
            if (list.HasEnded()) ended = t;
        }
        if (loop)
        {
            EXPECT_EQ(ended, -1);
        }
        else
        {
            // The last phase change happens at 350; the frame after it finds
            // every element done.
            EXPECT_EQ(ended, 360);
            EXPECT_EQ(list.GetFirstPhase(), 2);
        }
    }
}

TEST_F(AnimatedElementListTest, CurvesOverEachPhase)
{
    // In: 1 turn, scale 0.5 -> 1.5, alpha over the first 0.01 of 4000 ms.
    // Out: half a turn back, scale 1 -> 0, alpha over the last quarter.
    list_.AddElement(Step(4000, 1.0f, 0.5f, 1.5f, 0.01f), Step(1000, -0.5f, 1.0f, 0.0f, 0.25f));
    list_.SetClock(&clock_);
    list_.Start(false);
    struct Case
    {
        int32_t t;
        int32_t phase;
        float rotation, scale, alpha;
    };
    const Case cases[] = {
        {0, 0, 0.0f, 0.5f, 0.0f},
        {20, 0, 6.28f * 0.005f, 0.505f, 0.5f},
        {39, 0, 6.28f * 39 / 4000, 0.5f + 39 / 4000.0f, 0.975f},
        {40, 0, 6.28f * 0.01f, 0.51f, 1.0f},  // full alpha at 40 ms
        {2000, 0, 3.14f, 1.0f, 1.0f},
        // The phase-change frame: only the out phase's start values; the
        // rotation stays where the last curve frame put it.
        {4000, 1, 3.14f, 1.0f, 1.0f},
        {4100, 1, -3.14f * 0.1f, 0.9f, 1.0f},  // the rotation restarts at 0
        {4750, 1, -3.14f * 0.75f, 0.25f, 1.0f},
        {4900, 1, -3.14f * 0.9f, 0.1f, 0.4f},
        {5000, 2, -3.14f * 0.9f, 0.1f, 0.4f},  // done: keeps its last values
        {9000, 2, -3.14f * 0.9f, 0.1f, 0.4f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.t);
        At(c.t);
        EXPECT_EQ(list_.GetFirstPhase(), c.phase);
        EXPECT_NEAR(Sprite().GetRotation(), c.rotation, 1e-5f);
        EXPECT_NEAR(Sprite().GetScale().x, c.scale, 1e-5f);
        EXPECT_EQ(Sprite().GetScale().y, Sprite().GetScale().x);
        EXPECT_NEAR(Sprite().GetAlpha(), c.alpha, 1e-5f);
    }
}

TEST_F(AnimatedElementListTest, PhaseChangeFrameLeavesTheTransformAlone)
{
    list_.AddElement(Step(100, 1.0f, 1.0f, 2.0f), Step(100, 0.0f, 3.0f, 3.0f));
    list_.SetClock(&clock_);
    list_.SetPosition(40, 30);
    list_.Start(false);
    At(50);
    const TAffineMatrix before = Sprite().GetDrawParams().matrix;
    At(100);
    EXPECT_EQ(Sprite().GetScale().x, 3.0f);
    EXPECT_EQ(Sprite().GetScale().y, 3.0f);
    EXPECT_EQ(Sprite().GetDrawParams().matrix.m0.x, before.m0.x)
        << "drawn as before until the next step";
    EXPECT_EQ(Sprite().GetDrawParams().matrix.m2.x, 40.0f);
    At(110);
    EXPECT_NEAR(Sprite().GetDrawParams().matrix.m0.x, 3.0f, 1e-5f);
    EXPECT_EQ(Sprite().GetDrawParams().matrix.m2.y, 30.0f);
}

TEST_F(AnimatedElementListTest, LoopGoesBackToTheInPhaseFromAlphaZero)
{
    list_.AddElement(Step(100, 1.0f, 0.5f, 1.0f, 0.5f), Step(100, 1.0f, 1.0f, 2.0f));
    list_.SetClock(&clock_);
    list_.Start(true);
    At(100);
    At(150);
    At(200);  // back to the in phase
    EXPECT_EQ(list_.GetFirstPhase(), 0);
    EXPECT_EQ(Sprite().GetAlpha(), 0.0f);
    EXPECT_EQ(Sprite().GetScale().x, 0.5f);
    At(225);
    EXPECT_NEAR(Sprite().GetAlpha(), 0.5f, 1e-6f);
    EXPECT_NEAR(Sprite().GetRotation(), 6.28f * 0.25f, 1e-5f);
}

TEST_F(AnimatedElementListTest, DisabledCurvesKeepTheSpritesOwnValues)
{
    list_.AddElement(Step(100, 1.0f, 0.5f, 1.5f, 0.5f), Step(100, 1.0f, 2.0f, 1.0f, 0.5f));
    list_.SetClock(&clock_);
    list_.SetAlphaEnabled(false);
    list_.SetScaleEnabled(false);
    Sprite().SetAlpha(0.3f);
    Sprite().SetScale(0.7f, 0.7f);
    list_.Start(false);
    for (int32_t t : {10, 50, 100, 120, 190})
    {
        SCOPED_TRACE(t);
        At(t);
        EXPECT_EQ(Sprite().GetAlpha(), 0.3f);
        EXPECT_EQ(Sprite().GetScale().x, 0.7f);
    }
    EXPECT_NEAR(Sprite().GetRotation(), 6.28f * 0.9f, 1e-5f) << "the rotation is always written";
}

TEST_F(AnimatedElementListTest, ZeroLengthsAreCompleteAtOnce)
{
    // No in phase, no fades: nothing divides by 0.
    list_.AddElement(Step(0, 1.0f, 1.0f, 2.0f, 0.0f), Step(100, 1.0f, 1.0f, 2.0f, 0.0f));
    list_.AddElement(Step(100, 1.0f, 1.0f, 2.0f, 0.0f), Step(0));
    list_.SetClock(&clock_);
    list_.Start(false);
    At(0);
    EXPECT_EQ(list_.GetElement(0).phase, 1);
    EXPECT_EQ(list_.GetElement(1).phase, 0);
    EXPECT_EQ(Sprite(1).GetAlpha(), 1.0f) << "a fade of 0 ms is complete";
    At(50);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_TRUE(std::isfinite(Sprite(i).GetAlpha()));
        EXPECT_EQ(Sprite(i).GetAlpha(), 1.0f);
        EXPECT_NEAR(Sprite(i).GetScale().x, 1.5f, 1e-6f);
    }
    At(100);
    At(100);
    EXPECT_EQ(list_.GetElement(1).phase, 2);
    At(101);
    EXPECT_TRUE(list_.HasEnded());
}

}  // namespace
