// The XML reader, the ZXML container and the writer.
#include "core/Xml.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

std::string Str(const TString& s)
{
    return std::string(s.CStr());
}

std::vector<unsigned char> MakeZxml(const std::string& text, int declaredDelta = 0,
                                    int compressedDelta = 0)
{
    uLongf bound = compressBound(static_cast<uLong>(text.size()));
    std::vector<unsigned char> z(bound);
    EXPECT_EQ(compress(z.data(), &bound, reinterpret_cast<const Bytef*>(text.data()), text.size()),
              Z_OK);
    z.resize(bound);
    std::vector<unsigned char> out = {'Z', 'X', 'M', 'L'};
    auto put = [&](uint32_t v)
    {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(static_cast<int64_t>(z.size()) + compressedDelta));
    put(static_cast<uint32_t>(static_cast<int64_t>(text.size()) + declaredDelta));
    out.insert(out.end(), z.begin(), z.end());
    return out;
}

TEST(XmlRead, ElementsAttributesAndText)
{
    struct Case
    {
        const char* input;
        const char* child;
        const char* attribute;
        const char* value;
        bool quoted;
        const char* text;
    };
    const Case cases[] = {
        {"<a b=\"1\"/>", "a", "b", "1", true, ""},
        {"<a b=1 />", "a", "b", "1", false, ""},
        {"<a>x  y</a>", "a", "", "", false, "x y"},
        {"<a>x=y</a>", "a", "", "", false, "x = y"},
        {"<a>&lt;b&gt;</a>", "a", "", "", false, "<b>"},
        {"<a k=\"v w=<>\">t</a>", "a", "k", "v w=<>", true, "t"},
        {"\xEF\xBB\xBF<a>t</a>", "a", "", "", false, "t"},        // signature skipped
        {"<a>&#195;&#169;</a>", "a", "", "", false, "\xC3\xA9"},  // byte references
        {"<a>&#x41;&#X62;</a>", "a", "", "", false, "Ab"},        // hexadecimal references
        {"<a>&bogus; &amp</a>", "a", "", "", false, "&bogus; &amp"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.input);
        TXmlNode root;
        root.Parse(c.input);
        ASSERT_EQ(root.Children().size(), 1u);
        TXmlNode* a = root.Children()[0];
        EXPECT_EQ(Str(a->name), c.child);
        EXPECT_FALSE(a->HasChildren());
        EXPECT_EQ(Str(a->text), c.text);
        EXPECT_EQ(a->textLength, static_cast<int>(std::string(c.text).size()));
        if (*c.attribute)
        {
            bool quoted = !c.quoted;
            EXPECT_EQ(Str(a->GetAttribute(c.attribute, &quoted)), c.value);
            EXPECT_EQ(quoted, c.quoted);
        }
        else
        {
            EXPECT_TRUE(a->Attributes().empty());
        }
    }
}

