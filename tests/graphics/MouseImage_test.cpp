// The mouse image: the colour-key and alpha rules, the overlay over the
// normal image and back, the hot spot, visibility, clipping, the colour
// cursor, a device that cannot hold the pointer, the rebuild after a restore
// with its re-entry line; composed on the recording device, and read back
// from a headless SDL window with the back buffer left as it was.
#include <gtest/gtest.h>

#include "core/Settings.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"
#include "graphics/support/RecordingScene.h"
#include "graphics/support/TestDisplayHost.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A host whose application task list the test can see, that can clip to a
// root window and that can call back into the context while it is busy.
class PointerHost : public TDrawContextHost
{
public:
    void AddAppTask(TTask* task) override
    {
        tasks.Add(task);
        if (reenter && context) context->RestoreMouseImage();
    }
    void RunIdleTasks() override { tasks.RunTasks(TaskPhaseIdle); }
    bool GetRootWindowArea(GfxRect* area) override
    {
        if (!hasRoot) return false;
        *area = root;
        return true;
    }
    void InvalidateWindows() override { ++invalidated; }

    TTaskList tasks;
    bool reenter = false;
    TDXContext* context = nullptr;
    bool hasRoot = false;
    GfxRect root{0, 0, 0, 0};
    int invalidated = 0;
};

TTextureRef Image(int w, int h, const std::vector<uint32_t>& px)
{
    TTextureRef t = TTexture::CreateEmpty(w, h, true);
    const TLockedPixels p(t);
    EXPECT_TRUE(p);
    if (!p) return t;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Row(y)[x] = px[size_t(y) * w + x];
    return t;
}

class MouseImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TDrawContext::UseDevice(&device_, &host_);
        dc_ = TDrawContext::GetInstance();
        dc_->GetDisplayHandler()->SetDisplay({.width = 64, .height = 48, .force = true, .quiet = true});
        ASSERT_TRUE(dc_->GetDisplayHandler()->IsReady());
        ctx_ = dc_->GetDisplayHandler()->GetContext();
        host_.context = ctx_;
        device_.CapturePresentedPicture(true);
        ClearSettings();
    }
    void TearDown() override
    {
        host_.tasks.DeleteAll();
        TDrawContext::Destroy();
        TDrawContext::UseDevice(nullptr, nullptr);
    }
    // A white frame presented; the window picture's pixel.
    void Present()
    {
        device_.ColorFill(nullptr, {0, 0, 64, 48}, kWhite);
        ASSERT_TRUE(dc_->BeginDraw(false));
        dc_->EndDraw(true);
        ASSERT_TRUE(device_.GetPresentedPicture(&picture_, nullptr, nullptr));
    }
    uint32_t At(int x, int y) const { return picture_[size_t(y) * 64 + x] & 0xFFFFFFu; }

    TempLog log_;
    GfxRecordingDevice device_;
    PointerHost host_;
    TDrawContext* dc_ = nullptr;
    TDXContext* ctx_ = nullptr;
    std::vector<uint32_t> picture_;
};

TEST_F(MouseImageTest, ColourKeyMakesMagentaTransparentAndTheRestOpaque)
{
    struct Case
    {
        uint32_t pixel;
        uint32_t shown;
    } const cases[] = {
        {0xFFFF00FFu, 0xFFFFFF},  // magenta: transparent
        {0xFFF800F8u, 0xFFFFFF},  // (248, 0, 248): transparent too
        {0x00F700FFu, 0xF700FF},  // (247, 0, 255): opaque, whatever its alpha
        {0xFFFF01FFu, 0xFF01FF},  // a little green: opaque
        {0x00000000u, 0x000000},  // transparent black is drawn black
    };
    std::vector<uint32_t> row;
    for (const Case& c : cases) row.push_back(c.pixel);
    ASSERT_TRUE(ctx_->SetMouseImage(Image(5, 1, row), 0, 0, false));
    ctx_->UpdateMouse(10, 10);
    Present();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(At(10 + i, 10), cases[i].shown) << i;
    EXPECT_EQ(device_.BackPixel(12, 10), kWhite);  // the back buffer never holds it
}

