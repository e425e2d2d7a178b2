// The committed content against its sources in art/: every picture rendered
// at the size its SVG declares, every sound description synthesised, and the
// start-up's pictures, sounds and texts where the game looks for them. Needs
// no renderer: it catches a source added, resized or edited without running
// `make content`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "core/FileTestSupport.h"
#include "core/StringTable.h"
#include "graphics/ImageDecoder.h"
#include "psi/ParticleDescription.h"
#include "sound/OggDataSource.h"
#include "synth/SynthRender.h"
#include "synth/SynthScore.h"

namespace
{

namespace fs = std::filesystem;
using filetest::ReadAll;

const fs::path kRoot = ORVELLE_SOURCE_DIR;

// The framework's literal name of a file of the checkout.
TString Literal(const fs::path& path)
{
    return TString(("::" + path.string()).c_str());
}

// Files under art/<folder> ending in extension, as paths relative to art/.
std::vector<fs::path> Sources(const std::string& folder, const std::string& extension)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "art" / folder))
    {
        if (entry.is_regular_file() && entry.path().extension() == extension)
            found.push_back(fs::relative(entry.path(), kRoot / "art"));
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The integer value of attribute name in the root <svg> tag; -1 when there
// is none.
int RootAttribute(const std::string& text, const std::string& name)
{
    const size_t start = text.find("<svg");
    const size_t end = text.find('>', start);
    if (start == std::string::npos || end == std::string::npos) return -1;
    const std::string tag = text.substr(start, end - start);
    for (size_t at = tag.find(name + "=\""); at != std::string::npos;
         at = tag.find(name + "=\"", at + 1))
    {
        if (!std::isspace(static_cast<unsigned char>(tag[at - 1]))) continue;
        const size_t first = at + name.size() + 2;
        const size_t quote = tag.find('"', first);
        const std::string digits = tag.substr(first, quote - first);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(digits);
    }
    return -1;
}

struct TPicture
{
    bool ok = false;
    int width = 0;
    int height = 0;
    int side = 0;
    int hasAlpha = 0;
    uint8_t* pixels = nullptr;  // blue, green, red, alpha

    explicit TPicture(const fs::path& path)
    {
        uint32_t key = 0;
        ok = LoadPngImage(nullptr, 0, Literal(path), &pixels, &width, &height, &side, &key,
                          &hasAlpha);
    }
    ~TPicture() { FreePngImage(pixels); }
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // 0xRRGGBBAA
    uint32_t At(int x, int y) const
    {
        const uint8_t* p = pixels + (static_cast<size_t>(y) * side + x) * 4;
        return uint32_t(p[2]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 8 | p[3];
    }
};

class ContentTest : public ::testing::Test
{
protected:
    filetest::TempTree tree_;  // catches the decoders' log lines
};

TEST_F(ContentTest, EveryPictureIsRenderedAtItsDeclaredSize)
{
    const std::vector<fs::path> svgs = Sources("images", ".svg");
    EXPECT_FALSE(svgs.empty());
    for (const fs::path& svg : svgs)
    {
        SCOPED_TRACE(svg.string());
        const std::string text = ReadAll(kRoot / "art" / svg);
        const int width = RootAttribute(text, "width");
        const int height = RootAttribute(text, "height");
        ASSERT_GT(width, 0) << "the root needs an integer width";
        ASSERT_GT(height, 0) << "the root needs an integer height";

        fs::path png = kRoot / "assets" / svg;
        png.replace_extension(".png");
        ASSERT_TRUE(fs::exists(png)) << "not rendered: run make content";
        const TPicture picture(png);
        ASSERT_TRUE(picture.ok);
        EXPECT_EQ(picture.width, width) << "rendered at another size: run make content";
        EXPECT_EQ(picture.height, height) << "rendered at another size: run make content";
        EXPECT_EQ(picture.hasAlpha, 1);
    }
}

TEST_F(ContentTest, EverySoundIsSynthesisedAsItsDescriptionSays)
{
    const std::vector<fs::path> descriptions = Sources("audio", ".txt");
    EXPECT_FALSE(descriptions.empty());
    for (const fs::path& description : descriptions)
    {
        SCOPED_TRACE(description.string());
        TSynthScore score;
        TSynthError error;
        ASSERT_TRUE(ParseSynthScore(ReadAll(kRoot / "art" / description), score, error))
            << error.line << ": " << error.message;

        fs::path ogg = kRoot / "assets" / description;
        ogg.replace_extension(".ogg");
        ASSERT_TRUE(fs::exists(ogg)) << "not synthesised: run make content";
        TOggDataSource sound;
        ASSERT_TRUE(sound.Open(Literal(ogg), false));
        EXPECT_EQ(sound.GetSampleRate(), score.rate);
        EXPECT_EQ(sound.GetChannels(), score.channels);
        const int64_t frames = sound.GetTotalBytes() / (2 * score.channels);
        EXPECT_GT(frames, 0);
        if (score.loopBars > 0)
        {
            EXPECT_EQ(frames, SynthLoopFrames(score));
        }

        std::vector<uint8_t> pcm(static_cast<size_t>(sound.GetTotalBytes()));
        EXPECT_EQ(sound.Read(pcm.data(), 0, static_cast<uint32_t>(pcm.size())), pcm.size());
    }
}

// Every committed sound is mastered near full scale (effects to about
// -3 dBFS, music to about -6), so that the game's volumes alone set how
// loud they play: a file that peaks far below the others stays quiet at
// any setting.
TEST_F(ContentTest, EveryCommittedSoundPeaksNearFullScale)
{
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "assets"))
    {
        if (!entry.is_regular_file() || entry.path().extension() != ".ogg") continue;
        SCOPED_TRACE(fs::relative(entry.path(), kRoot).string());
        ++count;
        TOggDataSource sound;
        ASSERT_TRUE(sound.Open(Literal(entry.path()), false));
        std::vector<int16_t> pcm(static_cast<size_t>(sound.GetTotalBytes()) / 2);
        ASSERT_EQ(sound.Read(pcm.data(), 0, static_cast<uint32_t>(pcm.size() * 2)),
                  pcm.size() * 2);
        int peak = 0;
        for (int16_t sample : pcm) peak = std::max(peak, std::abs(int(sample)));
        ASSERT_GT(peak, 0) << "silent";
        const double dbfs = 20.0 * std::log10(peak / 32768.0);
        EXPECT_GE(dbfs, -9.0);
        EXPECT_LE(dbfs, -1.0);
    }
    EXPECT_GT(count, 0);
}

