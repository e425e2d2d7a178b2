// TAnimTask: readiness by phase, due times, repeat, restart, catch-up, clocks,
// and the timer running from a task list.
#include "core/AnimTask.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/Clock.h"
#include "support/FakeClock.h"

namespace
{

using namespace fake_clock;

class FakeTime : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gNow = 100000;
        SetClockTimeSource(&FakeNow);
    }
    void TearDown() override { SetClockTimeSource(nullptr); }
};

class Counter : public TAnimTask
{
public:
    explicit Counter(TClock* clock = nullptr, std::function<bool(Counter&)> step = nullptr)
        : TAnimTask(clock), step_(std::move(step))
    {
    }
    bool DoTask() override
    {
        ++runs;
        return step_ ? step_(*this) : true;
    }
    int runs = 0;

private:
    std::function<bool(Counter&)> step_;
};

using AnimTaskTest = FakeTime;

TEST_F(AnimTaskTest, NewTaskIsDueNowAndDrawPassFollowsTheFlag)
{
    Counter t;
    EXPECT_EQ(t.GetDueTime(), 100000);
    EXPECT_EQ(t.GetOverdue(), 0);
    EXPECT_TRUE(t.IsReady(TaskPhaseIdle));
    EXPECT_FALSE(t.IsReady(TaskPhaseDraw));
    t.SetDrawPass(true);
    EXPECT_TRUE(t.IsReady(TaskPhaseDraw));
    t.StopTimer();
    EXPECT_FALSE(t.IsReady(TaskPhaseDraw));
    EXPECT_FALSE(t.IsReady(TaskPhaseIdle));
    EXPECT_EQ(t.GetOverdue(), -1);
}

TEST_F(AnimTaskTest, SetTimerCountsFromNowOrFromTheDueTime)
{
    struct Case
    {
        int32_t startDue;  // -1: timer stopped first
        bool restart;
        int32_t expectDue;
    };
    const Case cases[] = {
        {-1, false, 100050},    // no due time: from now
        {-1, true, 100050},     // restart: from now
        {99000, false, 99050},  // from the previous due time
        {99000, true, 100050},  // restart ignores it
    };
    for (const Case& c : cases)
    {
        Counter t;
        if (c.startDue == -1)
        {
            t.StopTimer();
        }
        else
        {
            gNow = static_cast<uint32_t>(c.startDue);
            t.SetTimer(0, false, true, false);
            gNow = 100000;
        }
        t.SetTimer(50, true, c.restart, false);
        EXPECT_EQ(t.GetDueTime(), c.expectDue) << c.startDue << " " << c.restart;
        EXPECT_EQ(t.GetInterval(), 50);
    }
    Counter once;
    once.SetTimer(50, false, true, false);
    EXPECT_EQ(once.GetInterval(), 0);
    EXPECT_FALSE(once.IsReady(TaskPhaseIdle));
    EXPECT_EQ(once.GetOverdue(), -50);
    gNow += 50;
    EXPECT_TRUE(once.IsReady(TaskPhaseIdle));
}

TEST_F(AnimTaskTest, RepeatingTimerAdvancesByTheInterval)
{
    Counter t;
    t.SetTimer(100, true, false, false);  // due 100100
    gNow = 100130;
    ASSERT_TRUE(t.IsReady(TaskPhaseIdle));
    EXPECT_TRUE(t.Run());
    EXPECT_EQ(t.runs, 1);
    EXPECT_EQ(t.GetDueTime(), 100200);  // from the due time, not from now

    Counter r;
    r.SetTimer(100, true, true, false);
    gNow = 100260;
    EXPECT_TRUE(r.Run());
    EXPECT_EQ(r.GetDueTime(), 100360);  // restart: from now
}

TEST_F(AnimTaskTest, CatchUpRunsUntilTheDueTimeReachesNow)
{
    Counter t;
    t.SetTimer(100, true, false, true);  // due 100100
    gNow = 100450;
    EXPECT_TRUE(t.Run());
    // 100100, 100200, 100300, 100400 were missed; the due time is 100500.
    EXPECT_EQ(t.runs, 4);
    EXPECT_EQ(t.GetDueTime(), 100500);

    // More than a second behind: the due time jumps to now first.
    Counter late;
    late.SetTimer(100, true, false, true);
    gNow += 5000;
    EXPECT_TRUE(late.Run());
    EXPECT_EQ(late.runs, 1);
    EXPECT_EQ(late.GetDueTime(), static_cast<int32_t>(gNow) + 100);

    // A step that reports false ends the catching up and the task.
    Counter quits(nullptr, [](Counter&) { return false; });
    quits.SetTimer(100, true, false, true);
    gNow += 900;
    EXPECT_FALSE(quits.Run());
    EXPECT_EQ(quits.runs, 1);
}

TEST_F(AnimTaskTest, ZeroIntervalWithCatchUpRunsOncePerPass)
{
    for (bool restart : {false, true})
    {
        Counter t;
        t.SetTimer(0, true, restart, true);
        gNow += 300;
        EXPECT_TRUE(t.Run());
        EXPECT_EQ(t.runs, 1) << restart;
        EXPECT_TRUE(t.IsReady(TaskPhaseIdle));  // every pass, but once per pass
    }
}

