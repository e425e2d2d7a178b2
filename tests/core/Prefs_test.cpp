// The preferences store: slots and values, the chunk file and every way it
// can be damaged, the legacy XML import, install keys and the atomic save.
#include "core/Prefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "core/Cipher.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Xml.h"

namespace
{

const char kKey[] = "prefskey";

// Builds chunk files by hand, enciphered as the store does.
class ChunkWriter
{
public:
    explicit ChunkWriter(const char* keyText = kKey) : cipher_(keyText) {}

    ChunkWriter& Raw(const char* tag, uint32_t length, const std::string& payload)
    {
        bytes_.append(tag, 4);
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>(length >> (8 * i)));
        bytes_ += payload;
        return *this;
    }
    ChunkWriter& Enciphered(const char* tag, const std::string& plain)
    {
        const std::vector<unsigned char> c = cipher_.EncryptBytes(plain.data(), plain.size());
        return Raw(tag, static_cast<uint32_t>(c.size()), std::string(c.begin(), c.end()));
    }
    ChunkWriter& Install(const std::string& key)
    {
        return Enciphered("IKEY", key + std::string(1, '\0'));
    }
    ChunkWriter& User(unsigned index)
    {
        return Raw("USER", 2,
                   std::string{static_cast<char>(index & 0xFF), static_cast<char>(index >> 8)});
    }
    ChunkWriter& Value(const std::string& key, const std::string& value)
    {
        const size_t n = key.size() + 1;
        std::string plain{static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
        plain += key + std::string(1, '\0') + value + std::string(1, '\0');
        return Enciphered("KVPR", plain);
    }
    const std::string& Bytes() const { return bytes_; }

private:
    StringCipher cipher_;
    std::string bytes_;
};

class PrefsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetUserDataFolder((tree / "user").c_str());
        SetSetting("encryptionkey", kKey);
        SetSetting("installkey", "Game");
    }
    void TearDown() override { TPrefs::SetSaveHookForTest(nullptr); }

    void WritePrefs(const std::string& bytes) { tree.Write("user/prefs.dat", bytes); }
    std::string ReadPrefs() { return filetest::ReadAll(tree / "user/prefs.dat"); }
    void WriteInstallText(const std::string& text)
    {
        tree.Write("assets/install.txt", text);
        BuildAssetIndex();
    }

    filetest::TempTree tree;
};

TEST_F(PrefsTest, SlotsValuesAndUsers)
{
    TPrefs prefs(false);
    EXPECT_EQ(prefs.GetUserCount(), 0);
    EXPECT_TRUE(prefs.SetValue("name", "Ann", 0));
    EXPECT_STREQ(prefs.GetValue("name", "dflt", 0).CStr(), "Ann");
    EXPECT_STREQ(prefs.GetValue("name", "dflt", 1).CStr(), "dflt");
    EXPECT_STREQ(prefs.GetValue("name", "dflt", -1).CStr(), "dflt");
    EXPECT_EQ(prefs.GetUserCount(), 1);

    EXPECT_TRUE(prefs.SetInt("score", -5, -1));
    EXPECT_STREQ(prefs.GetValue("score", "", -1).CStr(), "-5");
    EXPECT_EQ(prefs.GetInt("score", 0, -1), -5);
    EXPECT_EQ(prefs.GetInt("missing", 7, -1), 7);

    prefs.SetValue("name", "Bob", 1);
    prefs.SetValue("name", "Cy", 2);
    EXPECT_EQ(prefs.GetUserCount(), 3);
    EXPECT_EQ(prefs.DeleteUser(0), 2);
    EXPECT_STREQ(prefs.GetValue("name", "", 0).CStr(), "Bob");
    EXPECT_STREQ(prefs.GetValue("name", "", 1).CStr(), "Cy");
    EXPECT_STREQ(prefs.GetValue("score", "", -1).CStr(), "-5");  // shared slot untouched

    EXPECT_TRUE(prefs.RemoveValue("name", 0));
    EXPECT_STREQ(prefs.GetValue("name", "gone", 0).CStr(), "gone");
    EXPECT_STREQ(prefs.GetValue("name", "", 1).CStr(), "Cy");
    EXPECT_TRUE(prefs.RemoveValue("never", -1));
    EXPECT_TRUE(prefs.RemoveValue("name", 40));
    EXPECT_EQ(prefs.GetUserCount(), 2);  // removing makes no slot
    EXPECT_FALSE(prefs.RemoveValue("score", -2));
    EXPECT_STREQ(prefs.GetValue("score", "", -1).CStr(), "-5");
}

