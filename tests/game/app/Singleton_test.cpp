// Singleton<T>: made on first use, one instance per class, ended newest
// first by DestroySingletons and made afresh on the next use; a constructor
// that throws leaves the next call to try again.
#include "game/app/Singleton.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> gEvents;

class First : public Singleton<First>
{
public:
    First() { gEvents.push_back("+First"); }
    ~First() override { gEvents.push_back("-First"); }
};

class Second : public Singleton<Second>
{
public:
    Second() { gEvents.push_back("+Second"); }
    ~Second() override
    {
        // Reaching an older singleton while being destroyed finds it alive.
        gEvents.push_back(First::GetIfMade() ? "-Second (First alive)" : "-Second (First gone)");
    }
};

// Its destructor asks for a singleton that does not exist yet.
class Late : public Singleton<Late>
{
public:
    ~Late() override
    {
        gEvents.push_back("-Late");
        Second::GetInstance();
    }
};

int gThrows = 0;
class Fragile : public Singleton<Fragile>
{
public:
    Fragile()
    {
        if (gThrows > 0)
        {
            --gThrows;
            throw std::runtime_error("not now");
        }
    }
};

class SingletonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DestroySingletons();
        gEvents.clear();
    }
    void TearDown() override { DestroySingletons(); }
};

TEST_F(SingletonTest, OneInstanceFromFirstUse)
{
    EXPECT_EQ(First::GetIfMade(), nullptr);
    First* a = First::GetInstance();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(First::GetInstance(), a);
    EXPECT_EQ(First::GetIfMade(), a);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"+First"}));
}

TEST_F(SingletonTest, DestroyedNewestFirstAndMadeAfreshOnNextUse)
{
    First::GetInstance();
    Second::GetInstance();
    DestroySingletons();
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"+First", "+Second", "-Second (First alive)", "-First"}));
    EXPECT_EQ(First::GetIfMade(), nullptr);
    EXPECT_EQ(Second::GetIfMade(), nullptr);

    // A second run in the same process: made in the other order this time,
    // destroyed in that run's reverse order.
    gEvents.clear();
    ASSERT_NE(Second::GetInstance(), nullptr);
    ASSERT_NE(First::GetInstance(), nullptr);
    DestroySingletons();
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"+Second", "+First", "-First", "-Second (First gone)"}));
    DestroySingletons();  // nothing left: nothing happens
    EXPECT_EQ(gEvents.size(), 4u);
}

TEST_F(SingletonTest, ASingletonMadeDuringTeardownIsEndedToo)
{
    Late::GetInstance();
    DestroySingletons();
    EXPECT_EQ(gEvents, (std::vector<std::string>{"-Late", "+Second", "-Second (First gone)"}));
    EXPECT_EQ(Second::GetIfMade(), nullptr);
}

TEST_F(SingletonTest, AThrowingConstructorIsRetried)
{
    gThrows = 1;
    EXPECT_EQ(Fragile::GetInstance(), nullptr);
    Fragile* made = Fragile::GetInstance();
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(Fragile::GetInstance(), made);
}

}  // namespace
