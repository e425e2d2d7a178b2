// Texture assets and their data over a headless SDL display: cache keys,
// loader options and fall-backs, masks, surface sizes, lock, restore, and
// quads drawn with mirroring, rotation and source rectangles read back as
// pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Settings.h"
#include "graphics/DrawContext.h"
#include "graphics/Texture.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/ImageDisplay.h"

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace
{

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu,
                   kWhite = 0xFFFFFFFFu;

std::vector<uint32_t> Solid(int w, int h, uint32_t argb)
{
    return std::vector<uint32_t>(size_t(w) * h, argb);
}

// Four quadrants: red top-left, green top-right, blue bottom-left, white
// bottom-right.
std::vector<uint32_t> Quadrants(int w, int h)
{
    std::vector<uint32_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] =
                y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kWhite);
    return px;
}

class TextureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display_.Ready());
        SetGlobalAssetManager(&manager_);
    }
    void TearDown() override { SetGlobalAssetManager(nullptr); }

    void PutPng(const std::string& name, int w, int h, const std::vector<uint32_t>& px,
                bool alpha = true)
    {
        assets_.Put(name, imagefx::PngFromArgb(w, h, px, alpha));
    }

    // Draws params with the texture in one frame on a black screen.
    void DrawOnce(const TTextureRef& t, const TDrawParams& params)
    {
        display_.Clear();
        ASSERT_TRUE(dc_->BeginDraw(false));
        ASSERT_TRUE(dc_->Begin2d());
        dc_->SetTextureFilter(0);
        t->Draw(params);
        dc_->End2d();
        dc_->EndDraw(false);
    }

    ImageAssets assets_;
    TAssetManager manager_;
    ImageDisplay display_{160, 120};
    TDrawContext* dc_ = display_.dc;
};

// --- keys and cache ---

TEST_F(TextureTest, KeysFollowNameAndOptions)
{
    struct Case
    {
        TString key, expected;
    } const cases[] = {
        {MakeTextureKey("images\\bg.png", true, true, false), "images/bg.png:a:m:tex"},
        {MakeTextureKey("a.png", false, false, false), "a.png:tex"},
        {MakeTextureKey("c.png", false, false, true), "c.png:s:tex"},
        {MakeMaskedTextureKey("a\\b.jpg", "m.png", true), "a\\b.jpg:m.png:m:tex"},
        {MakeMaskedTextureKey("a.jpg", "m.png", false), "a.jpg:m.png:tex"},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.key.CStr(), c.expected.CStr());
}

TEST_F(TextureTest, GetSharesOneObjectPerKeyWhileReferenced)
{
    PutPng("a/b.png", 4, 4, Solid(4, 4, kRed));
    TTextureRef one = TTexture::Get("a\\b.png", 3);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(TTexture::Get("a/b.png", 3), one);
    EXPECT_EQ(TTexture::Find("a/b.png:a:m:tex"), one);

    TTextureRef plain = TTexture::Get("a/b.png", 0), alpha = TTexture::Get("a/b.png", 2);
    ASSERT_NE(plain, nullptr);
    EXPECT_NE(plain, alpha);
    EXPECT_TRUE(alpha->HasAlpha());

    TTexture* before = one.get();
    one.reset();
    EXPECT_EQ(TTexture::Find("a/b.png:a:m:tex"), nullptr);
    TTextureRef again = TTexture::Get("a/b.png", 3);
    ASSERT_NE(again, nullptr);
    (void)before;
    EXPECT_EQ(TTexture::Find("a/b.png:a:m:tex"), again);
}

TEST_F(TextureTest, EmptyTexturesGetTheirOwnKeysAndForgetThemOnDestruction)
{
    TTextureRef a = TTexture::CreateEmpty(8, 8, true), b = TTexture::CreateEmpty(8, 8, true);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const TString keyA = MakeUnnamedTextureKey(a.get());
    EXPECT_NE(keyA, MakeUnnamedTextureKey(b.get()));
    EXPECT_EQ(TTexture::Find(keyA), a);
    const int count = manager_.GetCount();
    a.reset();
    EXPECT_EQ(manager_.GetCount(), count - 1);
    EXPECT_EQ(TTexture::CreateEmpty(0, 8, true), nullptr);
}