TEST_F(PrefsTest, SlotAndSizeLimitsAreRefused)
{
    TPrefs prefs(false);
    struct Case
    {
        const char* what;
        std::string key;
        size_t valueSize;
        int slot;
        bool stored;
    };
    const Case cases[] = {
        {"slot -2", "k", 1, -2, false},
        {"slot far below", "k", 1, -1000, false},
        {"last readable slot", "k", 1, TPrefs::kMaxUserSlot, true},
        {"slot beyond what the reader accepts", "k", 1, TPrefs::kMaxUserSlot + 1, false},
        {"key too long for 16 bits", std::string(70000, 'k'), 1, -1, false},
        {"longest key", std::string(0xFFFE, 'k'), 1, -1, true},
        {"value over 4 MiB", "big", 0x400000, -1, false},
        {"value just under the chunk limit", "big", 0x400000 - 16, -1, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const TString value(std::string(c.valueSize, 'v').c_str());
        EXPECT_EQ(prefs.SetValue(c.key.c_str(), value, c.slot), c.stored);
        EXPECT_EQ(prefs.GetValue(c.key.c_str(), "none", c.slot).Length(),
                  c.stored ? static_cast<int>(c.valueSize) : 4);
    }
    EXPECT_EQ(prefs.GetUserCount(), TPrefs::kMaxUserSlot + 1);
    EXPECT_EQ(prefs.DeleteUser(-1), TPrefs::kMaxUserSlot + 1);
    EXPECT_EQ(prefs.DeleteUser(TPrefs::kMaxUserSlot + 1), TPrefs::kMaxUserSlot + 1);
}

TEST_F(PrefsTest, RoundTripThroughTheFile)
{
    {
        TPrefs prefs(true);
        prefs.SetValue("zeta", "last", 1);
        prefs.SetValue("alpha", "first", 1);
        prefs.SetValue("shared", "s", -1);
        prefs.SetValue("utf8", "\xC3\xA9t\xC3\xA9", 0);
        prefs.SetValue("empty", "", 0);
    }
    SetSetting("installkey", "Other");
    {
        TPrefs other(true);  // reads Game's data, adds its own section
        EXPECT_EQ(other.GetUserCount(), 0);
        other.SetValue("mine", "yes", 0);
    }
    SetSetting("installkey", "GAME");  // letter case does not matter
    TPrefs back(false);
    EXPECT_STREQ(back.GetInstallKey().CStr(), "game");
    EXPECT_EQ(back.GetUserCount(), 2);
    EXPECT_STREQ(back.GetValue("zeta", "", 1).CStr(), "last");
    EXPECT_STREQ(back.GetValue("alpha", "", 1).CStr(), "first");
    EXPECT_STREQ(back.GetValue("shared", "", -1).CStr(), "s");
    EXPECT_STREQ(back.GetValue("utf8", "", 0).CStr(), "\xC3\xA9t\xC3\xA9");
    EXPECT_STREQ(back.GetValue("empty", "x", 0).CStr(), "");
    ASSERT_EQ(back.GetStore().count("other"), 1u);
    const TPrefsSlots& other = back.GetStore().at("other");
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[1].at("mine"), std::string("yes", 4));

    // The image written now reads back into the same store.
    TPrefs again(false);
    EXPECT_EQ(again.BuildImage(), back.BuildImage());
}

