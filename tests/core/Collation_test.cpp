// The collation handler: bytewise order without the locale library, loading
// and unloading the library, and TString comparison through it.
#include "core/Collation.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "core/String.h"

namespace
{

bool IsLoaded(const char* path)
{
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

int FixtureCalls()
{
    void* handle = dlopen(COLLATE_FIXTURE, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return -1;
    int calls = *static_cast<int*>(dlsym(handle, "qvCollateCalls"));
    dlclose(handle);
    return calls;
}

TEST(CollationTest, BytewiseWithoutLibrary)
{
    // No locale library sits beside the test program.
    EXPECT_EQ(FindCollateHandler(), nullptr);
    EXPECT_EQ(CollateCompare("a", "b"), -1);
    EXPECT_EQ(CollateCompare("B", "a"), -1);
    EXPECT_EQ(CollateCompare("abc", "abc"), 0);
    EXPECT_EQ(CollateCompare("abcd", "abc"), 1);
    EXPECT_EQ(CollateCompare("\xFF", "a"), 1);
    EXPECT_TRUE(TString("a") < TString("b"));
    EXPECT_TRUE(TString("B") < TString("a"));
}

TEST(CollationTest, LibraryWithoutEntryIsUnloadedAgain)
{
    EXPECT_EQ(LoadCollateHandler(COLLATE_FIXTURE_NOENTRY), nullptr);
    EXPECT_FALSE(IsLoaded(COLLATE_FIXTURE_NOENTRY));
    EXPECT_EQ(LoadCollateHandler("/nonexistent/qvlocale.so"), nullptr);
    EXPECT_EQ(LoadCollateHandler(nullptr), nullptr);
}

TEST(CollationTest, HandlerOwnsLibraryAndMoveHandsItOver)
{
    TDllCollateHandler* loaded = LoadCollateHandler(COLLATE_FIXTURE);
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(IsLoaded(COLLATE_FIXTURE));
    EXPECT_EQ(loaded->Compare("a", "b"), 256);
    {
        TDllCollateHandler moved(std::move(*loaded));
        EXPECT_FALSE(loaded->HasEntry());
        EXPECT_EQ(loaded->Compare("a", "b"), 0);
        delete loaded;  // the emptied handler frees nothing
        EXPECT_TRUE(IsLoaded(COLLATE_FIXTURE));
        EXPECT_EQ(moved.Compare("b", "a"), -256);
    }
    EXPECT_FALSE(IsLoaded(COLLATE_FIXTURE));
}

TEST(CollationTest, StringCompareUsesSignOfLibraryResult)
{
    TDllCollateHandler* handler = LoadCollateHandler(COLLATE_FIXTURE);
    ASSERT_NE(handler, nullptr);
    TDllCollateHandler* previous = InstallCollateHandler(handler);
    // The fixture orders in reverse and answers +-256, whose low byte is 0.
    EXPECT_GT(TString("a").Compare(TString("b")), 0);
    EXPECT_LT(TString("b").Compare(TString("a")), 0);
    EXPECT_TRUE(TString("b") < TString("a"));
    EXPECT_FALSE(TString("a") == TString("b"));
    EXPECT_TRUE(TString("same") == TString("same"));

    // Shared bodies, and null against empty, never reach the library.
    int before = FixtureCalls();
    TString shared("shared");
    TString copy(shared);
    EXPECT_EQ(shared.Compare(copy), 0);
    EXPECT_EQ(TString().Compare(TString("")), 0);
    EXPECT_EQ(FixtureCalls(), before);

    EXPECT_EQ(InstallCollateHandler(previous), handler);
    delete handler;
    EXPECT_FALSE(IsLoaded(COLLATE_FIXTURE));
    EXPECT_TRUE(TString("a") < TString("b"));
}

}  // namespace
