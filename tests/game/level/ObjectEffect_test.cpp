// SObjectEffect: reading the four tables of an effect script (start rules,
// end references, extras, anchors, worker texts), references that point
// nowhere, scripts that do not load, and playing the actions and worker
// texts on the effect's clock.
#include "game/level/ObjectEffect.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/support/FakeClock.h"
#include "game/level/support/FakeLevel.h"
#include "game/level/support/LevelFakes.h"
#include "script/HostTestSupport.h"

namespace
{

class ObjectEffectTest : public ::testing::Test
{
protected:
    ObjectEffectTest()
    {
        fake_clock::gNow = 0;
        SetClockTimeSource(&fake_clock::FakeNow);
        level_ = std::make_unique<FakeLevel>();
        clock_.Start();
    }
    ~ObjectEffectTest() override
    {
        level_.reset();
        SetClockTimeSource(nullptr);
    }

    // An effect started with the script text at (100, 200), 3000 ms.
    std::unique_ptr<SObjectEffect> Start(const std::string& text, int32_t workers = 2,
                                         std::vector<TPoint> points = {}, std::vector<TString> texts = {})
    {
        const TString name = folder_.Write("effect_" + std::to_string(++made_) + ".lua", text);
        auto effect = std::make_unique<SObjectEffect>(*level_, &factory_);
        effect->SetExtras(std::move(texts), std::move(points));
        effect->SetActionCallback([this](int32_t kind, float value) { actions_.emplace_back(kind, value); });
        effect->Start(name, 100, 200, 3000, clock_, workers);
        return effect;
    }

    hosttest::TempFolder folder_;
    std::unique_ptr<FakeLevel> level_;
    FakeFactory factory_;
    TClock clock_;
    int made_ = 0;
    std::vector<std::pair<int32_t, float>> actions_;
};

const char kTables[] =
    "Anim = {\n"
    "  {1, 2, 'effect:a', 'DoAnim', 0, 500, 100},\n"   // 2500 .. 2600
    "  {1, 1, 'effect:b', 'DoAnim', 1, 500, -2},\n"    // 500 .. start of step 2
    "  {1, 3, 'effect:c', 'DoAnim', 1, 700, 0},\n"     // 700 .. 0
    "  {1, 0, 'effect:d', 'DoAnim', 1, 0, -9},\n"      // a step that does not exist: 0
    "}\n"
    "Paricle = {\n"
    "  {1, 5, 'p.psi', 'p', 1, 100, 200},\n"           // 100 .. 300
    "  {1, 4, 'q.psi', 'q', 1, 100, 0, 1, 'hand'},\n"  // 100 .. start of step 0
    "}\n"
    "Action = {\n"
    "  {0, 0, 0, 1, 100, 100},\n"
    "  {4, 0, 0.5, 1, 0, -1},\n"
    "}\n"
    "Worker = {\n"
    "  {1, 50, 'Loop'},\n"
    "  {0, 1000, 'Stop'},\n"
    "}\n";

TEST_F(ObjectEffectTest, ReadsTheFourTables)
{
    auto e = Start(kTables);
    EXPECT_EQ(e->GetPosition(), TPoint(100, 187)) << "13 pixels above";
    const auto& anims = e->GetAnimSteps();
    ASSERT_EQ(anims.size(), 4u);
    struct Case
    {
        int32_t start, end;
    };
    const Case steps[] = {{2500, 2600}, {500, 700}, {700, 0}, {0, 0}};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(anims[i].start, steps[i].start) << i;
        EXPECT_EQ(anims[i].end, steps[i].end) << i;
    }
    EXPECT_FLOAT_EQ(anims[0].depth, 2.0f);
    EXPECT_STREQ(anims[0].name.CStr(), "DoAnim");
    const auto& particles = e->GetParticleSteps();
    ASSERT_EQ(particles.size(), 2u);
    EXPECT_EQ(particles[0].end, 300);
    EXPECT_EQ(particles[1].end, 2500);
    EXPECT_TRUE(particles[1].hasAnchor);
    const auto& actions = e->GetActions();
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].start, 100);
    EXPECT_EQ(actions[0].end, 200);
    EXPECT_EQ(actions[1].end, 500) << "the start of animation step 1";
    EXPECT_FLOAT_EQ(actions[1].value3, 0.5f);
    const auto& workers = e->GetWorkerTexts();
    ASSERT_EQ(workers.size(), 3u);
    EXPECT_EQ(workers[0].time, 50);
    EXPECT_EQ(workers[1].time, 2000);
    EXPECT_EQ(workers[2].time, 3010);
    EXPECT_STREQ(workers[2].text.CStr(), "");
    EXPECT_EQ(e->GetNextWorkerText(), 0);
    // Sprites in depth order: d(0), b(1), a(2), c(3), q(4), p(5).
    const auto& sprites = e->GetSprites();
    ASSERT_EQ(sprites.size(), 6u);
    for (size_t i = 1; i < sprites.size(); ++i) EXPECT_LE(sprites[i - 1]->GetUserValue(), sprites[i]->GetUserValue());
    ASSERT_EQ(factory_.figureWorkers.size(), 1u);
    EXPECT_EQ(factory_.figureWorkers[0], 2);
}