TEST_F(PrefsTest, ChunkLengthsAreEncipheredLengths)
{
    TPrefs prefs(false);
    prefs.SetValue("k", "abc", -1);  // 2 + "k\0" + "abc\0" = 8 plain bytes
    const std::vector<unsigned char> image = prefs.BuildImage();
    const std::string bytes(image.begin(), image.end());
    const size_t kvpr = bytes.find("KVPR");
    ASSERT_NE(kvpr, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[kvpr + 4]), 16);
    EXPECT_EQ(bytes.compare(0, 4, "IKEY"), 0);
}

TEST_F(PrefsTest, DamagedFilesKeepWhatCameBefore)
{
    struct Case
    {
        const char* what;
        std::string damage;  // inserted between value a and value b
        bool keepsA;
        bool keepsB;  // the chunks after the damage are still read
    };
    ChunkWriter wrongKey("anotherkey");
    wrongKey.Value("x", "y");
    const Case cases[] = {
        {"intact", "", true, true},
        {"zero length", ChunkWriter().Raw("KVPR", 0, "").Bytes(), true, true},
        {"over 4 MiB", ChunkWriter().Raw("KVPR", 0x400001, "").Bytes(), true, true},
        {"length beyond the file", ChunkWriter().Raw("KVPR", 64, "short").Bytes(), true, true},
        {"unknown tag", ChunkWriter().Enciphered("XXXX", "abcdefgh").Bytes(), true, true},
        {"wrong key", wrongKey.Bytes(), true, true},
        {"key longer than its chunk",
         ChunkWriter().Enciphered("KVPR", std::string("\xff\x00k\0v\0", 6)).Bytes(), true, true},
        // b then belongs to the section "fresh".
        {"value for a missing slot", ChunkWriter().Install("fresh").Value("x", "y").Bytes(), true,
         false},
        {"user index 1025", ChunkWriter().User(1025).Bytes(), true, true},
        {"short user chunk", ChunkWriter().Raw("USER", 1, "\x01").Bytes(), true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ChunkWriter file;
        file.Install("game").User(0).Value("a", "1");
        std::string bytes = file.Bytes() + c.damage;
        bytes += ChunkWriter().User(1).Value("b", "2").Bytes();
        WritePrefs(bytes);
        TPrefs prefs(false);
        EXPECT_STREQ(prefs.GetValue("a", "-", -1).CStr(), c.keepsA ? "1" : "-");
        EXPECT_STREQ(prefs.GetValue("b", "-", 0).CStr(), c.keepsB ? "2" : "-");
        EXPECT_EQ(prefs.IsDamaged(), !c.damage.empty());
    }

    // Truncation at every byte never crashes and keeps a prefix.
    ChunkWriter whole;
    whole.Install("game").User(0).Value("a", "1").Value("b", "2");
    for (size_t cut = 0; cut < whole.Bytes().size(); ++cut)
    {
        WritePrefs(whole.Bytes().substr(0, cut));
        TPrefs prefs(false);
        EXPECT_STREQ(prefs.GetValue("b", "-", -1).CStr(), "-");
    }
}

size_t FindValueChunk(const std::string& file, unsigned user, const std::string& key)
{
    return filetest::FindPrefsValueChunk(file, kKey, user, key);
}

// Two players and shared keys, written by the store itself.
std::string TwoPlayerFile(const std::filesystem::path& file)
{
    {
        TPrefs prefs(true);
        prefs.SetValue("fullscreen", "1", -1);
        prefs.SetValue("curuser", "0", -1);
        prefs.SetValue("name", "Alice", 0);
        prefs.SetValue("total_money", "120", 0);
        prefs.SetValue("name", "Bob", 1);
        prefs.SetValue("total_money", "75", 1);
        EXPECT_TRUE(prefs.Save());
    }
    return filetest::ReadAll(file);
}

TEST_F(PrefsTest, DamageInTheFirstPlayersNameKeepsEverythingElse)
{
    const std::string whole = TwoPlayerFile(tree / "user/prefs.dat");
    const size_t name = FindValueChunk(whole, 1, "name");
    ASSERT_NE(name, std::string::npos);
    struct Case
    {
        const char* what;
        size_t at;  // the byte whose low bit flips
    } const cases[] = {
        {"bit in the name's last block", name + 8 + 15},
        {"bit in the name chunk's length", name + 5},
        {"bit in the name chunk's tag", name},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string damaged = whole;
        damaged[c.at] = static_cast<char>(damaged[c.at] ^ 0x01);
        WritePrefs(damaged);
        {
            TPrefs prefs(true);
            EXPECT_TRUE(prefs.IsDamaged());
            EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "-");
            EXPECT_STREQ(prefs.GetValue("total_money", "-", 0).CStr(), "120");
            EXPECT_STREQ(prefs.GetValue("name", "-", 1).CStr(), "Bob");
            EXPECT_STREQ(prefs.GetValue("total_money", "-", 1).CStr(), "75");
            EXPECT_STREQ(prefs.GetValue("fullscreen", "-", -1).CStr(), "1");
            EXPECT_EQ(prefs.GetUserCount(), 2);
            ASSERT_TRUE(prefs.Save());
        }
        // The nameless slot stays in the file as it was read.
        TPrefs reader(false);
        EXPECT_FALSE(reader.IsDamaged());
        EXPECT_EQ(reader.GetUserCount(), 2);
        EXPECT_STREQ(reader.GetValue("total_money", "-", 0).CStr(), "120");
        EXPECT_STREQ(reader.GetValue("name", "-", 1).CStr(), "Bob");
        std::filesystem::remove(tree / "user/prefs.dat.bad");
    }
}

