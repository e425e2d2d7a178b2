// The string table: the row scanner (plain and ZXML), later files winning,
// escapes, missing labels, the test mode and the start-up file set.
#include "core/StringTable.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "core/FileNames.h"
#include "core/Settings.h"

namespace
{

std::string Row(const std::string& label, const std::string& text)
{
    return "<Row><Cell><Data ss:Type=\"String\">" + label +
           "</Data></Cell><Cell><Data ss:Type=\"String\">" + text + "</Data></Cell></Row>\n";
}

std::string Sheet(const std::string& rows)
{
    return "<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n" + rows +
           "</Table></Worksheet></Workbook>\n";
}

std::string Zxml(const std::string& text)
{
    uLongf bound = compressBound(static_cast<uLong>(text.size()));
    std::string z(bound, '\0');
    compress(reinterpret_cast<Bytef*>(z.data()), &bound,
             reinterpret_cast<const Bytef*>(text.data()), text.size());
    z.resize(bound);
    std::string out = "ZXML";
    for (uint32_t v : {static_cast<uint32_t>(z.size()), static_cast<uint32_t>(text.size())})
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
    return out + z;
}

class StringTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string sheet =
            Sheet(Row("LEVEL", "Level %1% of %2%") + Row("SURE", "100%% sure") +
                  Row("WIN", "Win %BONUS%") + Row("BONUS", "50 coins %1%") +
                  Row("SALE", "50% off today") + Row("TRAIL", "Trailing %") +
                  Row("SIX", "Arg %6%") + Row("ZERO", "Arg %0%") + Row("ARG", "[%1%]") +
                  Row("PADDED", "[%0000000002%]") + Row("HUGE", "[%99999999999999999999%]") +
                  Row("BROKEN", "Uses %NOPE%") + Row("ENT", "a &amp; b &lt;c&gt; &#195;&#169;"));
        table.AddBuffer(sheet.data(), sheet.size());
    }
    void TearDown() override { ClearSettings(); }

    std::string Get(const char* label, const TString& a1 = TString(), const TString& a2 = TString())
    {
        return table.GetString(label, a1, a2).CStr();
    }

    TStringTable table;
};

TEST_F(StringTableTest, EscapesResolve)
{
    EXPECT_EQ(Get("LEVEL", "3", "10"), "Level 3 of 10");
    EXPECT_EQ(Get("SURE"), "100% sure");
    EXPECT_EQ(Get("WIN"), "Win 50 coins %1%");  // the inserted text is not expanded
    EXPECT_EQ(Get("ARG", "%BONUS%"), "[50 coins %1%]");
    EXPECT_EQ(Get("ARG", "%%"), "[%]");
    EXPECT_EQ(Get("ARG", "plain"), "[plain]");
    EXPECT_EQ(Get("ARG"), "[]");
    EXPECT_EQ(Get("PADDED", "a", "b"), "[b]");  // leading zeros count for nothing
    EXPECT_EQ(Get("ENT"), "a & b <c> \xC3\xA9");
}

TEST_F(StringTableTest, LonePercentSignsStayLiteral)
{
    EXPECT_EQ(Get("SALE"), "50% off today");
    EXPECT_EQ(Get("TRAIL"), "Trailing %");
}

TEST_F(StringTableTest, FailuresGiveTheMissingMark)
{
    const struct
    {
        const char* label;
        const char* arg;
    } cases[] = {
        {"NO_SUCH_LABEL", ""}, {"SIX", ""},       {"ZERO", ""},  {"BROKEN", ""},
        {"HUGE", ""},          {"ARG", "%NOPE%"}, {"ARG", "%x"}, {"ARG", "%"},
    };
    for (const auto& c : cases) EXPECT_EQ(Get(c.label, c.arg), "#####") << c.label << " " << c.arg;
    // Lookup with fewer arguments than the escape names fails too.
    EXPECT_STREQ(table.Lookup("LEVEL", 1, nullptr).CStr(), "#####");
}

TEST_F(StringTableTest, TestModeMasksEveryByteButBlanks)
{
    SetSetting("stringtest", "1");
    EXPECT_EQ(Get("LEVEL", "3", "10"), "xxxxx x xx xx");
    EXPECT_EQ(Get("NO_SUCH_LABEL"), "#####");
}

