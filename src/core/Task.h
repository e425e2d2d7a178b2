// Tasks stepped once per pass by a task list; tasks may add, remove or
// delete tasks (themselves included) while a pass runs.
#pragma once

#include <list>
#include <vector>

enum : int
{
    TaskPhaseIdle = 0,  // every idle pass of the event fetch
    TaskPhaseDraw = 1,  // the window manager's frame, before drawing
};

class TTask
{
public:
    virtual ~TTask() = default;
    // Whether the task takes part in a pass of this phase; true for all here.
    virtual bool IsReady(int phase);
    // One step: true keeps the task, false means finished (the list then
    // unlinks and deletes it).
    virtual bool Run() = 0;
};

// Main thread only. The list deletes a task when it finishes or on DeleteAll;
// a removed task is not deleted (its owner takes it back).
class TTaskList
{
public:
    TTaskList() = default;
    TTaskList(const TTaskList&) = delete;
    TTaskList& operator=(const TTaskList&) = delete;
    // DeleteAll.
    ~TTaskList();

    // Appends at the end; the same task may be added more than once. A null
    // task is ignored.
    void Add(TTask* task);
    // False when the task is not listed. Otherwise one occurrence goes: at once
    // outside a pass, after the pass during one (the task is skipped for the
    // rest of that pass).
    bool Remove(TTask* task);
    // One pass: steps every ready task in order; tasks that finish are deleted.
    // May be re-entered from a task's step; removals and deletions asked for
    // meanwhile are carried out when the outermost pass ends.
    void RunTasks(int phase)
    {
        // Nothing to step, and nothing can be pending: removals and deletions
        // wait only while a pass runs, and a pass never unlinks nodes.
        if (!tasks_.empty()) RunPass(phase);
    }
    // Deletes every task (after the pass when called during one).
    void DeleteAll();

    bool IsRunning() const { return depth_ > 0; }
    // Listed occurrences (tasks removed during a pass still count until it ends).
    int Count() const;
    bool Contains(const TTask* task) const;

private:
    // Nodes are never erased during a pass (an outer pass may hold any of them
    // as its successor): they become null and are swept when the outermost
    // pass ends.
    void RunPass(int phase);
    void Tombstone(const TTask* task);
    bool PendingRemoval(const TTask* task) const;
    void ForgetPending(const TTask* task);
    void FinishPass();

    int depth_ = 0;
    bool tombstoned_ = false;  // null nodes wait in tasks_
    std::list<TTask*> tasks_;
    std::vector<TTask*> pendingRemovals_;
    std::vector<TTask*> pendingDeletions_;
};
