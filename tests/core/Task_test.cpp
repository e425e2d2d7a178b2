// TTaskList: stepping order, finishing, and changes to the list made while a
// pass runs (removal, deletion, additions, nested passes).
#include "core/Task.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{

using Journal = std::vector<std::string>;

// A task whose step is a test-supplied function; it notes its steps and its
// destruction in the journal.
class Probe : public TTask
{
public:
    Probe(
        Journal& journal, std::string name, std::function<bool()> step = [] { return true; },
        int refusedPhase = -1)
        : journal_(journal),
          name_(std::move(name)),
          step_(std::move(step)),
          refusedPhase_(refusedPhase)
    {
    }
    ~Probe() override { journal_.push_back("~" + name_); }
    bool IsReady(int phase) override { return phase != refusedPhase_; }
    bool Run() override
    {
        journal_.push_back(name_);
        return step_();
    }

private:
    Journal& journal_;
    std::string name_;
    std::function<bool()> step_;
    int refusedPhase_;
};

TEST(TaskTest, StepsInOrderAndDeletesFinishedTasks)
{
    Journal j;
    TTaskList list;
    list.Add(new Probe(j, "a"));
    list.Add(new Probe(j, "b", [] { return false; }));
    list.Add(new Probe(j, "c"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"a", "b", "~b", "c"}));
    EXPECT_EQ(list.Count(), 2);
    j.clear();
    list.RunTasks(TaskPhaseDraw);
    EXPECT_EQ(j, (Journal{"a", "c"}));
    j.clear();
    list.DeleteAll();
    EXPECT_EQ(j, (Journal{"~a", "~c"}));
    EXPECT_EQ(list.Count(), 0);
}

TEST(TaskTest, TaskRemovingItselfAndFinishingIsDeletedOnce)
{
    Journal j;
    TTaskList list;
    Probe* self = nullptr;
    self = new Probe(j, "self",
                     [&]
                     {
                         EXPECT_TRUE(list.Remove(self));
                         return false;
                     });
    list.Add(self);
    list.Add(new Probe(j, "after"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"self", "~self", "after"}));
    EXPECT_EQ(list.Count(), 1);
}

TEST(TaskTest, TaskRemovedBeforeItsTurnIsSkippedNotDeleted)
{
    Journal j;
    TTaskList list;
    Probe* victim = new Probe(j, "victim");
    list.Add(new Probe(j, "remover", [&] { return list.Remove(victim); }));
    list.Add(victim);
    list.Add(new Probe(j, "last"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"remover", "last"}));
    EXPECT_FALSE(list.Contains(victim));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Remove(victim));
    delete victim;  // the caller owns a removed task again
    EXPECT_EQ(j.back(), "~victim");
}

TEST(TaskTest, DeleteAllDuringPassDeletesEveryTaskOnceAfterThePass)
{
    Journal j;
    TTaskList list;
    list.Add(new Probe(j, "first"));
    list.Add(new Probe(j, "caller",
                       [&]
                       {
                           list.DeleteAll();
                           return false;  // also finished in this very pass
                       }));
    list.Add(new Probe(j, "finisher", [] { return false; }));
    list.Add(new Probe(j, "never"));
    list.RunTasks(TaskPhaseIdle);
    // Tasks queued for removal are skipped for the rest of the pass; nothing
    // else is deleted before the pass ends.
    EXPECT_EQ(j, (Journal{"first", "caller", "~caller", "~first", "~finisher", "~never"}));
    EXPECT_EQ(list.Count(), 0);
}

TEST(TaskTest, TaskAddedTwiceIsSteppedTwiceAndRemovedOnceAtATime)
{
    Journal j;
    TTaskList list;
    Probe* twice = new Probe(j, "twice");
    list.Add(twice);
    list.Add(twice);
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"twice", "twice"}));
    EXPECT_TRUE(list.Remove(twice));
    EXPECT_EQ(list.Count(), 1);
    j.clear();
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"twice"}));
    // DeleteAll deletes a doubly listed task once.
    list.Add(twice);
    j.clear();
    list.DeleteAll();
    EXPECT_EQ(j, (Journal{"~twice"}));
}

