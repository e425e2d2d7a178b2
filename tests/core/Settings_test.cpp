// The settings store: values and defaults, the line-wrap latch, the cheat
// lock, the change hook with its pending keys, settings.xml and the
// computer identifier.
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FileTestSupport.h"
#include "core/SettingKeys.h"

namespace
{

std::vector<std::pair<std::string, std::string>> gHookCalls;
bool gDisplayExists = false;

bool RecordingHook(const TString& key, const TString& value)
{
    gHookCalls.emplace_back(key.CStr(), value.CStr());
    // Like the host: "vsync" needs a display before it can be applied.
    return std::string(key.CStr()) != "vsync" || gDisplayExists;
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearSettings();
        SetSettingChangeHook(nullptr);
        gHookCalls.clear();
        gDisplayExists = false;
    }
    void TearDown() override
    {
        SetSettingChangeHook(nullptr);
        ClearSettings();
    }
};

TEST_F(SettingsTest, ValuesDefaultsAndBooleans)
{
    EXPECT_STREQ(GetSetting("missing", "dflt").CStr(), "dflt");
    SetSetting("empty", "");
    EXPECT_STREQ(GetSetting("empty", "dflt").CStr(), "");
    EXPECT_TRUE(HasSetting("empty"));

    SetSetting("k", "1");
    SetSetting("k", "2");
    EXPECT_STREQ(GetSetting("k").CStr(), "2");

    const struct
    {
        const char* value;
        bool expected;
    } cases[] = {{"1", true},     {"2", true}, {"-1", true}, {"yes", false},
                 {"true", false}, {"", false}, {"0", false}};
    for (const auto& c : cases)
    {
        SetSetting("flag", c.value);
        EXPECT_EQ(GetSettingBool("flag"), c.expected) << c.value;
    }
    EXPECT_FALSE(GetSettingBool("never set"));
    ClearSettings();
    EXPECT_FALSE(HasSetting("k"));
}

TEST_F(SettingsTest, LegacyLineWrapLatchesWhateverTheValue)
{
    SetSetting("legacylinewrap", "0");
    EXPECT_TRUE(IsLegacyLineWrap());
    ClearSettings();
    EXPECT_TRUE(IsLegacyLineWrap());
}

TEST_F(SettingsTest, CheatLock)
{
    const TString id = "QBSDQDWHQFFJWKDK";
    SetSetting(kSettingComputerId, id);
    const TString code = MakeCheatCode(id, "devkey");
    ASSERT_FALSE(code.IsEmpty());
    EXPECT_TRUE(IsCheatCodeValid(code, id, "devkey"));
    EXPECT_FALSE(IsCheatCodeValid(code, "SESCQFNLCFMNNO_O", "devkey"));
    EXPECT_FALSE(IsCheatCodeValid(code, id, "otherkey"));
    EXPECT_FALSE(IsCheatCodeValid(code, "", "devkey"));
    EXPECT_FALSE(IsCheatCodeValid("garbage!", id, "devkey"));

    // Either key empty: nothing happens.
    SetSetting(kSettingEncryptionKey, "devkey");
    EXPECT_FALSE(HasSetting(kSettingCheatMode));
    // Both set: the lock writes cheatmode, without the hook seeing it.
    SetSettingChangeHook(RecordingHook);
    SetSetting(kSettingCheatCode, code);
    EXPECT_STREQ(GetSetting(kSettingCheatMode).CStr(), "1");
    SetSetting(kSettingCheatCode, "wrong");
    EXPECT_STREQ(GetSetting(kSettingCheatMode).CStr(), "0");
    SetSetting(kSettingCheatCode, code);
    SetSetting(kSettingEncryptionKey, "otherkey");
    EXPECT_STREQ(GetSetting(kSettingCheatMode).CStr(), "0");
    for (const auto& call : gHookCalls) EXPECT_NE(call.first, "cheatmode");
}