// orvelle-psi writes every committed particle file again byte for byte.
TEST_F(ContentTest, EveryParticleFileIsWrittenFromItsDescription)
{
    const std::vector<fs::path> descriptions = Sources("particles", ".txt");
    EXPECT_FALSE(descriptions.empty());
    for (const fs::path& description : descriptions)
    {
        SCOPED_TRACE(description.string());
        SParticleFile file;
        TPsiError error;
        ASSERT_TRUE(ParseParticleDescription(ReadAll(kRoot / "art" / description), file, error))
            << error.line << ": " << error.message;
        // Descriptions under particles/images/<path> are written to
        // assets/images/<path>; the top-level ones to the core particles.
        const fs::path rel = fs::relative(description, "particles");
        fs::path psi = *rel.begin() == "images" ? kRoot / "assets" / rel
                                                : kRoot / "assets" / "images" / "core" / "particle" / rel;
        psi.replace_extension(".psi");
        ASSERT_TRUE(fs::exists(psi)) << "not written: run make content";
        const std::vector<uint8_t> bytes = BuildParticleFile(file);
        EXPECT_EQ(ReadAll(psi), std::string(bytes.begin(), bytes.end()))
            << "differs from its description: run make content";
    }
    // The cursor trail's file and picture.
    EXPECT_TRUE(fs::exists(kRoot / "assets/images/core/particle/mouse_move.psi"));
    EXPECT_TRUE(fs::exists(kRoot / "assets/images/core/particle/mouse_move.png"));
}

// The files the start-up and its first screens load by these names.
TEST_F(ContentTest, StartUpContentIsWhereTheGameLooks)
{
    const char* const pictures[] = {
        "images/kursor",
        "images/kursor_sys",
        "images/core/main_menu/fon_close",
        "images/core/loading/fon",
        "images/core/loading/first_load",
        "images/core/loading/load",
        "images/core/loading/first_up_layer",
        "images/core/loading/up_layer",
        "images/core/dialog/panel",
        "images/core/dialog/button_normal",
        "images/core/dialog/button_pressed",
        "images/core/dialog/button_hover",
    };
    for (const char* name : pictures)
    {
        EXPECT_TRUE(fs::exists(kRoot / "assets" / (std::string(name) + ".png"))) << name;
        EXPECT_TRUE(fs::exists(kRoot / "art" / (std::string(name) + ".svg"))) << name;
    }
    for (const char* name : {"audio/music/main_menu", "audio/sound/core/click"})
    {
        EXPECT_TRUE(fs::exists(kRoot / "assets" / (std::string(name) + ".ogg"))) << name;
        EXPECT_TRUE(fs::exists(kRoot / "art" / (std::string(name) + ".txt"))) << name;
    }

    TStringTable strings;
    ASSERT_TRUE(strings.LoadFile(Literal(kRoot / "assets" / "strings.xml").CStr()));
    EXPECT_EQ(strings.GetString(TString("game_name")), TString("Orvelle"));
}