TEST_F(PrefsTest, ChunkLengthPastTheEndKeepsTheChunksAfterIt)
{
    const std::string whole = TwoPlayerFile(tree / "user/prefs.dat");
    const size_t money = FindValueChunk(whole, 1, "total_money");
    ASSERT_NE(money, std::string::npos);
    for (uint32_t length : {0x00100000u, 0x003FFFF8u, 0xFFFFFFF0u})
    {
        SCOPED_TRACE(length);
        std::string damaged = whole;
        for (int i = 0; i < 4; ++i) damaged[money + 4 + i] = static_cast<char>(length >> (8 * i));
        WritePrefs(damaged);
        TPrefs prefs(false);
        EXPECT_TRUE(prefs.IsDamaged());
        EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "Alice");
        EXPECT_STREQ(prefs.GetValue("total_money", "-", 0).CStr(), "-");
        EXPECT_STREQ(prefs.GetValue("name", "-", 1).CStr(), "Bob");
        EXPECT_STREQ(prefs.GetValue("total_money", "-", 1).CStr(), "75");
    }
    // With no chunk behind the damage, reading stops there.
    WritePrefs(whole.substr(0, money) + ChunkWriter().Raw("KVPR", 64, "short").Bytes());
    TPrefs prefs(false);
    EXPECT_TRUE(prefs.IsDamaged());
    EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "Alice");
    EXPECT_EQ(tree.Log().find("no further chunk, reading stops") != std::string::npos, true);
}

TEST_F(PrefsTest, EveryDamagedFileIsKept)
{
    const std::string whole = TwoPlayerFile(tree / "user/prefs.dat");
    const auto kept = [&](int n)
    {
        return tree / (n == 1 ? std::string("user/prefs.dat.bad")
                              : "user/prefs.dat.bad." + std::to_string(n));
    };
    // Eleven damaged files in a row, each different.
    for (int n = 1; n <= 11; ++n)
    {
        SCOPED_TRACE(n);
        const std::string damaged = whole + std::string(static_cast<size_t>(n), 'x');
        WritePrefs(damaged);
        {
            TPrefs prefs(true);
            EXPECT_TRUE(prefs.IsDamaged());
            ASSERT_TRUE(prefs.Save());
        }
        EXPECT_EQ(filetest::ReadAll(kept(std::min(n, 9))), damaged);
        // The earlier copies stay as they were.
        for (int earlier = 1; earlier < std::min(n, 9); ++earlier)
            EXPECT_EQ(filetest::ReadAll(kept(earlier)),
                      whole + std::string(static_cast<size_t>(earlier), 'x'));
    }
    EXPECT_FALSE(std::filesystem::exists(kept(10)));
}