TEST_F(TextureTest, AlphaComesFromTheOptionsOrTheFile)
{
    PutPng("rgba.png", 2, 2, Solid(2, 2, 0x80FF0000u), true);
    PutPng("rgb.png", 2, 2, Solid(2, 2, kRed), false);
    EXPECT_TRUE(TTexture::Get("rgba.png", 0)->HasAlpha());
    EXPECT_FALSE(TTexture::Get("rgb.png", 0)->HasAlpha());
    EXPECT_FALSE(TTexture::Get("rgba.png", 4)->HasAlpha());
    EXPECT_TRUE(TTexture::Get("rgb.png?alpha", 0)->HasAlpha());
    TTextureRef mip = TTexture::Get("rgb.png?mipmap", 0);
    EXPECT_TRUE(mip->GetData()->HasFlag(TTextureData::kMipmap));
    EXPECT_TRUE(TTexture::Get("rgb.png?simple", 0)->IsSimple());
    TTextureRef slow = TTexture::Get("rgb.png?slow", 0);
    EXPECT_TRUE(slow->IsSimple());
    EXPECT_TRUE(slow->GetData()->HasFlag(TTextureData::kSlow));
    EXPECT_STREQ(slow->GetData()->name.CStr(), "rgb.png?slow");
}

// --- loader ---

TEST_F(TextureTest, NamesWithoutExtensionTryPngThenJpgThenJp2)
{
    imagefx::Jp2Spec j;
    j.grey = true;
    j.components = {{9}};
    assets_.Put("only2.jp2", imagefx::EncodeJp2(j));
    assets_.Put("both.jpg", imagefx::JpegFromArgb(1, 1, Solid(1, 1, kRed)));
    PutPng("both.png", 1, 1, Solid(1, 1, kRed));
    assets_.Put("jpg.jpg", imagefx::JpegFromArgb(1, 1, Solid(1, 1, kRed)));
    struct Case
    {
        const char* name;
        const char* loaded;
    } const cases[] = {
        {"both", "both.png"},   {"jpg", "jpg.jpg"},
        {"only2", "only2.jp2"}, {"only2?mipmap", "only2.jp2?mipmap"},
        {"none", nullptr},      {"none.png", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TTextureRef t = TTexture::Get(c.name, 0);
        if (!c.loaded)
        {
            EXPECT_EQ(t, nullptr);
            continue;
        }
        ASSERT_NE(t, nullptr);
        EXPECT_STREQ(t->GetData()->name.CStr(), c.loaded);
    }
    EXPECT_TRUE(TTexture::Get("only2?mipmap", 0)->GetData()->HasFlag(TTextureData::kMipmap));
}

TEST_F(TextureTest, AutomaticMaskGivesAJpegAlpha)
{
    assets_.Put("bg.jpg", imagefx::JpegFromArgb(4, 4, Solid(4, 4, kRed)));
    PutPng("bg.mask.png", 4, 4, Solid(4, 4, 0xFF400000u), false);
    TTextureRef off = TTexture::Get("bg.jpg", 0);
    ASSERT_NE(off, nullptr);
    EXPECT_FALSE(off->HasAlpha());
    off.reset();

    SetSetting("automergemask", "1");
    TTextureRef on = TTexture::Get("bg.jpg", 0);
    ASSERT_NE(on, nullptr);
    EXPECT_TRUE(on->HasAlpha());
    EXPECT_STREQ(on->GetData()->maskName.CStr(), "bg.mask.png");
    {
        const TLockedPixels locked(on);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[0] >> 24, 0x40u);
    }
}