TEST_F(AnimTaskTest, OneShotFiresOnceEvenWhenTheStepKeepsTheTask)
{
    TTaskList list;
    auto* t = new Counter;
    t->SetTimer(10, false, true, false);
    list.Add(t);
    for (int pass = 0; pass < 5; ++pass)
    {
        gNow += 20;
        list.RunTasks(TaskPhaseIdle);
    }
    EXPECT_EQ(t->runs, 1);
    EXPECT_EQ(t->GetOverdue(), -1);
    EXPECT_TRUE(list.Contains(t));

    // A step may set its own next timer.
    auto* again = new Counter(nullptr,
                              [](Counter& self)
                              {
                                  if (self.runs < 3) self.SetTimer(10, false, true, false);
                                  return true;
                              });
    again->SetTimer(10, false, true, false);
    list.Add(again);
    for (int pass = 0; pass < 10; ++pass)
    {
        gNow += 20;
        list.RunTasks(TaskPhaseIdle);
    }
    EXPECT_EQ(again->runs, 3);
}

TEST_F(AnimTaskTest, TaskListStepsRepeatingTimerAndDeletesFinishedTask)
{
    TTaskList list;
    int deleted = 0;
    struct Dying : Counter
    {
        explicit Dying(int& d) : Counter(nullptr, [](Counter& c) { return c.runs < 3; }), d_(d) {}
        ~Dying() override { ++d_; }
        int& d_;
    };
    auto* t = new Dying(deleted);
    t->SetTimer(50, true, true, false);
    list.Add(t);
    list.RunTasks(TaskPhaseIdle);  // not due yet
    EXPECT_EQ(t->runs, 0);
    gNow += 50;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(t->runs, 1);
    list.RunTasks(TaskPhaseIdle);  // not due again yet
    EXPECT_EQ(t->runs, 1);
    gNow += 50;
    list.RunTasks(TaskPhaseIdle);
    gNow += 50;
    list.RunTasks(TaskPhaseIdle);  // third step returns false
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(AnimTaskTest, DrawPassRunWithoutTimerKeepsItStopped)
{
    Counter t;
    t.StopTimer();
    t.SetDrawPass(true);
    ASSERT_TRUE(t.IsReady(TaskPhaseDraw));
    EXPECT_TRUE(t.Run());
    EXPECT_EQ(t.GetOverdue(), -1);
    EXPECT_TRUE(t.IsReady(TaskPhaseDraw));
}

TEST_F(AnimTaskTest, ClockTimeBaseAndSetClockKeepsTheRemainingWait)
{
    TClock a;
    a.Start();
    a.SetTime(1000);
    Counter t(&a);
    EXPECT_EQ(t.GetTime(), 1000);
    t.SetTimer(300, false, true, false);  // due at 1300 on a
    gNow += 100;                          // a reads 1100: 200 left
    TClock b;
    b.Start();
    b.SetTime(50000);
    t.SetClock(&b);
    EXPECT_EQ(t.GetClock(), &b);
    EXPECT_EQ(t.GetDueTime(), 50200);
    // A paused clock holds the task back.
    b.Stop();
    gNow += 1000;
    EXPECT_FALSE(t.IsReady(TaskPhaseIdle));
    b.Start();
    gNow += 200;
    EXPECT_TRUE(t.IsReady(TaskPhaseIdle));
    // Back to application time.
    t.SetClock(nullptr);
    EXPECT_EQ(t.GetOverdue(), 0);
}

// A source that follows real time (as the application's does) with a coarse
// clock that stands still unless a test moves it: 4 ms ticks, a 9 ms margin.
class RealTimeAnimTaskTest : public FakeTime
{
protected:
    void SetUp() override
    {
        FakeTime::SetUp();
        SetCoarseClock(&FakeCoarse, 4);
        SetClockTimeSource(&CountedNow, true);
    }
    void TearDown() override
    {
        SetCoarseClock(nullptr, 0);
        FakeTime::TearDown();
    }
};

TEST_F(RealTimeAnimTaskTest, ATimerFarAheadIsPassedOverWithoutReadingTheTime)
{
    TTaskList list;
    auto* app = new Counter();
    TClock clock;
    clock.Start();
    auto* clocked = new Counter(&clock);
    app->SetTimer(100, true, true, false);  // due at 100100
    clocked->SetTimer(100, true, true, false);
    list.Add(app);
    list.Add(clocked);
    // The first check has no reading of its own to build on: it reads, and
    // the task on its own clock reads too (a clock has no pass reading).
    gReads = 0;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(gReads, 2);
    // From then on only the task on its own clock reads.
    gReads = 0;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(gReads, 1);
    EXPECT_EQ(app->runs + clocked->runs, 0);
    // Ticks later (the coarse clock moved) the check reads, and the pass
    // shares that reading; 8 ms before due is inside the margin, so the next
    // check reads too.
    gNow += 92;
    ++gCoarse;
    gReads = 0;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(gReads, 2);
    EXPECT_EQ(app->runs, 0);
    gNow += 8;
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(app->runs, 1);
    EXPECT_EQ(clocked->runs, 1);
    // Again after a tick: one reading, then proved from it.
    EXPECT_EQ(app->GetDueTime(), 100200);
    gNow += 50;
    ++gCoarse;
    gReads = 0;
    EXPECT_FALSE(app->IsReady(TaskPhaseIdle));
    EXPECT_EQ(gReads, 1);
    EXPECT_FALSE(app->IsReady(TaskPhaseIdle));
    EXPECT_EQ(gReads, 1);
    // A stopped timer reads nothing either way.
    app->StopTimer();
    ++gCoarse;
    EXPECT_FALSE(app->IsReady(TaskPhaseIdle));
    EXPECT_EQ(gReads, 1);
}

}  // namespace