TEST(XmlRead, DeclarationAndMismatchedEndTags)
{
    TXmlNode doc;
    doc.Parse("<?xml version=\"1.0\"?><root/>");
    ASSERT_EQ(doc.Children().size(), 2u);
    EXPECT_EQ(Str(doc.Children()[0]->name), "?xml");
    EXPECT_EQ(Str(doc.Children()[0]->GetAttribute("version")), "1.0");
    EXPECT_EQ(Str(doc.Children()[1]->name), "root");

    // End tag names are never compared: </c> closes b, </a> closes a.
    TXmlNode mismatched;
    mismatched.Parse("<a><b></c></a><d/>");
    ASSERT_EQ(mismatched.Children().size(), 2u);
    TXmlNode* a = mismatched.FindChild("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->Children().size(), 1u);
    EXPECT_EQ(Str(a->Children()[0]->name), "b");
    EXPECT_NE(mismatched.FindChild("d"), nullptr);

    // Comments and DOCTYPE are childless nodes; a top-level end tag ends all.
    TXmlNode misc;
    misc.Parse("<!DOCTYPE x><!-- note --><e/></stop><late/>");
    ASSERT_EQ(misc.Children().size(), 3u);
    EXPECT_EQ(Str(misc.Children()[0]->name), "!DOCTYPE");
    EXPECT_EQ(std::string(misc.Children()[1]->name.CStr()).rfind("!--", 0), 0u);
    EXPECT_EQ(misc.FindChild("late"), nullptr);
}

TEST(XmlRead, DamagedDocumentsKeepWhatWasRead)
{
    struct Case
    {
        const char* input;
        const char* path;  // names from the root, '/' separated
        const char* text;
    };
    const Case cases[] = {
        {"<a><b>text", "a/b", "text"},              // truncated inside content
        {"<a><b x=\"1", "a/b", ""},                 // truncated inside a tag
        {"<a k=\"never closed>body</a>", "a", ""},  // unterminated quote runs to the end
        {"<a>one</a", "a", "one"},
        {"<", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.input);
        TXmlNode root;
        root.Parse(c.input);
        TXmlNode* node = &root;
        std::string path = c.path;
        while (!path.empty())
        {
            const size_t slash = path.find('/');
            const std::string name = path.substr(0, slash);
            node = node->FindChild(name.c_str());
            ASSERT_NE(node, nullptr) << name;
            path = slash == std::string::npos ? "" : path.substr(slash + 1);
        }
        EXPECT_EQ(Str(node->text), c.text);
    }
    TXmlNode quoted;
    quoted.Parse("<a k=\"never closed>body</a>");
    EXPECT_EQ(Str(quoted.FindChild("a")->GetAttribute("k")), "never closed>body</a>");
}

// Readers that must not act on half a document ask whether it was whole.
TEST(XmlRead, ParseTellsWhetherTheDocumentWasWhole)
{
    struct Case
    {
        std::string input;
        bool whole;
    };
    std::string deep;
    for (int i = 0; i < TXmlNode::kMaxDepth + 10; ++i) deep += "<n>";
    const Case cases[] = {
        {"<a><b>t</b></a>\n", true},
        {"<?xml version=\"1.0\"?><!-- c --><a x=\"1\"/>", true},
        {"", true},
        {"just text", true},
        {"<a><b>text", false},                    // elements left open
        {"<a><b x=\"1", false},                   // inside a tag
        {"<a>one</a", false},                     // inside an end tag
        {"<a k=\"never closed>body</a>", false},  // quote runs to the end
        {"<", false},
        {deep, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.input.substr(0, 40));
        TXmlNode root;
        EXPECT_EQ(root.Parse(c.input.data(), c.input.size()), c.whole);
        const std::vector<unsigned char> z = MakeZxml(c.input);
        TXmlNode packed;
        EXPECT_EQ(packed.Parse(z.data(), z.size()), c.whole);
    }
    // A container that cannot be inflated is damaged whatever it held.
    std::vector<unsigned char> cut = MakeZxml("<a><b>t</b></a>");
    cut.resize(cut.size() - 4);
    TXmlNode root;
    EXPECT_FALSE(root.Parse(cut.data(), cut.size()));
}

TEST(XmlRead, DeepNestingStopsWithoutOverflow)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<n>";
    TXmlNode root;
    root.Parse(deep.c_str());
    int depth = 0;
    for (TXmlNode* node = &root; node->HasChildren(); node = node->Children()[0]) ++depth;
    EXPECT_GE(depth, TXmlNode::kMaxDepth);
    EXPECT_LE(depth, TXmlNode::kMaxDepth + 1);
}