TEST_F(TextureTest, SeparateMasks)
{
    assets_.Put("img.jpg", imagefx::JpegFromArgb(8, 8, Solid(8, 8, kRed)));
    PutPng("m.png", 8, 8, Solid(8, 8, 0xFF200000u), false);
    PutPng("other.png", 8, 8, Solid(8, 8, 0xFF300000u), false);
    PutPng("small.png", 4, 4, Solid(4, 4, 0xFF100000u), false);
    PutPng("own.png", 8, 8, Solid(8, 8, 0x7700FF00u), true);
    assets_.Put("broken.png",
                imagefx::Truncated(imagefx::PngFromArgb(8, 8, Solid(8, 8, kRed)), 30));
    struct Case
    {
        const char* image;
        const char* mask;
        bool loads;
        uint32_t alpha;
    } const cases[] = {
        {"img.jpg", "m.png", true, 0x20},
        {"img.jpg", "other", true, 0x30},  // no extension: ".jpg", then ".png" appended
        {"img.jpg", "absent", false, 0},   // neither exists
        {"img.jpg", "absent.png", false, 0},
        {"img.jpg", "broken.png", false, 0},
        {"own.png", "small.png", true, 0x77},  // other size: the image keeps its own alpha
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.image) + " + " + c.mask);
        TTextureRef t = TTexture::GetWithMask(c.image, c.mask, 0);
        ASSERT_EQ(t != nullptr, c.loads);
        if (!t) continue;
        EXPECT_TRUE(t->HasAlpha());
        {
            const TLockedPixels locked(t);
            ASSERT_TRUE(locked);
            uint32_t* const px = locked.GetPixels();
            EXPECT_EQ(px[9] >> 24, c.alpha);
        }
    }
}

TEST_F(TextureTest, SidesAbove1024NeedTheSlowOption)
{
    PutPng("wide.png", 1025, 10, Solid(1025, 10, kGreen));
    PutPng("max.png", 1024, 1024, Solid(1024, 1024, kGreen), false);
    EXPECT_EQ(TTexture::Get("wide.png", 0), nullptr);
    TTextureRef slow = TTexture::Get("wide.png?slow", 0);
    ASSERT_NE(slow, nullptr);
    EXPECT_EQ(slow->GetData()->surfaceWidth, 2048);
    TTextureRef max = TTexture::Get("max.png", 0);
    ASSERT_NE(max, nullptr);
    EXPECT_EQ(max->GetWidth(), 1024);
}

TEST_F(TextureTest, SurfacesArePowersOfTwoWithRowsPacked)
{
    std::vector<uint32_t> px = Solid(300, 200, kBlue);
    px[199 * 300 + 299] = kRed;  // last pixel: lands at row 199 of a 512-wide surface
    PutPng("r.png", 300, 200, px, false);
    TTextureRef t = TTexture::Get("r.png", 0);
    ASSERT_NE(t, nullptr);
    const TTextureData* d = t->GetData();
    EXPECT_EQ(d->surfaceWidth, 512);
    EXPECT_EQ(d->surfaceHeight, 256);
    EXPECT_EQ(d->borderX, 106);
    EXPECT_EQ(d->borderY, 28);
    int sw = 0, sh = 0;
    t->GetSurfaceSize(&sw, &sh);
    EXPECT_EQ(sw, 512);
    EXPECT_EQ(sh, 256);
    {
        const TLockedPixels locked(t);
        ASSERT_TRUE(locked);
        uint32_t* const p = locked.GetPixels();
        const int pitch = locked.GetPitch();
        EXPECT_EQ(pitch, 512);
        EXPECT_EQ(p[199 * 512 + 299], kRed);
        EXPECT_EQ(p[199 * 512 + 298], kBlue);
        EXPECT_EQ(p[0], kBlue);
    }

    // Narrower than the block: rows move from S apart to the surface width apart.
    std::vector<uint32_t> tall = Solid(100, 300, kBlue);
    tall[299 * 100 + 99] = kRed;
    tall[1 * 100 + 0] = kGreen;
    PutPng("tall.png", 100, 300, tall, false);
    TTextureRef packed = TTexture::Get("tall.png", 0);
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(packed->GetData()->surfaceWidth, 128);
    EXPECT_EQ(packed->GetData()->surfaceHeight, 512);
    {
        const TLockedPixels locked(packed);
        ASSERT_TRUE(locked);
        uint32_t* const p = locked.GetPixels();
        const int pitch = locked.GetPitch();
        EXPECT_EQ(pitch, 128);
        EXPECT_EQ(p[299 * 128 + 99], kRed);
        EXPECT_EQ(p[1 * 128 + 0], kGreen);
        EXPECT_EQ(p[1 * 128 + 100], 0xFF000000u);  // padding, opaque as the image has no alpha
    }

    // A display that wants square textures gets the square block.
    t.reset();
    dc_->GetDisplayHandler()->GetPlatformData()->squareTexturesOnly = true;
    EXPECT_TRUE(dc_->RequiresSquareTextures());
    TTextureRef square = TTexture::Get("r.png", 0);
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->GetData()->surfaceWidth, 512);
    EXPECT_EQ(square->GetData()->surfaceHeight, 512);
    dc_->GetDisplayHandler()->GetPlatformData()->squareTexturesOnly = false;
}