TEST_F(PrefsTest, FirstChunkAndUserIndexRules)
{
    WritePrefs(ChunkWriter().User(0).Install("game").User(0).Value("a", "1").Bytes());
    {
        TPrefs prefs(false);
        EXPECT_STREQ(prefs.GetValue("a", "-", -1).CStr(), "-");  // must begin with IKEY
    }
    WritePrefs(ChunkWriter()
                   .Install("game")
                   .User(1024)
                   .Value("top", "1")
                   .User(1025)
                   .Value("over", "1")
                   .Bytes());
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetValue("top", "-", 1023).CStr(), "1");
    EXPECT_EQ(prefs.GetUserCount(), 1024);

    // Mixed-case install keys in the file share one section.
    WritePrefs(ChunkWriter()
                   .Install("GaMe")
                   .User(0)
                   .Value("a", "1")
                   .Install("GAME")
                   .User(0)
                   .Value("b", "2")
                   .Bytes());
    TPrefs mixed(false);
    EXPECT_STREQ(mixed.GetValue("a", "-", -1).CStr(), "1");
    EXPECT_STREQ(mixed.GetValue("b", "-", -1).CStr(), "2");
    EXPECT_EQ(mixed.GetStore().size(), 1u);
}

TEST_F(PrefsTest, InstallTextChoosesTheSection)
{
    WritePrefs(ChunkWriter()
                   .Install("fromfile")
                   .User(0)
                   .Value("a", "file")
                   .Install("named")
                   .User(0)
                   .Value("a", "named")
                   .Bytes());
    WriteInstallText("");
    {
        TPrefs prefs(false);  // empty install.txt: the file's first key
        EXPECT_STREQ(prefs.GetInstallKey().CStr(), "fromfile");
        EXPECT_STREQ(prefs.GetValue("a", "-", -1).CStr(), "file");
    }
    WriteInstallText("NAMED");
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetInstallKey().CStr(), "named");
    EXPECT_STREQ(prefs.GetValue("a", "-", -1).CStr(), "named");
}

std::string LegacyFile(const std::string& document, const char* keyText, int checksumDelta)
{
    StringCipher cipher(keyText);
    const int needed =
        cipher.Encrypt(document.data(), static_cast<int>(document.size()), nullptr, 0, true);
    std::vector<char> b64(static_cast<size_t>(needed));
    cipher.Encrypt(document.data(), static_cast<int>(document.size()), b64.data(), needed, true);
    const uint32_t sum = LegacyPrefsChecksum(document.data(), document.size()) +
                         static_cast<uint32_t>(checksumDelta);
    TXmlNode root;
    root.AddChild("data1")->SetAttribute("data", b64.data());
    root.AddChild("data2")->SetAttribute("data", TString::Format("%d", static_cast<int>(sum)));
    return root.ToString().CStr();
}

const char kLegacyDocument[] =
    "<>\n<install qvinstallkey=\"Game\"><shared volume=\"7\"/><u0 name=\"Ann\" "
    "city=\"M\xC3\xBCnchen\"/></install>\n"
    "<install qvinstallkey=\"old\"><s a=\"1\"/></install>\n</>\n";