TEST_F(MouseImageTest, OverlayBlendsWithItsAlphaAndGivesWayWhenCleared)
{
    ASSERT_TRUE(ctx_->SetMouseImage(Image(1, 1, {0xFFFF0000u}), 0, 0, false));
    ASSERT_TRUE(ctx_->SetMouseImage(Image(2, 1, {0x80FFFFFFu, 0x00000000u}), 0, 0, true));
    EXPECT_TRUE(ctx_->IsOverlayActive());
    ctx_->UpdateMouse(20, 20);
    Present();
    EXPECT_EQ(At(20, 20), 0xFEFEFEu);  // (255 x 127 + 255 x 128) >> 8 = 254
    EXPECT_EQ(At(21, 20), 0xFFFFFFu);  // alpha 0 leaves the frame
    ctx_->SetMouseImage(nullptr, 0, 0, true);
    EXPECT_FALSE(ctx_->IsOverlayActive());
    Present();
    EXPECT_EQ(At(20, 20), 0xFF0000u);
}

TEST_F(MouseImageTest, HotSpotVisibilityAndClipping)
{
    ASSERT_TRUE(
        ctx_->SetMouseImage(Image(2, 2, std::vector<uint32_t>(4, 0xFF0000FFu)), 1, 1, false));
    Present();
    EXPECT_EQ(At(0, 0), 0xFFFFFFu);  // not shown before the first move
    ctx_->UpdateMouse(30, 30);
    Present();
    EXPECT_EQ(At(29, 29), 0x0000FFu);
    EXPECT_EQ(At(30, 30), 0x0000FFu);
    EXPECT_EQ(At(31, 31), 0xFFFFFFu);
    int x = 0, y = 0;
    ctx_->GetMouseImagePos(&x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 30);
    // Out of the window: hidden until it comes back.
    ctx_->HideMouse();
    EXPECT_GT(host_.invalidated, 0);
    Present();
    EXPECT_EQ(At(30, 30), 0xFFFFFFu);
    ctx_->UpdateMouse(30, 30);
    ctx_->SetCursorVisible(false);
    Present();
    EXPECT_EQ(At(30, 30), 0xFFFFFFu);
    ctx_->SetCursorVisible(true);
    // Cut to the root window's area.
    host_.hasRoot = true;
    host_.root = {0, 0, 30, 30};
    Present();
    EXPECT_EQ(At(29, 29), 0x0000FFu);
    EXPECT_EQ(At(30, 30), 0xFFFFFFu);
    EXPECT_EQ(ctx_->GetMouseImage() != nullptr, true);
}

TEST_F(MouseImageTest, ActiveXOverlayBecomesAColourCursor)
{
    SetSetting("activex", "1");
    ASSERT_TRUE(ctx_->SetMouseImage(Image(1, 1, {0xFFFF0000u}), 0, 0, false));
    std::vector<uint32_t> big(40 * 40, 0xFF00FF00u);
    big[0] = 0xFF123456u;
    big[33] = 0xFF999999u;  // beyond the 32 columns used
    ASSERT_TRUE(ctx_->SetMouseImage(Image(40, 40, big), 3, 4, true));
    EXPECT_TRUE(device_.Called("SetColorCursor 3 4"));
    ASSERT_EQ(device_.colorCursor.size(), 32u * 32u);
    EXPECT_EQ(device_.colorCursor[0], 0xFF123456u);
    EXPECT_EQ(device_.colorCursor[31], 0xFF00FF00u);
    EXPECT_TRUE(ctx_->HasCursorIcon());
    EXPECT_TRUE(dc_->GetDisplayHandler()->UpdateCursor());
    ctx_->UpdateMouse(5, 5);
    Present();
    EXPECT_EQ(At(5, 5), 0xFFFFFFu);  // the platform draws it, not the frame
    device_.Fail("SetColorCursor", GFX_E_FAIL);
    EXPECT_FALSE(ctx_->SetMouseImage(Image(1, 1, {1}), 0, 0, true));
}