// An empty texture keeps the size asked for; a display that wants square
// textures only widens its surface and centres the image in borders.
TEST_F(TextureTest, EmptyTexturesKeepTheirSizeOnASquareSurface)
{
    struct Case
    {
        bool square;
        int w, h;
        int surfaceW, surfaceH, borderX, borderY;
    } const cases[] = {
        {false, 8, 4, 8, 4, 0, 0},
        {true, 8, 4, 8, 8, 0, 2},
        {true, 5, 12, 16, 16, 5, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + (c.square ? " square" : ""));
        dc_->GetDisplayHandler()->GetPlatformData()->squareTexturesOnly = c.square;
        TTextureRef t = TTexture::CreateEmpty(c.w, c.h, true);
        ASSERT_NE(t, nullptr);
        for (int round = 0; round < 2; ++round)
        {  // as made, and as restored after a device loss
            const TTextureData* d = t->GetData();
            EXPECT_EQ(t->GetWidth(), c.w);
            EXPECT_EQ(t->GetHeight(), c.h);
            EXPECT_EQ(d->surfaceWidth, c.surfaceW);
            EXPECT_EQ(d->surfaceHeight, c.surfaceH);
            EXPECT_EQ(d->borderX, c.borderX);
            EXPECT_EQ(d->borderY, c.borderY);
            int sw = 0, sh = 0;
            t->GetSurfaceSize(&sw, &sh);
            EXPECT_EQ(sw, (c.w + 2 * c.borderX + 1) & ~1);
            EXPECT_EQ(sh, (c.h + 2 * c.borderY + 1) & ~1);
            t->ReleaseDeviceData();
            t->RestoreDeviceData();
        }
    }
    dc_->GetDisplayHandler()->GetPlatformData()->squareTexturesOnly = false;
}

TEST_F(TextureTest, DamagedImagesGiveNoTexture)
{
    const std::string png = imagefx::PngFromArgb(8, 8, Solid(8, 8, kRed));
    assets_.Put("t.png", imagefx::Truncated(png, png.size() - 20));
    assets_.Put("c.jpg", "\xFF\xD8\xFF\xE0 garbage");
    assets_.Put("x.jp2", "\x00\x00\x00\x0CjP  \r\n\x87\n");
    assets_.Put("u.bmp", "BM");
    for (const char* name : {"t.png", "c.jpg", "x.jp2", "u.bmp"})
        EXPECT_EQ(TTexture::Get(name, 0), nullptr) << name;
}

// A view holds the texture's lock until it goes, is released or is
// overwritten; a move hands the lock on and leaves the source empty.
TEST_F(TextureTest, LockedPixelsHoldTheLockForTheirLife)
{
    EXPECT_FALSE(TLockedPixels(TTextureRef()));
    TTextureRef t = TTexture::CreateEmpty(8, 4, true);
    ASSERT_NE(t, nullptr);
    auto lockable = [&] { return bool(TLockedPixels(t)); };
    {
        TLockedPixels view(t);
        ASSERT_TRUE(view);
        EXPECT_FALSE(lockable());
        view.Row(2)[3] = kRed;
        TLockedPixels moved(std::move(view));
        EXPECT_FALSE(view);
        ASSERT_TRUE(moved);
        EXPECT_EQ(moved.GetPixels()[2 * moved.GetPitch() + 3], kRed);
        EXPECT_FALSE(lockable());
        moved.Release();
        EXPECT_FALSE(moved);
        EXPECT_TRUE(lockable());
        moved = TLockedPixels(t);
        EXPECT_FALSE(lockable());
        moved = TLockedPixels();
        EXPECT_TRUE(lockable());
        view = TLockedPixels(t);
        EXPECT_FALSE(lockable());
    }
    EXPECT_TRUE(lockable());
    // What was written through the first view stayed.
    const TLockedPixels last(t);
    ASSERT_TRUE(last);
    EXPECT_EQ(last.Row(2)[3], kRed);
}