TEST_F(PrefsTest, LegacyImportWithChecksum)
{
    WritePrefs(LegacyFile(kLegacyDocument, kKey, 0));
    {
        TPrefs prefs(true);
        EXPECT_STREQ(prefs.GetValue("volume", "-", -1).CStr(), "7");
        EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "Ann");
        EXPECT_STREQ(prefs.GetValue("city", "-", 0).CStr(), "M\xC3\xBCnchen");
        EXPECT_EQ(prefs.GetStore().count("old"), 1u);
    }
    // Rewritten at once in the chunk form.
    EXPECT_EQ(ReadPrefs().compare(0, 4, "IKEY"), 0);
    TPrefs again(false);
    EXPECT_STREQ(again.GetValue("name", "-", 0).CStr(), "Ann");
}

TEST_F(PrefsTest, LegacyImportRefusesABadChecksum)
{
    WritePrefs(LegacyFile(kLegacyDocument, kKey, 1));
    TPrefs prefs(true);
    EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "-");
    EXPECT_EQ(prefs.GetUserCount(), 0);
    EXPECT_EQ(ReadPrefs().compare(0, 4, "IKEY"), 0);
}

TEST_F(PrefsTest, LegacyImportWithoutKeyAndEmptyInstallText)
{
    SetSetting("encryptionkey", "");
    WriteInstallText("");
    WritePrefs(std::string("<>") + (kLegacyDocument + 2));
    TPrefs prefs(false);
    EXPECT_NE(tree.Log().find("ERROR: No encryption key set before TPrefs construction!"),
              std::string::npos);
    EXPECT_STREQ(prefs.GetInstallKey().CStr(), "game");  // the first install element's key
    EXPECT_STREQ(prefs.GetValue("name", "-", 0).CStr(), "Ann");
}

TEST_F(PrefsTest, LegacyPairsTheChunkFormCannotCarryAreLeftBehind)
{
    // Imported and saved at once: a value over the chunk limit or a key too
    // long for its 16-bit length must not become a chunk that hides the rest.
    SetSetting("encryptionkey", "");
    const std::string bigValue(0x400000, 'v');
    const std::string longKey(70000, 'k');
    WritePrefs("<>\n<install qvinstallkey=\"Game\"><s a=\"1\" big=\"" + bigValue + "\"/><u " +
               longKey + "=\"x\" name=\"Ann\"/></install>\n<install qvinstallkey=\"" +
               std::string(0x400000, 'i') + "\"><s c=\"1\"/></install>\n</>\n");
    {
        TPrefs prefs(true);
        EXPECT_STREQ(prefs.GetValue("big", "-", -1).CStr(), "-");
        EXPECT_STREQ(prefs.GetValue(longKey.c_str(), "-", 0).CStr(), "-");
        EXPECT_EQ(prefs.GetStore().size(), 1u);  // the oversized install key is not imported
    }
    EXPECT_NE(tree.Log().find("too large to store"), std::string::npos);
    EXPECT_NE(tree.Log().find("too long to store"), std::string::npos);
    TPrefs back(false);
    EXPECT_STREQ(back.GetValue("a", "-", -1).CStr(), "1");
    EXPECT_STREQ(back.GetValue("name", "-", 0).CStr(), "Ann");
}

TEST(PrefsChecksum, SignedBytesInUnsignedArithmetic)
{
    EXPECT_EQ(LegacyPrefsChecksum("", 0), 0u);
    EXPECT_EQ(LegacyPrefsChecksum("\xff\x01", 2), 0xFFFFFEFFu);
    EXPECT_EQ(LegacyPrefsChecksum(std::string("\0\0\0\x80", 4).c_str(), 4), 0x80000000u);
    EXPECT_EQ(LegacyPrefsChecksum("abcde", 5), (0x64636261u ^ 0x65u));
}

bool AbandonBeforeRename(const char*)
{
    return false;
}

