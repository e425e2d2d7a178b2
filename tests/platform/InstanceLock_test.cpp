// The single-instance lock: a second holder is refused (also from another
// process), released locks can be taken again, and the raise request
// reaches the holder.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/InstanceLock.h"
#include "platform/Time.h"

namespace
{

std::string UniqueName(const char* tag)
{
    return std::string("h6lock_") + tag + "_" + std::to_string(getpid());
}

struct RuntimeDir
{
    std::string path;
    RuntimeDir()
    {
        char tmpl[] = "/tmp/h6rtXXXXXX";
        path = mkdtemp(tmpl);
        setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    }
    ~RuntimeDir()
    {
        std::filesystem::remove_all(path);
        unsetenv("XDG_RUNTIME_DIR");
    }
};

}  // namespace

TEST(InstanceLock, SecondProcessIsRefused)
{
    RuntimeDir rt;
    std::string name = UniqueName("proc");
    platform::InstanceLock lock;
    ASSERT_TRUE(lock.Acquire(name));
    EXPECT_TRUE(lock.Held());
    EXPECT_EQ(rt.path + "/" + name + ".lock", platform::InstanceLock::PathFor(name));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        platform::InstanceLock other;
        _exit(other.Acquire(name) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "the second process got the lock";

    lock.Release();
    EXPECT_FALSE(lock.Held());
    platform::InstanceLock again;
    EXPECT_TRUE(again.Acquire(name));
    EXPECT_TRUE(again.Held());
}

TEST(InstanceLock, UnusableRuntimeFolderFallsBackToTmp)
{
    setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ("/tmp/x.lock", platform::InstanceLock::PathFor("x"));
    setenv("XDG_RUNTIME_DIR", "/nonexistent/h6", 1);
    EXPECT_EQ("/tmp/x.lock", platform::InstanceLock::PathFor("x"));
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(InstanceLock, RaiseRequestReachesTheHolder)
{
    RuntimeDir rt;
    std::string name = UniqueName("raise");
    platform::InstallRaiseRequestHandler();
    platform::TakeRaiseRequest();
    platform::InstanceLock lock;
    ASSERT_TRUE(lock.Acquire(name));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(platform::InstanceLock::SignalHolder(name) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    bool got = false;
    for (int i = 0; i < 200 && !got; ++i)
    {
        got = platform::TakeRaiseRequest();
        if (!got) platform::SleepMs(5);
    }
    EXPECT_TRUE(got);
    EXPECT_FALSE(platform::TakeRaiseRequest());

    // Nobody to tell: no lock file, or one naming this very process.
    EXPECT_FALSE(platform::InstanceLock::SignalHolder(UniqueName("none")));
    EXPECT_FALSE(platform::InstanceLock::SignalHolder(name));
}