// --- device data ---

TEST_F(TextureTest, RestoreReloadsFilesAndClearsEmptyTextures)
{
    PutPng("r.png", 4, 4, Solid(4, 4, kGreen));
    TTextureRef file = TTexture::Get("r.png", 0);
    TTextureRef empty = TTexture::CreateEmpty(8, 4, true);
    ASSERT_TRUE(file && empty);
    {
        const TLockedPixels locked(empty);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        px[0] = kWhite;
    }

    manager_.ReleaseAll();
    EXPECT_EQ(file->GetDxData()->GetSurface(), nullptr);
    EXPECT_FALSE(TLockedPixels(file));
    manager_.RestoreAll();
    {
        const TLockedPixels locked(file);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[5], kGreen);
    }
    {
        const TLockedPixels locked(empty);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[0], 0u);
        EXPECT_EQ(empty->GetWidth(), 8);
    }

    // A file that has gone is reported, and the device is not blamed for it.
    manager_.ReleaseAll();
    assets_.Remove("r.png");
    manager_.RestoreAll();
    EXPECT_TRUE(assets_.LogHas("TDxTextureData::Restore: Failed to restore from file r.png."));
    EXPECT_FALSE(dc_->GetDisplayHandler()->IsBroken());
}

TEST_F(TextureTest, ARestoreThatCannotReadAnExistingFileMarksTheDeviceBroken)
{
    PutPng("b.png", 4, 4, Solid(4, 4, kGreen));
    assets_.Put("b.jpg", imagefx::JpegFromArgb(4, 4, Solid(4, 4, kRed)));
    TTextureRef t = TTexture::Get("b.png", 0), masked = TTexture::GetWithMask("b.jpg", "b.png", 0);
    ASSERT_TRUE(t && masked);
    manager_.ReleaseAll();
    assets_.Put("b.png", "damaged");
    manager_.RestoreAll();
    EXPECT_TRUE(assets_.LogHas("TDxTextureData::Restore: Failed to restore from file b.png."));
    EXPECT_TRUE(
        assets_.LogHas("TDxTextureData::Restore: Failed to restore from file b.jpg and b.png."));
    EXPECT_TRUE(dc_->GetDisplayHandler()->IsBroken());
}

TEST_F(TextureTest, CheckLostClearsTheSurface)
{
    PutPng("c.png", 2, 2, Solid(2, 2, kRed));
    TTextureRef t = TTexture::Get("c.png", 0);
    ASSERT_NE(t, nullptr);
    t->CheckLost();
    {
        const TLockedPixels locked(t);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[0], 0u);
    }
}

TEST_F(TextureTest, CopyToClampsTheRectangleAndIsRefusedWhileDrawing)
{
    PutPng("src.png", 100, 50, Quadrants(100, 50));
    TTextureRef src = TTexture::Get("src.png", 0);
    TTextureRef dst = TTexture::CreateEmpty(128, 64, true);
    ASSERT_TRUE(src && dst);
    TRect wide(-5, -5, 1000, 1000);
    src->CopyTo(0, 0, &wide, dst);
    {
        const TLockedPixels locked(dst);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        const int pitch = locked.GetPitch();
        EXPECT_EQ(px[0], kRed);
        EXPECT_EQ(px[49 * pitch + 99], kWhite);
        EXPECT_EQ(px[49 * pitch + 100], 0u);  // nothing beyond the image
        EXPECT_EQ(px[50 * pitch + 0], 0u);
    }

    TRect part(50, 0, 60, 10);
    src->CopyTo(3, 4, &part, dst);
    {
        const TLockedPixels locked(dst);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        const int pitch = locked.GetPitch();
        EXPECT_EQ(px[4 * pitch + 3], kGreen);
    }

    // To the screen, at another place.
    display_.Clear();
    src->CopyTo(10, 20, nullptr, TTextureRef());
    EXPECT_EQ(display_.Pixel(10, 20), kRed & 0xFFFFFF);
    EXPECT_EQ(display_.Pixel(109, 69), kWhite & 0xFFFFFF);
    EXPECT_EQ(display_.Pixel(9, 20), 0u);

    display_.Clear();
    ASSERT_TRUE(dc_->BeginDraw(false));
    src->CopyTo(0, 0, nullptr, TTextureRef());
    dc_->EndDraw(false);
    EXPECT_EQ(display_.Pixel(1, 1), 0u);
}

