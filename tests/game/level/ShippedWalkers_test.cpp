// The walker scripts the game ships: each loads without a logged error, every
// name its patterns complete to is listed in its resource group with its
// file, and each monster's name label is in the string table.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/AssetIndex.h"
#include "core/StringTable.h"
#include "game/app/TextFormat.h"
#include "game/level/Courier.h"
#include "game/level/Customer.h"
#include "game/level/Monster.h"
#include "game/level/support/WalkerFixture.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

namespace fs = std::filesystem;
const fs::path kAssets = fs::path(ORVELLE_SOURCE_DIR) / "assets";

class ShippedWalkersTest : public WalkerFixture
{
protected:
    // The shipped assets, found as the game finds them (from the folder that
    // holds "assets").
    ShippedWalkersTest()
    {
        fs::current_path(ORVELLE_SOURCE_DIR);
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        resources_.RunScript("resources.lua");
    }
    ~ShippedWalkersTest() override { fs::current_path(tree_.Root()); }

    // "group:path" is listed in its group of resources.lua and its picture
    // or animation is there.
    void ExpectListed(const TString& name, const std::string& what)
    {
        const std::string text = name.CStr();
        const size_t colon = text.find(':');
        ASSERT_NE(colon, std::string::npos) << what << ": " << text;
        const std::string group = text.substr(0, colon);
        const std::string path = text.substr(colon + 1);
        const std::unique_ptr<TLuaTable> list = resources_.GetGlobalTable(group.c_str());
        ASSERT_TRUE(list) << what << ": no group " << group;
        bool listed = false;
        for (int i = 1; i <= list->GetCount(); ++i) listed = listed || path == list->GetStringAt(i).CStr();
        EXPECT_TRUE(listed) << what << ": " << text << " not listed";
        EXPECT_TRUE(fs::exists(kAssets / (path + ".xml")) || fs::exists(kAssets / (path + ".png")))
            << what << ": " << text;
    }
    void ExpectWalks(const TString& pattern, const std::string& what)
    {
        EXPECT_FALSE(pattern.IsEmpty()) << what;
        for (int i = 0; i < 2; ++i) ExpectListed(FormatDataText(pattern, {TDataArg("walk_"), TDataArg(i)}), what);
    }
    void ExpectNoError(const std::string& what)
    {
        const std::string log = Log();
        EXPECT_EQ(log.find("ERROR: walker script"), std::string::npos) << what << "\n" << log;
    }

    TScript resources_;
};

TEST_F(ShippedWalkersTest, Customers)
{
    level_->customerEntries = {Centre(2, 2)};
    for (int n = 0; n < 2; ++n)
    {
        const std::string what = "customer " + std::to_string(n);
        Customer c(*level_, n);
        c.CreateSprites(1, 0, 0);
        ExpectNoError(what);
        EXPECT_GT(c.GetSpeed(), 0) << what;
        ExpectWalks(c.GetImagePattern(), what);
        ExpectListed(c.GetHappyPattern(), what);
    }
}

TEST_F(ShippedWalkersTest, Couriers)
{
    level_->customerEntries = {Centre(2, 2)};
    for (int n = 0; n < 4; ++n)
    {
        const std::string what = "courier " + std::to_string(n);
        level_->levelNumber = 1;
        level_->common.locat = {n == 2 ? 1 : n == 3 ? 4 : 0};
        Courier c(*level_, 0, -1);
        c.CreateSprites(1, 0, 0);
        if (n != 1)
        {
            EXPECT_EQ(c.GetMoveType(), n) << what;
        }
        c.Load();  // the script of its move type (the transport one too)
        ExpectNoError(what);
        EXPECT_GT(c.GetSpeed(), 0) << what;
        ExpectWalks(c.GetImagePattern(), what + " full");
        ExpectWalks(c.GetEmptyPattern(), what + " empty");
    }
}

TEST_F(ShippedWalkersTest, Monsters)
{
    TStringTable strings;
    ASSERT_TRUE(strings.LoadFile("strings.xml"));
    int flyers = 0;
    int shields = 0;
    for (int n = 0; n < 3; ++n)
    {
        const std::string what = "monster " + std::to_string(n);
        Monster m(*level_, n);
        m.Load();
        ExpectNoError(what);
        EXPECT_GT(m.GetSpeed(), 0) << what;
        ExpectWalks(m.GetImagePattern(), what);
        ExpectWalks(m.GetActionImage(), what + " action");
        if (m.GetShieldType() >= 0)
        {
            ExpectWalks(m.GetShieldImage(), what + " shield");
            ++shields;
        }
        ExpectListed(m.GetAttackImage(), what + " attack");
        ExpectListed(m.GetClickMaskName(), what + " click mask");
        EXPECT_NE(strings.GetString(m.GetDisplayName()), TString("#####")) << what << ": " << m.GetDisplayName().CStr();
        flyers += m.GetMoveType() == 1 ? 1 : 0;
    }
    EXPECT_EQ(flyers, 1);
    EXPECT_EQ(shields, 1);
}

}  // namespace