TEST(StringTableScan, RowShapes)
{
    const std::string sheet =
        "<Row><Cell/></Row>"                                         // no data cell: nothing
        "<Row><Data>ONLY</Data></Row>"                               // one cell: empty text
        "<Row><Data>A</Data><Data>first</Data><Data>x</Data></Row>"  // extra cells ignored
        "<Row><Data>A</Data><Data>second</Data></Row>"               // later row wins
        "<Row><Data>OPEN</Data><Data>runs to the end";               // unterminated last row
    TStringTable table;
    table.AddBuffer(sheet.data(), sheet.size());
    EXPECT_EQ(table.Size(), 3u);
    TString text;
    ASSERT_TRUE(table.GetRaw("ONLY", text));
    EXPECT_STREQ(text.CStr(), "");
    ASSERT_TRUE(table.GetRaw("A", text));
    EXPECT_STREQ(text.CStr(), "second");
    ASSERT_TRUE(table.GetRaw("OPEN", text));
    EXPECT_STREQ(text.CStr(), "runs to the end");

    // A cell of another row is never taken for a missing second cell.
    const std::string split = "<Row><Data>L1</Data></Row><Row><Data>L2</Data><Data>t2</Data></Row>";
    TStringTable other;
    other.AddBuffer(split.data(), split.size());
    ASSERT_TRUE(other.GetRaw("L1", text));
    EXPECT_STREQ(text.CStr(), "");
}

TEST(StringTableScan, ZxmlAndCorruptContainers)
{
    const std::string plain = Sheet(Row("Z", "zipped"));
    const std::string packed = Zxml(plain);
    TStringTable table;
    table.AddBuffer(packed.data(), packed.size());
    TString text;
    ASSERT_TRUE(table.GetRaw("Z", text));
    EXPECT_STREQ(text.CStr(), "zipped");

    std::string lying = packed;
    lying[8] = 2;  // declared text far too short
    std::string cut = packed.substr(0, packed.size() - 5);
    for (const std::string& bad :
         {lying, cut, std::string("ZXML"), std::string("ZXML\xff\xff\xff\xff\xff\xff\xff\x7f")})
    {
        TStringTable t;
        t.AddBuffer(bad.data(), bad.size());
        EXPECT_EQ(t.Size(), 0u);
    }
}

TEST(StringTableFiles, LoadAddAndStartupOrder)
{
    filetest::TempTree tree;
    tree.Write("assets/strings.xml", Sheet(Row("A", "base") + Row("B", "base") + Row("C", "base")));
    tree.Write("user/strings_extra.xml", Sheet(Row("B", "user")));
    tree.Write("user/stringsZ.xml", Zxml(Sheet(Row("D", "zipped user"))));
    tree.Write("user/notstrings.xml", Sheet(Row("A", "ignored")));
    tree.Write("user/strings.txt", Sheet(Row("A", "ignored too")));
    tree.Write("common/strings_common.xml", Sheet(Row("C", "common") + Row("B", "common")));
    SetUserDataFolder((tree / "user").c_str());
    SetCommonDataFolder((tree / "common").c_str());
    BuildAssetIndex();

    TStringTable table;
    EXPECT_TRUE(table.LoadStartupFiles());
    EXPECT_STREQ(table.GetString("A").CStr(), "base");
    EXPECT_STREQ(table.GetString("B").CStr(), "common");  // common comes after user
    EXPECT_STREQ(table.GetString("C").CStr(), "common");
    EXPECT_STREQ(table.GetString("D").CStr(), "zipped user");

    EXPECT_FALSE(table.AddFile("no_such_file.xml"));
    EXPECT_EQ(table.Size(), 4u);  // a failed add keeps the table
    EXPECT_FALSE(table.LoadFile("no_such_file.xml"));
    EXPECT_EQ(table.Size(), 0u);  // LoadFile clears first
    EXPECT_STREQ(table.GetString("A").CStr(), "#####");
    EXPECT_NE(tree.Log().find(" ##### : Missing string for label 'A'"), std::string::npos);
}

TEST(StringTableFlash, PrefixFirstThenNumberedNames)
{
    const std::string withPrefix =
        Sheet(Row("FLASH_A", "1") + Row("flash01_02", "2") + Row("OTHER", "3"));
    TStringTable table;
    table.AddBuffer(withPrefix.data(), withPrefix.size());
    TStringMap out;
    table.GetFlashStrings(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out.begin()->first, TString("FLASH_A"));

    const std::string numbered =
        Sheet(Row("flash01_02", "2") + Row("flash7", "3") + Row("flashy", "4"));
    TStringTable other;
    other.AddBuffer(numbered.data(), numbered.size());
    TStringMap out2;
    other.GetFlashStrings(out2);
    EXPECT_EQ(out2.size(), 2u);
}

}  // namespace