TEST_F(SettingsTest, HookRunsOnlyOnceRegisteredAndKeepsVsyncUntilADisplayExists)
{
    SetSetting("vsync", "0");  // before the host exists
    EXPECT_TRUE(gHookCalls.empty());

    SetSettingChangeHook(RecordingHook);
    SetSetting("memorymax", "5");
    SetSetting("vsync", "1");
    ASSERT_EQ(gHookCalls.size(), 2u);
    EXPECT_EQ(gHookCalls[1], std::make_pair(std::string("vsync"), std::string("1")));

    // Still no display: the wish stays pending.
    EXPECT_EQ(ReplayPendingSettingChanges(), 1);
    gDisplayExists = true;
    SetSetting("vsync", "2");  // a newer value replaces the pending one
    gHookCalls.clear();
    EXPECT_EQ(ReplayPendingSettingChanges(), 0);
    EXPECT_TRUE(gHookCalls.empty());

    gDisplayExists = false;
    SetSetting("vsync", "3");
    gDisplayExists = true;
    gHookCalls.clear();
    EXPECT_EQ(ReplayPendingSettingChanges(), 0);
    ASSERT_EQ(gHookCalls.size(), 1u);
    EXPECT_EQ(gHookCalls[0], std::make_pair(std::string("vsync"), std::string("3")));

    SetSettingChangeHook(nullptr);
    gHookCalls.clear();
    SetSetting("vsync", "4");
    EXPECT_TRUE(gHookCalls.empty());
}

TEST_F(SettingsTest, SettingsFileAppliedOnceInDocumentOrder)
{
    filetest::TempTree tree;
    tree.Write("assets/settings.xml",
               "<?xml version=\"1.0\"?>\n<other><vsync>9</vsync></other>\n"
               "<settings>\n  <vsync>1</vsync>\n  <gamename>My Game</gamename>\n  "
               "<vsync>0</vsync>\n</settings>\n");
    SetSettingChangeHook(RecordingHook);
    gDisplayExists = false;
    EXPECT_TRUE(ApplySettingsFile());
    EXPECT_STREQ(GetSetting("vsync").CStr(), "0");
    EXPECT_STREQ(GetSetting("gamename").CStr(), "My Game");
    ASSERT_EQ(gHookCalls.size(), 3u);
    EXPECT_EQ(gHookCalls[0].first, "vsync");
    EXPECT_EQ(gHookCalls[1].first, "gamename");
    // The vsync wish waits for the display, with its latest value.
    gDisplayExists = true;
    gHookCalls.clear();
    EXPECT_EQ(ReplayPendingSettingChanges(), 0);
    ASSERT_EQ(gHookCalls.size(), 1u);
    EXPECT_EQ(gHookCalls[0], std::make_pair(std::string("vsync"), std::string("0")));

    // A second application reads nothing, even after the file changed.
    tree.Write("assets/settings.xml", "<settings><vsync>7</vsync></settings>");
    EXPECT_FALSE(ApplySettingsFile());
    EXPECT_STREQ(GetSetting("vsync").CStr(), "0");
}

TEST(ComputerId, KnownAddressesAndShape)
{
    const unsigned char a[8] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0xAA, 0xBB};
    EXPECT_STREQ(BuildComputerId(a).CStr(), "QBSDQDWHQFFJWKDK");
    const unsigned char b[8] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02, 0, 0};
    EXPECT_STREQ(BuildComputerId(b).CStr(), "SESCQFNLCFMNNO_O");

    const struct
    {
        std::vector<unsigned char> bytes;
        bool usable;
    } addresses[] = {
        {{}, false},
        {{0, 0, 0, 0}, false},        // a tunnel's address
        {{0, 0, 0, 0, 0, 0}, false},  // loopback-like
        {{0x02, 0xFC, 0, 0, 0, 1}, true},
        {{0, 0, 0, 0, 0, 0, 0, 1}, true},
    };
    for (const auto& c : addresses)
        EXPECT_EQ(IsUsableHardwareAddress(c.bytes.data(), c.bytes.size()), c.usable)
            << c.bytes.size();

    unsigned char address[8] = {};
    if (!ReadHardwareAddress(address))
        GTEST_SKIP() << "no network interface with a hardware address";
    const std::string id = BuildComputerId(address).CStr();
    EXPECT_TRUE(IsUsableHardwareAddress(address, 8));
    ASSERT_EQ(id.size(), 16u);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_GE(id[2 * i], 0x40);
        EXPECT_LE(id[2 * i], 0x5F);
        EXPECT_GE(id[2 * i + 1], 0x42 + i);
        EXPECT_LE(id[2 * i + 1], 0x49 + i);
    }
}

}  // namespace