TEST_F(MouseImageTest, NoRoomForThePointerMeansNoPointerAndNoError)
{
    device_.Fail("SetPointerImage", GFX_E_OUTOFVIDEOMEMORY);
    EXPECT_TRUE(ctx_->SetMouseImage(Image(1, 1, {0xFFFF0000u}), 0, 0, false));
    ctx_->UpdateMouse(5, 5);
    Present();
    EXPECT_EQ(At(5, 5), 0xFFFFFFu);
    EXPECT_FALSE(log_.Has("DX Error"));
    // Without a device nothing is set at all.
    EXPECT_FALSE(TDXContext(nullptr, nullptr).SetMouseImage(nullptr, 0, 0, false));
}

TEST_F(MouseImageTest, RestoreRebuildsBothImagesWithTheirHotSpots)
{
    ASSERT_TRUE(ctx_->SetMouseImage(Image(1, 1, {0xFFFF0000u}), 0, 0, false));
    ASSERT_TRUE(
        ctx_->SetMouseImage(Image(3, 3, std::vector<uint32_t>(9, 0xFF00FF00u)), 2, 2, true));
    ctx_->UpdateMouse(10, 10);
    EXPECT_EQ(host_.tasks.Count(), 1);  // the listener
    // The device lost its pictures; the display comes back and the listener
    // runs once every asset is restored.
    device_.SetPointerImage(nullptr, 0, 0);
    device_.SimulateLoss();
    dc_->GetDisplayHandler()->GetPlatformData()->workingCount = 5;
    dc_->GetDisplayHandler()->GetPlatformData()->Restore();
    EXPECT_EQ(device_.pointerWidth, 3);
    Present();
    EXPECT_EQ(At(8, 8), 0x00FF00u);  // the overlay's own hot spot (2, 2)
    EXPECT_EQ(At(7, 7), 0xFFFFFFu);

    // A restore started from inside the first one is refused with its line.
    host_.tasks.DeleteAll();
    host_.reenter = true;
    ctx_->RestoreMouseImage();
    host_.reenter = false;
    EXPECT_TRUE(log_.Has("Second concurrent call to RestoreMouseImage"));
}

// --- the same pictures through SDL's renderer, read back from the window ---

TEST(MouseImageSdlTest, ThePointerIsComposedIntoTheWindowPicture)
{
    ImageDisplay display(64, 48);
    ASSERT_TRUE(display.Ready());
    TDXContext* ctx = display.dc->GetDisplayHandler()->GetContext();
    IGfxDevice* device = display.Device();
    device->CapturePresentedPicture(true);
    ASSERT_TRUE(ctx->SetMouseImage(Image(2, 1, {0xFFFF00FFu, 0xFF0000FFu}), 0, 0, false));
    ASSERT_TRUE(ctx->SetMouseImage(Image(1, 1, {0x80FFFFFFu}), 0, 0, true));
    ctx->UpdateMouse(10, 10);
    device->ColorFill(nullptr, {0, 0, 64, 48}, kWhite);
    ASSERT_TRUE(display.dc->BeginDraw(false));
    display.dc->EndDraw(true);
    std::vector<uint32_t> picture;
    int w = 0, h = 0;
    ASSERT_TRUE(device->GetPresentedPicture(&picture, &w, &h));
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 48);
    EXPECT_TRUE(RgbNear(picture[10 * 64 + 10] & 0xFFFFFFu, 0xFEFEFE, 1));
    EXPECT_EQ(display.Pixel(10, 10), 0xFFFFFFu);  // the back buffer is untouched

    ctx->SetMouseImage(nullptr, 0, 0, true);  // back to the colour-keyed normal image
    device->ColorFill(nullptr, {0, 0, 64, 48}, kWhite);
    ASSERT_TRUE(display.dc->BeginDraw(false));
    display.dc->EndDraw(true);
    ASSERT_TRUE(device->GetPresentedPicture(&picture, &w, &h));
    EXPECT_EQ(picture[10 * 64 + 10] & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(picture[10 * 64 + 11] & 0xFFFFFFu, 0x0000FFu);
}

}  // namespace
