// The task list's pass with deferred removal and deletion.
#include "core/Task.h"

#include <algorithm>
#include <unordered_set>

#include "core/Clock.h"

bool TTask::IsReady(int /*phase*/)
{
    return true;
}

TTaskList::~TTaskList()
{
    DeleteAll();
}

void TTaskList::Add(TTask* task)
{
    if (task != nullptr) tasks_.push_back(task);
}

int TTaskList::Count() const
{
    return static_cast<int>(
        std::count_if(tasks_.begin(), tasks_.end(), [](TTask* t) { return t != nullptr; }));
}

bool TTaskList::Contains(const TTask* task) const
{
    return task != nullptr && std::find(tasks_.begin(), tasks_.end(), task) != tasks_.end();
}

bool TTaskList::Remove(TTask* task)
{
    if (task == nullptr) return false;
    auto it = std::find(tasks_.begin(), tasks_.end(), task);
    if (it == tasks_.end()) return false;
    if (depth_ > 0)
    {
        pendingRemovals_.push_back(task);
    }
    else
    {
        tasks_.erase(it);
    }
    return true;
}

void TTaskList::Tombstone(const TTask* task)
{
    for (TTask*& slot : tasks_)
    {
        if (slot != task) continue;
        slot = nullptr;
        tombstoned_ = true;
    }
}

bool TTaskList::PendingRemoval(const TTask* task) const
{
    return std::find(pendingRemovals_.begin(), pendingRemovals_.end(), task) !=
           pendingRemovals_.end();
}

void TTaskList::ForgetPending(const TTask* task)
{
    // A deleted task's address may be reused by a new task before the pass
    // ends; stale entries must not act on it.
    std::erase(pendingRemovals_, task);
    std::erase(pendingDeletions_, task);
}

void TTaskList::RunPass(int phase)
{
    TClockPass pass;
    ++depth_;
    for (auto it = tasks_.begin(); it != tasks_.end();)
    {
        auto next = std::next(it);
        TTask* task = *it;
        // Removals are rarely pending: no search for each task then.
        if (task == nullptr || (!pendingRemovals_.empty() && PendingRemoval(task)) ||
            !task->IsReady(phase) || task->Run())
        {
            it = next;
            continue;
        }
        // Finished. Every node holding it goes, so no other occurrence is left
        // pointing at a deleted task.
        Tombstone(task);
        if (depth_ == 1)
        {
            ForgetPending(task);
            delete task;
        }
        else if (std::find(pendingDeletions_.begin(), pendingDeletions_.end(), task) ==
                 pendingDeletions_.end())
        {
            // An outer pass may be inside this very task's step: delete it only
            // when the outermost pass is over.
            pendingDeletions_.push_back(task);
        }
        it = next;
    }
    // Most passes change nothing: no walk over the list then.
    if (--depth_ == 0 && (tombstoned_ || !pendingRemovals_.empty() || !pendingDeletions_.empty()))
        FinishPass();
}

void TTaskList::FinishPass()
{
    tasks_.remove(nullptr);
    // Taken out first: a task's destructor may use the list again.
    std::vector<TTask*> removals;
    removals.swap(pendingRemovals_);
    for (TTask* task : removals) Remove(task);
    std::vector<TTask*> deletions;
    deletions.swap(pendingDeletions_);
    // Unlinked all before any is deleted, so a destructor that uses the list
    // cannot reach a task that is about to be deleted here.
    for (TTask* task : deletions) Tombstone(task);
    tasks_.remove(nullptr);
    tombstoned_ = false;
    for (TTask* task : deletions) delete task;
}

void TTaskList::DeleteAll()
{
    if (depth_ > 0)
    {
        for (TTask* task : tasks_)
        {
            if (task == nullptr) continue;
            pendingRemovals_.push_back(task);
            if (std::find(pendingDeletions_.begin(), pendingDeletions_.end(), task) ==
                pendingDeletions_.end())
                pendingDeletions_.push_back(task);
        }
        return;
    }
    std::list<TTask*> listed;
    listed.swap(tasks_);
    std::vector<TTask*> removals;
    removals.swap(pendingRemovals_);
    std::vector<TTask*> deletions;
    deletions.swap(pendingDeletions_);
    // A task listed twice (or listed and pending) is still deleted once.
    std::unordered_set<TTask*> deleted;
    for (TTask* task : listed)
    {
        if (task == nullptr || std::find(removals.begin(), removals.end(), task) != removals.end())
            continue;
        if (deleted.insert(task).second) delete task;
    }
    for (TTask* task : deletions)
        if (deleted.insert(task).second) delete task;
}