// --- drawing ---

TEST_F(TextureTest, DrawCentresTheQuadWithoutAnOrigin)
{
    PutPng("q.png", 64, 32, Solid(64, 32, kGreen), false);
    TTextureRef t = TTexture::Get("q.png", 0);
    ASSERT_NE(t, nullptr);
    DrawOnce(t, TDrawParams(TFloatPoint(80, 60), 1.0f, 1.0f, 0));
    // Covers (-32, -16) to (32, 16) around (80, 60).
    EXPECT_TRUE(RgbNear(display_.Pixel(48, 44), 0x00FF00));
    EXPECT_TRUE(RgbNear(display_.Pixel(111, 75), 0x00FF00));
    EXPECT_TRUE(RgbNear(display_.Pixel(47, 44), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(112, 60), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(80, 43), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(80, 76), 0x000000));

    // With an origin the registration point lands on the position.
    TDrawParams p(TFloatPoint(80, 60), 1.0f, 1.0f, TDrawParams::kUseOrigin);
    p.origin = TFloatPoint(0, 0);
    DrawOnce(t, p);
    EXPECT_TRUE(RgbNear(display_.Pixel(80, 60), 0x00FF00));
    EXPECT_TRUE(RgbNear(display_.Pixel(79, 60), 0x000000));
    EXPECT_TRUE(RgbNear(display_.Pixel(143, 91), 0x00FF00));
}

TEST_F(TextureTest, MirrorsRotationAndSourceRectangles)
{
    PutPng("quad.png", 32, 32, Quadrants(32, 32), false);
    TTextureRef t = TTexture::Get("quad.png", 0);
    ASSERT_NE(t, nullptr);
    // Samples at the centres of the four quadrants around (80, 60): TL, TR, BL, BR.
    const int sx[4] = {72, 88, 72, 88}, sy[4] = {52, 52, 68, 68};
    const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF;
    struct Case
    {
        const char* what;
        uint32_t flags;
        float rotation;
        uint32_t expect[4];
    } const cases[] = {
        {"plain", 0, 0.0f, {R, G, B, W}},
        {"mirror x", 1, 0.0f, {G, R, W, B}},
        {"mirror y", 2, 0.0f, {B, W, R, G}},
        {"both: half turn", 3, 0.0f, {W, B, G, R}},
        {"quarter turn", 0, float(M_PI / 2), {B, R, W, G}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        display_.Clear();
        ASSERT_TRUE(dc_->BeginDraw(false));
        ASSERT_TRUE(dc_->Begin2d());
        dc_->SetTextureFilter(0);
        t->DrawAt(80, 60, 1.0f, 1.0f, c.rotation, c.flags);
        dc_->End2d();
        dc_->EndDraw(false);
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(RgbNear(display_.Pixel(sx[k], sy[k]), c.expect[k])) << k;
    }

    // The green quadrant alone, scaled up twice: 32 x 32 pixels of green.
    TDrawParams p(TFloatPoint(80, 60), 1.0f, 2.0f, TDrawParams::kSourceRect);
    p.sourceRect = TRect(16, 0, 32, 16);
    DrawOnce(t, p);
    EXPECT_TRUE(RgbNear(display_.Pixel(66, 46), G));
    EXPECT_TRUE(RgbNear(display_.Pixel(93, 73), G));
    EXPECT_TRUE(RgbNear(display_.Pixel(62, 60), 0));
    EXPECT_TRUE(RgbNear(display_.Pixel(98, 60), 0));
}

TEST_F(TextureTest, TintAndAlphaReachThePixels)
{
    PutPng("w.png", 16, 16, Solid(16, 16, kWhite), false);
    TTextureRef t = TTexture::Get("w.png", 0);
    TDrawParams p(TFloatPoint(80, 60), 0.5f, 1.0f, 0);
    p.color = TFloatVector4(1, 0, 0, 1);
    DrawOnce(t, p);
    EXPECT_TRUE(RgbNear(display_.Pixel(80, 60), 0x800000, 10));
}

TEST_F(TextureTest, NothingIsDrawnOutsideA2dBlockOrForSimpleTextures)
{
    PutPng("w.png", 16, 16, Solid(16, 16, kWhite), false);
    TTextureRef t = TTexture::Get("w.png", 0), simple = TTexture::Get("w.png?simple", 0);
    ASSERT_TRUE(t && simple);
    display_.Clear();
    ASSERT_TRUE(dc_->BeginDraw(false));
    t->DrawAt(80, 60, 1, 1, 0, 0);  // frame open, no 2D block
    ASSERT_TRUE(dc_->Begin2d());
    simple->DrawAt(80, 60, 1, 1, 0, 0);
    dc_->End2d();
    dc_->EndDraw(false);
    EXPECT_EQ(display_.Pixel(80, 60), 0u);
    EXPECT_FALSE(assets_.LogHas("DrawVertices called"));
}

TEST_F(TextureTest, SoftwareCullingSkipsQuadsOutsideTheClip)
{
    PutPng("w.png", 16, 16, Solid(16, 16, kWhite), false);
    TTextureRef t = TTexture::Get("w.png", 0);
    SetSetting("softwaretextureculling", "1");
    dc_->PushClipRect(TRect(0, 0, 160, 120));
    DrawOnce(t, TDrawParams(TFloatPoint(80, 60), 1.0f, 1.0f, 0));
    EXPECT_TRUE(RgbNear(display_.Pixel(80, 60), 0xFFFFFF));
    // The quad spans x 72..88: a clip ending at 71 lies wholly left of it.
    dc_->PushClipRect(TRect(0, 0, 71, 120));
    EXPECT_EQ(dc_->GetClipRect(), TRect(0, 0, 71, 120));
    display_.Clear();
    ASSERT_TRUE(dc_->BeginDraw(false));
    ASSERT_TRUE(dc_->Begin2d());
    t->DrawAt(80, 60, 1, 1, 0, 0);
    EXPECT_EQ(dc_->GetTexture(), nullptr);  // culled before it became current
    dc_->End2d();
    dc_->EndDraw(false);
    SetSetting("softwaretextureculling", "0");
}

TEST_F(TextureTest, TheAssetMapLoadsImagesThroughTheTextureLoader)
{
    RegisterTextureAssetLoader();
    PutPng("map.png", 2, 2, Solid(2, 2, kRed));
    TAssetMap map;
    std::shared_ptr<TAsset> a = TTexture::Get("map.png", 0);
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->GetClassName(), "TTexture");
    EXPECT_NE(TTexture::FromAsset(a.get()), nullptr);
    ClearAssetLoaders();
}