TEST(TaskTest, FinishedTaskListedTwiceIsNotSteppedAgain)
{
    Journal j;
    TTaskList list;
    Probe* twice = new Probe(j, "twice", [] { return false; });
    list.Add(twice);
    list.Add(new Probe(j, "middle"));
    list.Add(twice);
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"twice", "~twice", "middle"}));
    EXPECT_EQ(list.Count(), 1);
}

TEST(TaskTest, TaskRefusingPhaseStaysAndIsNotStepped)
{
    Journal j;
    TTaskList list;
    list.Add(new Probe(
        j, "idleOnly", [] { return false; }, TaskPhaseDraw));
    list.RunTasks(TaskPhaseDraw);
    EXPECT_TRUE(j.empty());
    EXPECT_EQ(list.Count(), 1);
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"idleOnly", "~idleOnly"}));
}

TEST(TaskTest, TasksAddedDuringPass)
{
    Journal j;
    TTaskList list;
    bool added = false;
    list.Add(new Probe(j, "adder",
                       [&]
                       {
                           if (!added) list.Add(new Probe(j, "newcomer"));
                           added = true;
                           return true;
                       }));
    list.Add(new Probe(j, "tail"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"adder", "tail", "newcomer"}));

    // A task added by the task that was last when its step began is first
    // stepped in the next pass: the pass had already taken the end.
    Journal k;
    TTaskList solo;
    bool once = false;
    solo.Add(new Probe(k, "solo",
                       [&]
                       {
                           if (!once) solo.Add(new Probe(k, "late"));
                           once = true;
                           return true;
                       }));
    solo.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(k, (Journal{"solo"}));
    solo.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(k, (Journal{"solo", "solo", "late"}));
}

TEST(TaskTest, NestedPassDefersDeletionUntilOutermostPassEnds)
{
    Journal j;
    TTaskList list;
    int depth = 0;
    // The outer pass holds "successor" as its next node while "nester" runs
    // an inner pass in which "successor" finishes.
    list.Add(new Probe(j, "nester",
                       [&]
                       {
                           if (depth++ == 0)
                           {
                               list.RunTasks(TaskPhaseIdle);
                               EXPECT_TRUE(list.IsRunning());
                               // Finished in the inner pass, but not deleted yet.
                               EXPECT_EQ(std::count(j.begin(), j.end(), "~successor"), 0);
                               EXPECT_EQ(std::count(j.begin(), j.end(), "~nester"), 0);
                           }
                           --depth;
                           return depth == 0;  // the inner step finishes; the outer one keeps it
                       }));
    list.Add(new Probe(j, "successor", [] { return false; }));
    list.Add(new Probe(j, "keeper"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_FALSE(list.IsRunning());
    // Inner pass: nester (finishes, deferred), successor (finishes, deferred),
    // keeper. Outer pass: skips both, steps keeper. Then both are deleted once.
    EXPECT_EQ(
        j, (Journal{"nester", "nester", "successor", "keeper", "keeper", "~nester", "~successor"}));
    EXPECT_EQ(list.Count(), 1);
}

// Its destructor empties the list it was on.
class ListClearer : public Probe
{
public:
    ListClearer(Journal& journal, TTaskList& list, std::function<bool()> step)
        : Probe(journal, "clearer", std::move(step)), list_(list)
    {
    }
    ~ListClearer() override { list_.DeleteAll(); }

private:
    TTaskList& list_;
};

TEST(TaskTest, DestructorUsingTheListAfterThePassDeletesNothingTwice)
{
    Journal j;
    TTaskList list;
    list.Add(new ListClearer(j, list,
                             [&]
                             {
                                 list.DeleteAll();
                                 return true;
                             }));
    list.Add(new Probe(j, "other"));
    list.RunTasks(TaskPhaseIdle);
    EXPECT_EQ(j, (Journal{"clearer", "~clearer", "~other"}));
    EXPECT_EQ(list.Count(), 0);
}

TEST(TaskTest, RemoveAndDeleteAllOutsidePass)
{
    Journal j;
    {
        TTaskList list;
        Probe* kept = new Probe(j, "kept");
        EXPECT_FALSE(list.Remove(kept));
        list.Add(kept);
        list.Add(new Probe(j, "owned"));
        EXPECT_TRUE(list.Remove(kept));
        EXPECT_EQ(list.Count(), 1);
        delete kept;
    }  // the destructor deletes what is still listed
    EXPECT_EQ(j, (Journal{"~kept", "~owned"}));
}

}  // namespace