TEST_F(ObjectEffectTest, ExtraReferencesAndTheirMisses)
{
    const std::vector<TPoint> points{{1, 1}, {2, 2}, {3, 3}, {40, 50}};
    auto e = Start(
        "Anim = {\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'dop_point_3'},\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'dop_point_12'},\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'dop_point_7'},\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'something'},\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'dop_str_0'},\n"
        "  {1, 0, 'effect:a', 'DoAnim', 1, 0, 0, 'dop_str_5', 42, 'hand'},\n"
        "}\nParicle = {}\nAction = {}\nWorker = {}\n",
        2, points, {"effect:crash_image"});
    const auto& anims = e->GetAnimSteps();
    ASSERT_EQ(anims.size(), 6u);
    const TFloatPoint at = anims[0].sprite->GetPosition();
    EXPECT_FLOAT_EQ(at.x, 40.0f);
    EXPECT_FLOAT_EQ(at.y, 50.0f);
    for (size_t i = 1; i < 6; ++i)
    {
        EXPECT_FLOAT_EQ(anims[i].sprite->GetPosition().x, 100.0f) << i;
        EXPECT_FLOAT_EQ(anims[i].sprite->GetPosition().y, 187.0f) << i;
    }
    // An anchor to a step that does not exist leaves the step where it is.
    EXPECT_TRUE(anims[5].hasAnchor);
    clock_.SetTime(10);
    e->Update();
    EXPECT_FLOAT_EQ(anims[5].sprite->GetPosition().x, 100.0f);
}

TEST_F(ObjectEffectTest, WorkerCountsAreCappedToZeroToSix)
{
    for (int32_t asked : {7, -3, 6, 0})
    {
        factory_.figureWorkers.clear();
        auto e = Start("Anim = {}\nParicle = {}\nAction = {}\nWorker = {}\n", asked);
        ASSERT_EQ(factory_.figureWorkers.size(), 1u);
        EXPECT_EQ(factory_.figureWorkers[0], std::clamp(asked, 0, 6)) << asked;
    }
}

TEST_F(ObjectEffectTest, ABadScriptLeavesAnEmptyEffectAndALogLine)
{
    struct Case
    {
        const char* name;
        const char* text;
        size_t anims;
    };
    const Case cases[] = {
        {"syntax error", "Anim = {{", 0},
        {"tables missing", "Anim = { {1, 0, 'effect:a', 'DoAnim', 1, 0, 0} }\n", 1},
        {"rows not tables", "Anim = {1, 2, 'x'}\nParicle = {5}\nAction = {'a'}\nWorker = {true}\n", 0},
        {"huge numbers", "Anim = { {1e300, -1e300, 'effect:a', 'x', 0, -1e300, 1e300} }\nParicle={}\nAction={}\nWorker={}\n",
         1},
    };
    for (const Case& c : cases)
    {
        auto e = Start(c.text);
        EXPECT_EQ(e->GetAnimSteps().size(), c.anims) << c.name;
        ASSERT_FALSE(e->GetWorkerTexts().empty()) << c.name;
        clock_.SetTime(100000);
        e->Update();
        e->Draw();
    }
    EXPECT_GE(folder_.LogCount("ERROR: effect"), 3);
    auto missing = std::make_unique<SObjectEffect>(*level_, &factory_);
    missing->Start("::/nowhere/effect.lua", 0, 0, 100, clock_, 1);
    EXPECT_TRUE(missing->GetAnimSteps().empty());
    missing->Update();
}