// Textures made before the display exists keep their image data's sizes
// and get their surfaces when the display arrives and restores every asset.
TEST(TextureWithoutDisplay, SurfacesArriveWithTheDisplay)
{
    ImageAssets assets;
    TAssetManager manager;
    SetGlobalAssetManager(&manager);
    ImageTestHost host;
    TDrawContext::UseDevice(nullptr, &host);
    TDrawContext* dc = TDrawContext::GetInstance();
    assets.Put("early.png", imagefx::PngFromArgb(3, 3, Solid(3, 3, kRed)));
    TTextureRef file = TTexture::Get("early.png", 0), empty = TTexture::CreateEmpty(5, 3, false);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(file->GetDxData()->GetSurface(), nullptr);
    EXPECT_EQ(file->GetWidth(), 3);
    EXPECT_FALSE(TLockedPixels(file));

    void* window = GfxCreateHiddenWindow(64, 48);
    ASSERT_NE(window, nullptr);
    host.SetMainWindow(window);
    dc->GetDisplayHandler()->SetDisplay({.width = 64, .height = 48, .force = true, .quiet = true});
    ASSERT_TRUE(dc->GetDisplayHandler()->IsReady());
    {
        const TLockedPixels locked(file);
        ASSERT_TRUE(locked);
        uint32_t* const px = locked.GetPixels();
        EXPECT_EQ(px[0], kRed);
    }
    EXPECT_NE(empty->GetDxData()->GetSurface(), nullptr);

    file.reset();
    empty.reset();
    TDrawContext::Destroy();
    TDrawContext::UseDevice(nullptr, nullptr);
    GfxDestroyWindow(window);
    GfxQuitVideo();
    SetGlobalAssetManager(nullptr);
}

}  // namespace
