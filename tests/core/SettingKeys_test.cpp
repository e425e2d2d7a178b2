// The setting keys: code under src/ names every key through the constants of
// core/SettingKeys.h, never as a string of its own, so that a misspelt key
// fails to compile instead of quietly reading a default.
#include "core/SettingKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(ORVELLE_SOURCE_DIR) / "src";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every key the header names, read from the header itself so that a key
// added there is known here without another list to keep.
std::set<std::string> KnownKeys()
{
    const std::string header = ReadFile(kSourceRoot / "core" / "SettingKeys.h");
    static const std::regex kConstant(R"re(constexpr const char\* k\w+ = "([^"]*)";)re");
    std::set<std::string> keys;
    for (std::sregex_iterator it(header.begin(), header.end(), kConstant), end; it != end; ++it)
        keys.insert((*it)[1].str());
    return keys;
}

// The literal key a line passes or compares, or "" when it has none: a
// string as the first argument of any function with "Setting" in its name,
// or a known key compared with a variable called key.
std::string LiteralKeyIn(const std::string& line, const std::set<std::string>& known)
{
    static const std::regex kCall(R"re(\b\w*Setting\w*\s*\(\s*"([^"]*)")re");
    static const std::regex kCompare(R"re(\bkey\s*[!=]=\s*"([^"]*)"|"([^"]*)"\s*[!=]=\s*key\b)re");
    // Most lines name neither: they skip the (slow) expressions.
    if (line.find("Setting") == std::string::npos && line.find("key") == std::string::npos)
        return "";
    const size_t start = line.find_first_not_of(" \t");
    if (start != std::string::npos && line.compare(start, 2, "//") == 0) return "";
    std::smatch m;
    if (std::regex_search(line, m, kCall)) return m[1].str();
    if (std::regex_search(line, m, kCompare))
    {
        const std::string key = m[1].matched ? m[1].str() : m[2].str();
        if (known.count(key) != 0) return key;
    }
    return "";
}

TEST(SettingKeysTest, TheCheckFindsLiteralKeysAndOnlyThose)
{
    const std::set<std::string> known = {"vsync", "dxbroken"};
    const struct
    {
        const char* line;
        const char* key;
    } cases[] = {
        {R"(    if (GetSettingBool("vsync")) return;)", "vsync"},
        {R"(    SetSetting( "dxbroken", "1");)", "dxbroken"},
        {R"(    TString v = GetSetting("anything", "");)", "anything"},
        {R"(    dc->OnSettingChanged("new_subtractive", "1");)", "new_subtractive"},
        {R"(    dc->GetRenderSetting("16bitmode");)", "16bitmode"},
        {R"(    if (key == "vsync"))", "vsync"},
        {R"(    else if ("dxbroken" != key))", "dxbroken"},
        // Constants, values and other comparisons are fine.
        {R"(    if (GetSettingBool(kSettingVsync)) return;)", ""},
        {R"(    SetSetting(kSettingDxBroken, "1");)", ""},
        {R"(    SetSetting(key, "vsync");)", ""},
        {R"(    if (key == "type"))", ""},
        {R"(    LogPrintf("vsync is off");)", ""},
        {R"(    // GetSetting("vsync") once read the key here)", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LiteralKeyIn(c.line, known), c.key) << c.line;
}

TEST(SettingKeysTest, TheHeaderNamesEveryTableKeyOnce)
{
    const std::set<std::string> known = KnownKeys();
    EXPECT_TRUE(known.count("vsync") != 0 && known.count("texturememorymax") != 0);
    std::set<std::string> table;
    for (const char* key : kSettingKeyTable)
    {
        EXPECT_TRUE(table.insert(key).second) << key << " twice in the table";
        EXPECT_TRUE(known.count(key) != 0) << key;
    }
}

TEST(SettingKeysTest, NoSourceNamesAKeyAsALiteral)
{
    const std::set<std::string> known = KnownKeys();
    ASSERT_FALSE(known.empty());
    std::vector<std::string> found;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceRoot))
    {
        const fs::path& path = entry.path();
        if (!entry.is_regular_file()) continue;
        if (path.extension() != ".cpp" && path.extension() != ".h" && path.extension() != ".c")
            continue;
        if (path.filename() == "SettingKeys.h") continue;
        ++files;
        std::istringstream text(ReadFile(path));
        std::string line;
        for (int number = 1; std::getline(text, line); ++number)
        {
            const std::string key = LiteralKeyIn(line, known);
            if (!key.empty())
                found.push_back(fs::relative(path, kSourceRoot).string() + ":" +
                                std::to_string(number) + ": \"" + key + "\"");
        }
    }
    EXPECT_GT(files, 100u);
    std::string list;
    for (const std::string& f : found) list += "\n  " + f;
    EXPECT_TRUE(found.empty())
        << "setting keys written as literals (name them in core/SettingKeys.h):" << list;
}

}  // namespace
