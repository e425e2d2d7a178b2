// orvelle-psi: descriptions parsed, written as particle files and read back
// by the game's reader; faulty descriptions refused with their line.
#include "psi/ParticleDescription.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/FileTestSupport.h"

namespace
{

namespace fs = std::filesystem;

// A description naming every field with a value of its own: field i gets
// i + 0.25 (floats), 1000 + i (integers) or i (the flag).
std::string EveryField()
{
    std::string text = "# every field\n\n";
    int i = 0;
    for (const SParticleField& field : kParticleFields)
    {
        ++i;
        std::string value;
        switch (field.kind)
        {
            case EParticleFieldKind::kFloat:
                value = std::to_string(i) + ".25";
                break;
            case EParticleFieldKind::kInt32:
                value = std::to_string(1000 + i);
                break;
            case EParticleFieldKind::kFlag:
                value = std::to_string(i);
                break;
        }
        text += std::string(field.name) + " = " + value + "  # field " + std::to_string(i) + "\n";
    }
    return text + "blend = 1\n";
}

SParticleFile ReadBack(const std::vector<uint8_t>& bytes)
{
    SParticleFile back;
    EXPECT_TRUE(ParseParticleFile(bytes.data(), bytes.size(), true, "written", back));
    return back;
}

TEST(ParticleDescription, EveryFieldAndRecordThroughWriterAndReader)
{
    const std::string text = EveryField() +
                             "position = -12.5 40\n"
                             "extra_points = 1 2 -3 4\n"
                             "path_points = 5 6\n"
                             "path_values = -7 2147483647\n";
    SParticleFile file;
    TPsiError error;
    ASSERT_TRUE(ParseParticleDescription(text, file, error)) << error.line << ": " << error.message;
    const std::vector<uint8_t> bytes = BuildParticleFile(file);
    const SParticleFile back = ReadBack(bytes);

    const auto* record = reinterpret_cast<const uint8_t*>(&back.params);
    int i = 0;
    for (const SParticleField& field : kParticleFields)
    {
        ++i;
        SCOPED_TRACE(field.name);
        switch (field.kind)
        {
            case EParticleFieldKind::kFloat:
            {
                float v;
                std::memcpy(&v, record + field.offset, 4);
                EXPECT_EQ(v, float(i) + 0.25f);
                break;
            }
            case EParticleFieldKind::kInt32:
            {
                int32_t v;
                std::memcpy(&v, record + field.offset, 4);
                EXPECT_EQ(v, 1000 + i);
                break;
            }
            case EParticleFieldKind::kFlag:
                EXPECT_EQ(record[field.offset], i);
                break;
        }
    }
    EXPECT_EQ(back.params.unused, 0u);
    EXPECT_EQ(back.params.emissionRate, 1001) << "the rate is the block's second word";
    EXPECT_EQ(back.params.alphaVariation, 31.25f) << "and alpha variation its last";
    EXPECT_TRUE(back.hasPosition);
    EXPECT_EQ(back.positionX, -12.5f);
    EXPECT_EQ(back.positionY, 40.0f);
    EXPECT_EQ(back.extraPoints, (std::vector<SParticlePoint>{{1, 2}, {-3, 4}}));
    EXPECT_EQ(back.pathPoints, (std::vector<SParticlePoint>{{5, 6}}));
    EXPECT_TRUE(back.hasPathValues);
    EXPECT_EQ(back.pathValues[0], -7);
    EXPECT_EQ(back.pathValues[1], 2147483647);
    EXPECT_TRUE(back.blend);

    // Written again from what was read, the bytes are the same.
    EXPECT_EQ(BuildParticleFile(back), bytes);
}

TEST(ParticleDescription, WithoutOptionalRecordsTheEndTagFollowsTheBlock)
{
    SParticleFile file;
    TPsiError error;
    std::string text = EveryField();
    text.replace(text.find("blend = 1"), 9, "blend = 0");
    ASSERT_TRUE(ParseParticleDescription(text, file, error)) << error.message;
    const std::vector<uint8_t> bytes = BuildParticleFile(file);
    ASSERT_EQ(bytes.size(), 130u);
    EXPECT_EQ(bytes[128], 0);
    EXPECT_EQ(bytes[129], 0);
    const SParticleFile back = ReadBack(bytes);
    EXPECT_FALSE(back.blend);
    EXPECT_FALSE(back.hasPosition);
    EXPECT_FALSE(back.hasPathValues);
}

TEST(ParticleDescription, FaultsNameTheirLine)
{
    // Every field listed takes lines 3 to 33; blend is line 34.
    struct Case
    {
        const char* what;
        std::string from, to;  // the replaced text ("" appends to)
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"unknown name", "", "colour = 1\n", 35, "unknown name \"colour\""},
        {"repeated name", "", "rate = 3\n", 35, "\"rate\" was given already on line 3"},
        {"missing field", "size_end = ", "# size_end = ", 35, "missing \"size_end\""},
        {"missing blend", "blend = 1", "", 35, "missing \"blend\""},
        {"no '='", "spread = ", "spread ", 8, "expected name = value"},
        {"two names", "spread = ", "spread x = ", 8, "expected one name before '='"},
        {"fractional rate", "rate = 1001", "rate = 1.5", 3, "\"rate\" takes an integer"},
        {"rate past 32 bits", "rate = 1001", "rate = 4294967296", 3, "\"rate\" takes an integer"},
        {"flag above a byte", "relative = 7", "relative = 256", 9,
         "\"relative\" takes an integer from 0 to 255"},
        {"not a number", "spread = 6.25", "spread = wide", 8, "\"spread\" takes a finite number"},
        {"nan", "spread = 6.25", "spread = nan", 8, "\"spread\" takes a finite number"},
        {"infinity", "spread = 6.25", "spread = -inf", 8, "\"spread\" takes a finite number"},
        {"two values", "spread = 6.25", "spread = 6 7", 8, "\"spread\" takes one value"},
        {"no value", "spread = 6.25", "spread =", 8, "\"spread\" takes one value"},
        {"blend 2", "blend = 1", "blend = 2", 34, "\"blend\" takes 0 or 1"},
        {"odd point list", "", "extra_points = 1 2 3\n", 35,
         "\"extra_points\" takes pairs of integers"},
        {"empty point list", "", "path_points =\n", 35, "\"path_points\" takes pairs of integers"},
        {"one path value", "", "path_values = 4\n", 35, "\"path_values\" takes two integers"},
        {"position of one", "", "position = 4\n", 35, "\"position\" takes two numbers"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string text = EveryField();
        if (c.from.empty())
        {
            text += c.to;
        }
        else
        {
            const size_t at = text.find(c.from);
            ASSERT_NE(at, std::string::npos);
            text.replace(at, c.from.size(), c.to);
        }
        SParticleFile file;
        TPsiError error;
        EXPECT_FALSE(ParseParticleDescription(text, file, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.message, c.message);
    }
}

TEST(ParticleDescription, RunWritesTheFileOrLeavesItAlone)
{
    filetest::TempTree tree;
    tree.Write("good.txt", EveryField());
    tree.Write("bad.txt", EveryField() + "size = 3\n");
    const fs::path out = tree / "out" / "deep" / "spark.psi";

    std::ostringstream err;
    EXPECT_EQ(RunPsi((tree / "good.txt").string(), out.string(), err), 0);
    EXPECT_EQ(err.str(), "");
    SParticleFile file;
    TPsiError error;
    ASSERT_TRUE(ParseParticleDescription(EveryField(), file, error));
    const std::vector<uint8_t> want = BuildParticleFile(file);
    EXPECT_EQ(filetest::ReadAll(out), std::string(want.begin(), want.end()));

    EXPECT_EQ(RunPsi((tree / "bad.txt").string(), out.string(), err), 1);
    EXPECT_EQ(err.str(), (tree / "bad.txt").string() + ":35: unknown name \"size\"\n");
    EXPECT_EQ(filetest::ReadAll(out), std::string(want.begin(), want.end()));

    err.str("");
    EXPECT_EQ(RunPsi((tree / "none.txt").string(), out.string(), err), 1);
    EXPECT_EQ(err.str(), (tree / "none.txt").string() + ": cannot be read\n");
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(out.parent_path())) ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left";
}

}  // namespace