TEST_F(PrefsTest, InterruptedSaveLeavesThePreviousFileWhole)
{
    {
        TPrefs prefs(true);
        prefs.SetValue("name", "Ann", 0, true);
    }
    const std::string before = ReadPrefs();
    ASSERT_FALSE(before.empty());

    TPrefs::SetSaveHookForTest(AbandonBeforeRename);
    {
        TPrefs prefs(true);
        prefs.SetValue("name", "Zed", 0);
        for (int i = 0; i < 200; ++i)
            prefs.SetValue(TString::Format("k%d", i), "a longer file than before", 0);
        EXPECT_FALSE(prefs.Save());
        TPrefs reader(false);
        EXPECT_STREQ(reader.GetValue("name", "-", 0).CStr(), "Ann");
        EXPECT_EQ(ReadPrefs(), before);
    }  // the destructor's save is abandoned too
    TPrefs::SetSaveHookForTest(nullptr);
    EXPECT_EQ(ReadPrefs(), before);

    TPrefs prefs(true);
    prefs.SetValue("name", "Eve", 0);
    EXPECT_TRUE(prefs.Save());
    TPrefs reader(false);
    EXPECT_STREQ(reader.GetValue("name", "-", 0).CStr(), "Eve");
}

TEST_F(PrefsTest, ADamagedFileIsKeptOnceBeforeItIsOverwritten)
{
    ChunkWriter good;
    good.Install("game").User(0).Value("a", "1").User(1).Value("name", "Ann");
    ChunkWriter wrongKey("anotherkey");
    wrongKey.Install("game").User(0).Value("a", "1");
    struct Case
    {
        const char* what;
        std::string file;
        bool damaged;
        bool savedAtLoad;  // a legacy file is rewritten as soon as it is read
    };
    const Case cases[] = {
        {"intact", good.Bytes(), false, false},
        {"written with another key", wrongKey.Bytes(), true, false},
        {"cut short", good.Bytes().substr(0, good.Bytes().size() - 3), true, false},
        {"stray bytes at the end", good.Bytes() + "xyz", true, false},
        {"not a chunk file", std::string(40, '\x17'), true, false},
        {"legacy file failing its check", LegacyFile(kLegacyDocument, kKey, 1), true, true},
    };
    const auto bad = tree / "user/prefs.dat.bad";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(bad);
        WritePrefs(c.file);
        {
            TPrefs prefs(true);
            EXPECT_EQ(prefs.IsDamaged(), c.damaged && !c.savedAtLoad);
            prefs.SetValue("new", "v", -1);
            if (!c.savedAtLoad)
            {
                // A save that fails keeps nothing and leaves the damaged file.
                TPrefs::SetSaveHookForTest(AbandonBeforeRename);
                EXPECT_FALSE(prefs.Save());
                TPrefs::SetSaveHookForTest(nullptr);
                EXPECT_FALSE(std::filesystem::exists(bad));
                EXPECT_EQ(ReadPrefs(), c.file);
            }

            ASSERT_TRUE(prefs.Save());
            EXPECT_EQ(std::filesystem::exists(bad), c.damaged);
            if (!c.damaged) continue;
            EXPECT_EQ(filetest::ReadAll(bad), c.file);
            EXPECT_FALSE(prefs.IsDamaged());
            // Kept once: later saves leave the kept copy alone.
            tree.Write("user/prefs.dat.bad", "mine");
            prefs.SetValue("later", "w", -1);
            ASSERT_TRUE(prefs.Save());
            EXPECT_EQ(filetest::ReadAll(bad), "mine");
        }
        TPrefs reader(false);
        EXPECT_STREQ(reader.GetValue("new", "-", -1).CStr(), "v");
        EXPECT_FALSE(reader.IsDamaged());
    }
}

TEST_F(PrefsTest, SaveWithoutAFolderFailsLoudly)
{
    SetUserDataFolder("");
    ClearAssetIndex();
    TPrefs prefs(true);
    prefs.SetValue("a", "1");
    EXPECT_FALSE(prefs.Save());
    EXPECT_NE(tree.Log().find("prefs: cannot save"), std::string::npos);

    TPrefs disabled(false);
    EXPECT_TRUE(disabled.Save());
}

}  // namespace
