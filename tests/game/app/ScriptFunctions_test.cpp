// Script functions published over an object and taken back when it goes:
// only names that still hold the object's own closure are replaced, by
// closures that do nothing, and nothing breaks when the script went first.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileTestSupport.h"
#include "game/app/ScriptFunctions.h"
#include "ui/support/ControlTestSupport.h"

namespace
{

class Counter : public TScriptObject
{
public:
    int hits = 0;
    int Hit(int by)
    {
        hits += by;
        return hits;
    }
    int Hits() const { return hits; }
};

// A window script that runs Lua texts (Eval), and the debug log.
class ScriptFunctionsTest : public uitest::ScriptUiTest
{
protected:
    filetest::TempTree tree;
};

TEST_F(ScriptFunctionsTest, TakeBackLeavesNamesANewerObjectHolds)
{
    Counter first, second;
    auto firstFunctions = std::make_unique<TScriptFunctions>();
    firstFunctions->Member("Hit", &first, &Counter::Hit);
    firstFunctions->Member("Hits", &first, &Counter::Hits);
    EXPECT_EQ(firstFunctions->GetNames(), (std::vector<std::string>{"Hit", "Hits"}));
    EXPECT_EQ(Eval("r = Hit(2)"), "2");

    // A newer screen of the same kind takes "Hit" over.
    TScriptFunctions secondFunctions;
    secondFunctions.Member("Hit", &second, &Counter::Hit);
    firstFunctions.reset();

    EXPECT_EQ(Eval("r = Hit(5)"), "5");
    EXPECT_EQ(second.hits, 5);
    // The first object's own name now does nothing and gives nothing.
    EXPECT_EQ(Eval("r = Hits()"), "nil");
    EXPECT_EQ(Eval("r = type(Hits)"), "function");
    EXPECT_EQ(first.hits, 2);
}

TEST_F(ScriptFunctionsTest, ADestroyedObjectIsNeverReachedNorReported)
{
    auto counter = std::make_unique<Counter>();
    {
        TScriptFunctions functions;
        functions.Member("Hit", counter.get(), &Counter::Hit);
    }
    counter.reset();
    const std::string before = tree.Log();
    EXPECT_EQ(Eval("r = Hit(1)"), "nil");
    // No dead-target line: the closure is not the object's any more.
    EXPECT_EQ(tree.Log(), before);
}

TEST_F(ScriptFunctionsTest, WithoutAScriptNothingIsPublished)
{
    Counter counter;
    TScriptFunctions none(nullptr);
    none.Member("Hit", &counter, &Counter::Hit);
    EXPECT_TRUE(none.GetNames().empty());

    // A script that goes first leaves a take-back with nothing to do.
    TScriptFunctions functions;
    functions.Member("Hit", &counter, &Counter::Hit);
    wm.reset();
    functions.TakeBack();
    EXPECT_TRUE(functions.GetNames().empty());
}

}  // namespace