TEST_F(ObjectEffectTest, ActionsAndWorkerTextsPlayOnTheClock)
{
    auto e = Start(
        "Anim = { {1, 0, 'effect:a', 'DoAnim', 1, 400, 100}, {1, 0, 'effect:a', 'DoAnim', 1, 600, 100} }\n"
        "Paricle = {}\n"
        "Action = {\n"
        "  {0, 0, 0, 1, 100, 100},\n"    // rises over 100 .. 200
        "  {1, 0, 0, 1, 100, 100},\n"    // falls
        "  {6, 0, 0.3, 1, 100, 100},\n"  // its value
        "  {9, 0, 0, 1, 100, 100},\n"    // 0
        "  {0, 0, 0, 1, 300, 0},\n"      // ends at step 0's start (400)
        "  {2, 0, 0, 1, 50, -5},\n"      // ends at 0: once
        "  {7, 0, 0, 1, 600, -1},\n"     // ends where it starts (600): progress 1
        "}\n"
        "Worker = { {1, 0, 'Loop'}, {1, 150, 'Wave'} }\n");
    auto at = [&](int32_t ms) {
        actions_.clear();
        clock_.SetTime(ms);
        e->Update();
        return actions_;
    };
    using A = std::vector<std::pair<int32_t, float>>;
    EXPECT_EQ(at(60), (A{{2, 0.0f}}));
    EXPECT_EQ(at(150), (A{{0, 0.5f}, {1, 0.5f}, {6, 0.3f}, {9, 0.0f}}));
    EXPECT_EQ(at(250), (A{{0, 1.0f}, {1, 0.0f}, {6, 0.3f}, {9, 0.0f}}));
    EXPECT_EQ(at(260), A{}) << "done once past their end";
    EXPECT_EQ(at(350), (A{{0, 0.5f}}));
    EXPECT_EQ(at(450), (A{{0, 1.0f}}));
    EXPECT_EQ(at(600), (A{{7, 1.0f}}));
    EXPECT_EQ(at(700), (A{{7, 1.0f}})) << "runs until past its end";
    EXPECT_EQ(at(800), A{});
    ASSERT_EQ(factory_.figures.size(), 1u);
    EXPECT_EQ(factory_.figures[0]->played, (std::vector<std::string>{"Loop", "Wave"}));
}

TEST_F(ObjectEffectTest, TheShippedSlotEffectLoadsCleanly)
{
    auto e = std::make_unique<SObjectEffect>(*level_, &factory_);
    e->Start(TString(("::" + std::string(ORVELLE_SOURCE_DIR) + "/assets/scripts/game_logic/effects/effect_slot.lua").c_str()),
             100, 100, 6000, clock_, 2);
    EXPECT_EQ(folder_.LogCount("ERROR: effect"), 0);
    EXPECT_FALSE(e->GetAnimSteps().empty());
    // It fades the slot out, reloads its pictures and fades them in.
    std::vector<int32_t> kinds;
    for (const auto& a : e->GetActions()) kinds.push_back(a.code);
    EXPECT_EQ(kinds, (std::vector<int32_t>{1, 4, 0}));
    ASSERT_EQ(factory_.figures.size(), 1u);
    clock_.SetTime(10);
    e->Update();
    EXPECT_EQ(factory_.figures[0]->played, std::vector<std::string>{"Loop"});
}

}  // namespace
