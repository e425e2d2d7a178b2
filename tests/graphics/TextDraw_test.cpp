// Text drawn headless: the calibration, the drawing context's line lists
// against the same text written into a target, and the debug overlay.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/FontRegistry.h"
#include "graphics/TextGraphic.h"
#include "graphics/VecDraw.h"
#include "support/ImageDisplay.h"
#include "support/TestDisplayHost.h"

// Mesa keeps allocations past context teardown.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

class TextDrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!display_.Ready()) GTEST_SKIP() << "no headless display";
        draw_ = std::make_unique<TQvMiniVecDraw>();
        draw_->CalibrateRendering();
        SetVecDraw(draw_.get());
    }
    void TearDown() override
    {
        SetVecDraw(nullptr);
        draw_.reset();
        GetFontRegistry().Clear();
    }
    std::vector<uint32_t> ReadBack(int w, int h)
    {
        std::vector<uint32_t> px(size_t(w * h));
        display_.Device()->ReadBack({0, 0, w, h}, px.data());
        return px;
    }

    TempLog log_;
    ImageDisplay display_{320, 120};
    std::unique_ptr<TQvMiniVecDraw> draw_;
};

}  // namespace

TEST_F(TextDrawTest, CalibrationFindsACorrectCase)
{
    EXPECT_GE(draw_->GetCalibrationCase(), 0);
    EXPECT_EQ(draw_->GetBatchSize(), 256);
}

TEST_F(TextDrawTest, DrawnThroughTheContextEqualsWrittenIntoATarget)
{
    auto text = TTextGraphic::Create("Quick <b>brown</b> <i>fox</i> <u>jumps</u> 0123", 300, 100, 0,
                                     "__DEFAULT", 20, TFloatVector4(1, 0.8f, 0.2f, 1));
    display_.Clear();
    ASSERT_TRUE(display_.dc->BeginDraw(false));
    text->Draw(TFloatPoint(7.5f, 10.25f), 100, 1.0f);
    display_.dc->EndDraw(false);
    const std::vector<uint32_t> drawn = ReadBack(320, 120);

    std::vector<uint32_t> target(320 * 120, 0xFF000000u);
    // The same text, written by the drawer into a pixel block outside any
    // frame, fresh from the rasteriser.
    draw_->ClearCache();
    draw_->BeginPixelTarget(0, 0, target.data(), 320, 120, 320);
    text->Draw(TFloatPoint(7.5f, 10.25f), 100, 1.0f, 0.0f, 1.0f, true);
    draw_->EndPixelTarget();
    int lit = 0, worst = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        for (int s = 0; s < 24; s += 8)
            worst = std::max(worst, std::abs(int((drawn[i] >> s) & 255) - int((target[i] >> s) & 255)));
        lit += (target[i] & 0xFF00) > 0x8000;
    }
    EXPECT_GT(lit, 200);
    EXPECT_LE(worst, 1);
}

TEST_F(TextDrawTest, OverlayShowsRedTextAfterToggle)
{
    display_.Clear();
    EXPECT_FALSE(display_.dc->ToggleDebugOverlay());
    ASSERT_TRUE(display_.dc->BeginDraw(false));
    display_.dc->EndDraw(false);
    const std::vector<uint32_t> px = ReadBack(300, 64);
    int red = 0, other = 0;
    for (uint32_t p : px)
    {
        const int r = int((p >> 16) & 255), g = int((p >> 8) & 255), b = int(p & 255);
        if (r > 128 && g < 32 && b < 32) ++red;
        if (g > 32 || b > 32) ++other;
    }
    EXPECT_GT(red, 100);
    EXPECT_EQ(other, 0);
}

namespace
{

// The number after label in the overlay's text, in kB; -1 when missing.
long long OverlayKb(const TString& text, const char* label)
{
    const std::string s = text.CStr();
    const size_t at = s.find(std::string(label) + ": ");
    if (at == std::string::npos) return -1;
    return std::atoll(s.c_str() + at + std::strlen(label) + 2);
}

}  // namespace

TEST_F(TextDrawTest, OverlayCountsTheProcessMemoryAndTheDeviceTextures)
{
    const TString before = display_.dc->GetOverlayText();
    EXPECT_GT(OverlayKb(before, "Mem"), 0);
    EXPECT_GE(OverlayKb(before, "MaxMem"), OverlayKb(before, "Mem"));
    GfxTexture* texture = display_.Device()->CreateTexture(128, 256, GFX_TEXTURE_STATIC);
    ASSERT_NE(texture, nullptr);
    const TString holding = display_.dc->GetOverlayText();
    EXPECT_EQ(OverlayKb(holding, "TexMem"), OverlayKb(before, "TexMem") + 128);
    EXPECT_GE(OverlayKb(holding, "MaxTexMem"), OverlayKb(holding, "TexMem"));
    display_.Device()->DestroyTexture(texture);
    const TString after = display_.dc->GetOverlayText();
    EXPECT_EQ(OverlayKb(after, "TexMem"), OverlayKb(before, "TexMem"));
    EXPECT_EQ(OverlayKb(after, "MaxTexMem"), OverlayKb(holding, "MaxTexMem"));
}