TEST(XmlRead, LongTokensAreNotCut)
{
    const std::string value(100000, 'v');
    const std::string doc = "<a k=\"" + value + "\">" + value + "</a>";
    TXmlNode root;
    root.Parse(doc.c_str());
    TXmlNode* a = root.FindChild("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Str(a->GetAttribute("k")), value);
    EXPECT_EQ(Str(a->text), value);
}

TEST(XmlRead, LongRunsOfUnfinishedReferencesStayLiteral)
{
    // Each "&#" looks for its ";" once per scan, not once per reference:
    // these megabyte-long tokens would take minutes otherwise.
    std::string run;
    for (int i = 0; i < 1000000; ++i) run += "&#";
    for (const std::string& text : {run, run + ";"})
    {
        const std::string doc = "<a>" + text + "</a>";
        TXmlNode root;
        root.Parse(doc.c_str());
        ASSERT_NE(root.FindChild("a"), nullptr);
        EXPECT_EQ(root.FindChild("a")->textLength, static_cast<int>(text.size()));
    }
    // A reference after such a run still decodes.
    TXmlNode root;
    root.Parse("<a>&#&#&#65;</a>");
    EXPECT_EQ(Str(root.FindChild("a")->text), "&#&#A");
}

TEST(Zxml, ContainerRoundTripAndCorruption)
{
    const std::string text = "<settings><vsync>1</vsync></settings>";
    {
        const std::vector<unsigned char> z = MakeZxml(text);
        TXmlNode root;
        root.Parse(z.data(), z.size());
        ASSERT_NE(root.FindChild("settings"), nullptr);
        EXPECT_EQ(Str(root.FindChild("settings")->FindChild("vsync")->text), "1");
    }
    struct Case
    {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    std::vector<unsigned char> truncated = MakeZxml(text);
    truncated.resize(truncated.size() - 6);
    std::vector<unsigned char> flipped = MakeZxml(text);
    flipped[14] ^= 0x55;
    const Case cases[] = {
        {"header only", {'Z', 'X', 'M', 'L', 1, 0}},
        {"empty text", MakeZxml("")},
        {"declared text too short", MakeZxml(text, -10)},
        {"declared text huge", MakeZxml(text, 0x7FFFFFF0)},
        {"truncated stream", truncated},
        {"damaged stream", flipped},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TXmlNode root;
        root.Parse(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(root.HasChildren());
        EXPECT_EQ(root.textLength, 0);
    }
    // Texts that inflate in several steps, up to exactly the declared length.
    for (size_t size : {size_t(16384), size_t(16385), size_t(200000)})
    {
        SCOPED_TRACE(size);
        std::string big = "<a>";
        while (big.size() < size - 4) big += static_cast<char>('a' + big.size() * 7 % 26);
        big += "</a>";
        const std::vector<unsigned char> z = MakeZxml(big);
        std::vector<unsigned char> inflated;
        ASSERT_TRUE(InflateZxml(z.data(), z.size(), inflated));
        EXPECT_EQ(std::string(inflated.begin(), inflated.end()), big);
    }
    // A compressed length beyond the data is cut to the data, which is whole.
    const std::vector<unsigned char> generous = MakeZxml(text, 0, 1000000);
    std::vector<unsigned char> out;
    EXPECT_TRUE(InflateZxml(generous.data(), generous.size(), out));
    EXPECT_EQ(std::string(out.begin(), out.end()), text);
    // Inputs shorter than the header are refused without reading past them.
    EXPECT_FALSE(InflateZxml(generous.data(), 11, out));
    EXPECT_TRUE(out.empty());
}

TEST(XmlWrite, LayoutAndEscaping)
{
    TXmlNode root("n");
    root.SetAttribute("k", "v");
    root.AppendText("t", 1);
    root.AddChild("c");
    EXPECT_EQ(Str(root.ToString()), "<n\n    k=\"v\">\nt\n    <c>\n    </c>\n</n>\n");

    TXmlNode unnamed;
    const std::string out = Str(unnamed.ToString());
    EXPECT_EQ(out, "<>\n</>\n");

    EXPECT_EQ(Str(EscapeXml("\xC3\xA9")), "&#195;&#169;");
    EXPECT_EQ(Str(EscapeXml("a<b>&\"'\n")), "a&lt;b&gt;&amp;&quot;&apos;&#10;");
}

TEST(XmlWrite, AnyBytesSurviveWriteAndRead)
{
    std::string bytes;
    for (int c = 1; c < 256; ++c) bytes.push_back(static_cast<char>(c));
    TXmlNode root;
    TXmlNode* item = root.AddChild("item");
    item->SetAttribute("raw", TString(bytes.c_str()));
    item->AddAttribute("plain", "1", false);
    const TString written = root.ToString();
    EXPECT_GT(root.sizeHint, 0);

    TXmlNode back;
    back.Parse(written.CStr());
    // The unnamed root's "<>" reads as nothing; item is at top level.
    TXmlNode* again = back.FindChild("item");
    ASSERT_NE(again, nullptr);
    bool quoted = false;
    EXPECT_EQ(Str(again->GetAttribute("raw", &quoted)), bytes);
    EXPECT_TRUE(quoted);
    EXPECT_EQ(Str(again->GetAttribute("plain", &quoted)), "1");
    EXPECT_FALSE(quoted);
}

TEST(XmlTree, AttributeAndChildWalks)
{
    TXmlNode root;
    root.Parse("<a x=1 y=\"2\"><b/><c/></a>");
    TXmlNode* a = root.FindChild("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(root.FindChild("A"), nullptr);  // case-sensitive

    bool quoted = true;
    EXPECT_EQ(Str(a->GetAttribute("missing", &quoted)), "");
    EXPECT_TRUE(quoted);  // untouched
    a->SetAttribute("x", "9");
    EXPECT_EQ(Str(a->GetAttribute("x", &quoted)), "9");
    EXPECT_TRUE(quoted);

    std::vector<std::string> names;
    TString name, value;
    a->ResetAttributeIterator();
    while (a->NextAttribute(name, value)) names.push_back(Str(name) + "=" + Str(value));
    EXPECT_EQ(names, (std::vector<std::string>{"x=9", "y=2"}));

    names.clear();
    TXmlNode* child = nullptr;
    a->ResetChildIterator();
    while (a->NextChild(name, child)) names.push_back(Str(name));
    EXPECT_EQ(names, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(Str(XmlAttributeValue(*a->Attributes()[1])), "2");
}

TEST(XmlFile, LoadFilePlainZxmlAndMissing)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("xml_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string plain = (dir / "plain.xml").string();
    const std::string packed = (dir / "packed.xml").string();
    {
        std::ofstream(plain, std::ios::binary) << "\xEF\xBB\xBF<root><v>1</v></root>";
        const std::vector<unsigned char> z = MakeZxml("<root><v>2</v></root>");
        std::ofstream(packed, std::ios::binary)
            .write(reinterpret_cast<const char*>(z.data()), static_cast<std::streamsize>(z.size()));
    }
    for (const auto& [file, expected] : {std::pair{plain, "1"}, std::pair{packed, "2"}})
    {
        TXmlNode root;
        ASSERT_TRUE(root.LoadFile(("::" + file).c_str()));
        ASSERT_NE(root.FindChild("root"), nullptr);
        EXPECT_EQ(Str(root.FindChild("root")->FindChild("v")->text), expected);
    }
    TXmlNode missing;
    EXPECT_FALSE(missing.LoadFile(("::" + (dir / "none.xml").string()).c_str()));
    EXPECT_FALSE(missing.HasChildren());

    // The byte-wise file source reads the same bytes as the loader.
    TGetCharFile src(TString(("::" + plain).c_str()));
    ASSERT_TRUE(src.IsOpen());
    EXPECT_EQ(src.GetChar(), 0xEF);
    EXPECT_EQ(src.UngetChar(0xEF), 0xEF);
    EXPECT_EQ(src.GetChar(), 0xEF);
    src.Rewind();
    EXPECT_EQ(src.GetChar(), 0xEF);
    EXPECT_TRUE(src.Reopen());
    EXPECT_EQ(src.GetChar(), 0xEF);
    std::filesystem::remove_all(dir);
}

}  // namespace
