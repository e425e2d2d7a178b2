// Script objects made, looked up and destroyed on several threads at once,
// and objects made on one thread and destroyed on another (as a worker
// thread hands its results to the main one): every live object resolves by
// its handle, no destroyed one does (on any thread, while its slot is taken
// again), and the live count comes back. Meant for the ThreadSanitizer build
// as well.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/SmallBlocks.h"
#include "script/ScriptObject.h"

namespace
{

// Allocated from the small blocks, as messages are.
class Item : public TScriptObject, public TSmallBlockAllocated
{
public:
    explicit Item(int owner) : owner_(owner) {}
    int GetOwner() const { return owner_; }

private:
    int owner_;
    char payload_[20] = {};
};

constexpr int kThreads = 4;
constexpr int kRounds = 300;
constexpr int kBatch = 64;
constexpr int kPublished = 256;

TEST(ScriptObjectStressTest, ThreadsMakeLookUpAndDestroyObjects)
{
    const int before = TScriptObject::GetLiveCount();
    // Handles of destroyed objects, which other threads look up at any time
    // while the slots are taken and freed again.
    std::vector<std::atomic<uint64_t>> published(kPublished);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            uint32_t seed = 77u + static_cast<uint32_t>(t);
            auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
            std::vector<std::unique_ptr<Item>> mine;
            std::vector<TScriptHandle> gone;
            for (int round = 0; round < kRounds; ++round)
            {
                for (int i = 0; i < kBatch; ++i) mine.push_back(std::make_unique<Item>(t));
                for (const auto& item : mine)
                    if (TScriptObject::FromHandle(item->GetScriptHandle()) != item.get()) ++failures;
                // Any thread's gone objects: nothing, whoever holds their
                // slots now.
                for (int i = 0; i < kBatch; ++i)
                {
                    const uint64_t word =
                        published[next() % kPublished].load(std::memory_order_acquire);
                    if (TScriptObject::FromHandle(TScriptHandle::FromWord(word)) != nullptr)
                        ++failures;
                }
                // Destroy a scattered half.
                for (size_t n = mine.size() / 2; n > 0; --n)
                {
                    const size_t victim = (next() >> 8) % mine.size();
                    gone.push_back(mine[victim]->GetScriptHandle());
                    mine[victim] = std::move(mine.back());
                    mine.pop_back();
                }
                for (TScriptHandle h : gone)
                {
                    if (TScriptObject::FromHandle(h) != nullptr) ++failures;
                    published[next() % kPublished].store(h.ToWord(), std::memory_order_release);
                }
                gone.clear();
                if (mine.size() > 4 * kBatch) mine.resize(kBatch);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);
}

TEST(ScriptObjectStressTest, ObjectsMadeOnWorkersAreDestroyedOnTheMainThread)
{
    const int before = TScriptObject::GetLiveCount();
    std::mutex lock;
    std::condition_variable ready;
    std::deque<Item*> queue;
    int finished = 0;
    std::vector<std::thread> workers;
    constexpr int kEach = 20000;
    for (int t = 0; t < kThreads; ++t)
    {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
            {
                auto* item = new Item(t);
                std::lock_guard<std::mutex> hold(lock);
                queue.push_back(item);
                ready.notify_one();
            }
            std::lock_guard<std::mutex> hold(lock);
            ++finished;
            ready.notify_one();
        });
    }
    int taken = 0;
    int wrong = 0;
    for (;;)
    {
        std::unique_lock<std::mutex> hold(lock);
        ready.wait(hold, [&] { return !queue.empty() || finished == kThreads; });
        if (queue.empty()) break;
        Item* item = queue.front();
        queue.pop_front();
        hold.unlock();
        TScriptHandle handle = item->GetScriptHandle();
        if (TScriptObject::FromHandle(handle) != item || item->GetOwner() < 0) ++wrong;
        delete item;
        if (TScriptObject::FromHandle(handle) != nullptr) ++wrong;
        ++taken;
    }
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(taken, kThreads * kEach);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(TScriptObject::GetLiveCount(), before);
}

}  // namespace