TEST_F(ContentTest, PointersAreOpaqueAtTheirTips)
{
    struct Case
    {
        const char* name;
        int x, y;
    };
    for (const Case& c : {Case{"kursor", 7, 6}, Case{"kursor_sys", 1, 1}})
    {
        SCOPED_TRACE(c.name);
        const TPicture picture(kRoot / "assets" / "images" / (std::string(c.name) + ".png"));
        ASSERT_TRUE(picture.ok);
        EXPECT_EQ(picture.At(c.x, c.y) & 0xff, 0xffu);
        // Nothing above or left of the tip, so the tip is where the pointer points.
        for (int y = 0; y < picture.height; ++y)
        {
            for (int x = 0; x < picture.width; ++x)
            {
                if (x < c.x || y < c.y)
                {
                    EXPECT_EQ(picture.At(x, y) & 0xff, 0u) << x << ',' << y;
                }
            }
        }
    }
}

// A test reading back a frame tells the first loading screen from a black
// one by these flat areas (art/README.md lists them).
TEST_F(ContentTest, FirstLoadingPicturesHaveTheirFlatSpots)
{
    struct Case
    {
        const char* name;
        int left, top, right, bottom;  // right and bottom excluded
        uint32_t rgba;
    };
    const Case cases[] = {
        {"images/core/main_menu/fon_close", 340, 0, 460, 80, 0x27345CFFu},
        {"images/core/loading/first_load", 0, 8, 560, 18, 0xF2B33DFFu},
        {"images/core/loading/load", 0, 8, 560, 18, 0x7CC35AFFu},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const TPicture picture(kRoot / "assets" / (std::string(c.name) + ".png"));
        ASSERT_TRUE(picture.ok);
        int wrong = 0;
        for (int y = c.top; y < c.bottom; ++y)
        {
            for (int x = c.left; x < c.right; ++x) wrong += picture.At(x, y) != c.rgba;
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The frame's window must sit over the bar: the bar centred in the frame
// shows through it and the frame covers what lies around.
TEST_F(ContentTest, LoadingFramesFitTheirBars)
{
    for (const char* set : {"first_", ""})
    {
        SCOPED_TRACE(set);
        const fs::path folder = kRoot / "assets" / "images" / "core" / "loading";
        const TPicture bar(folder / (std::string(set) + "load.png"));
        const TPicture frame(folder / (std::string(set) + "up_layer.png"));
        ASSERT_TRUE(bar.ok && frame.ok);
        const int left = (frame.width - bar.width) / 2;
        const int top = (frame.height - bar.height) / 2;
        // Transparent across the bar's middle row, opaque just outside the bar.
        for (int x = 8; x < bar.width - 8; ++x)
            EXPECT_EQ(frame.At(left + x, top + bar.height / 2) & 0xff, 0u) << x;
        for (int x = 0; x < bar.width; ++x)
        {
            EXPECT_EQ(frame.At(left + x, top - 1) & 0xff, 0xffu) << x;
            EXPECT_EQ(frame.At(left + x, top + bar.height) & 0xff, 0xffu) << x;
        }
        EXPECT_EQ(frame.At(left - 1, top + bar.height / 2) & 0xff, 0xffu);
        EXPECT_EQ(frame.At(left + bar.width, top + bar.height / 2) & 0xff, 0xffu);
    }
}

// --- Every name the shipped scripts and the game's code use resolves ---

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Files under root (recursively) with one of the extensions.
std::vector<fs::path> FilesUnder(const fs::path& root,
                                 std::initializer_list<const char*> extensions)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        for (const char* extension : extensions)
            if (entry.is_regular_file() && entry.path().extension() == extension)
                found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

// Every first capture of pattern in text.
std::vector<std::string> Matches(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1].str());
    return out;
}

// resources.lua as group -> entries without their "?group=" query.
std::map<std::string, std::set<std::string>> ResourceGroups()
{
    std::map<std::string, std::set<std::string>> groups;
    const std::string text = ReadText(kRoot / "assets" / "resources.lua");
    const std::regex group(R"(^([A-Za-z_0-9]+)\s*=\s*\{([^}]*)\})", std::regex::multiline);
    const std::regex entry(R"re("([^"?]+)(\?[^"]*)?")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), group);
         it != std::sregex_iterator(); ++it)
    {
        auto& entries = groups[(*it)[1].str()];
        for (const std::string& name : Matches((*it)[2].str(), entry)) entries.insert(name);
    }
    return groups;
}

// A picture or animation name as the loaders find it.
bool PictureExists(const std::string& name)
{
    for (const char* extension : {".png", ".jpg", ".xml"})
        if (fs::exists(kRoot / "assets" / (name + extension))) return true;
    return false;
}

TEST_F(ContentTest, EveryResourceGroupEntryHasItsFile)
{
    for (const auto& [group, entries] : ResourceGroups())
        for (const std::string& name : entries)
        {
            const bool audio = group.size() > 6 && group.substr(group.size() - 6) == "_audio";
            EXPECT_TRUE(audio ? fs::exists(kRoot / "assets" / (name + ".ogg"))
                              : PictureExists(name))
                << group << ": " << name;
        }
}

// The asset names written in the shipped scripts and the game's sources:
// "group:path" names are listed in their group and have their file; plain
// picture, particle and script names have their file; labels and the
// texts the code formats are in the string table.
TEST_F(ContentTest, EveryNameTheScriptsAndTheCodeUseResolves)
{
    const auto groups = ResourceGroups();
    TStringTable strings;
    ASSERT_TRUE(strings.LoadFile(Literal(kRoot / "assets" / "strings.xml").CStr()));

    std::vector<fs::path> scripts = FilesUnder(kRoot / "assets" / "scripts", {".lua"});
    std::vector<fs::path> sources = FilesUnder(kRoot / "src" / "game", {".cpp"});
    ASSERT_FALSE(scripts.empty());

    const std::regex grouped(R"re("([a-z_0-9]+:(images|audio)/[^"?]+))re");
    const std::regex picture(R"re("((images)/[A-Za-z_0-9/]+(\.psi)?)")re");
    const std::regex script(R"re("(scripts/[A-Za-z_0-9/]+\.lua)")re");
    const std::regex label(R"re(\b(?:label|text)\s*=\s*"([A-Za-z_][A-Za-z_0-9]*)")re");
    // The scripts' helpers: MenuButton(name, x, y, label, ...), Page(n, labels...).
    const std::regex helperLabel(R"re(\b(MenuButton|Page)\([^)]*\))re");
    const std::regex quoted(R"re("([a-z][a-z_0-9]*)")re");
    // The code's own look-ups in the string table.
    const std::regex formatted(R"re(strings->GetString\("([A-Za-z_][A-Za-z_0-9]*)")re");

    auto checkGrouped = [&](const std::string& name, const fs::path& where)
    {
        // A pattern the code completes ("..._%d"): its own tests check the
        // names it completes to.
        if (name.find("%d") != std::string::npos || name.find("%s") != std::string::npos) return;
        const size_t colon = name.find(':');
        const std::string group = name.substr(0, colon);
        const std::string path = name.substr(colon + 1);
        const auto found = groups.find(group);
        ASSERT_NE(found, groups.end()) << where << ": no group " << group;
        EXPECT_TRUE(found->second.count(path) != 0) << where << ": " << name << " not listed";
        const bool audio = path.rfind("audio/", 0) == 0;
        EXPECT_TRUE(audio ? fs::exists(kRoot / "assets" / (path + ".ogg")) : PictureExists(path))
            << where << ": " << name;
    };
    auto checkLabel = [&](const std::string& text, const fs::path& where)
    {
        EXPECT_TRUE(strings.GetString(TString(text.c_str())) != TString("#####"))
            << where << ": label " << text;
    };

    for (const fs::path& file : scripts)
    {
        const std::string text = ReadText(file);
        for (const std::string& name : Matches(text, grouped)) checkGrouped(name, file);
        for (const std::string& name : Matches(text, picture))
        {
            // The head of a name the script completes itself ("..._" .. state).
            if (name.back() == '_' || name.back() == '/') continue;
            const bool particle = name.size() > 4 && name.substr(name.size() - 4) == ".psi";
            EXPECT_TRUE(particle ? fs::exists(kRoot / "assets" / name) : PictureExists(name))
                << file << ": " << name;
        }
        for (const std::string& name : Matches(text, script))
            EXPECT_TRUE(fs::exists(kRoot / "assets" / name)) << file << ": " << name;
        for (const std::string& name : Matches(text, label)) checkLabel(name, file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), helperLabel);
             it != std::sregex_iterator(); ++it)
        {
            const std::vector<std::string> args = Matches(it->str(), quoted);
            const size_t first = (*it)[1].str() == "MenuButton" ? 1 : 0;
            for (size_t i = first; i < args.size(); ++i) checkLabel(args[i], file);
        }
    }
    for (const fs::path& file : sources)
    {
        const std::string text = ReadText(file);
        for (const std::string& name : Matches(text, grouped)) checkGrouped(name, file);
        for (const std::string& name : Matches(text, formatted)) checkLabel(name, file);
    }
}

}  // namespace
