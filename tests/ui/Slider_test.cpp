// The slider: orientation and value from its table, dragging through the
// window manager (past both ends, outside the slider), page presses, a
// slider without length, the rail's quads on the recording device, and who
// deletes the thumb.
#include <gtest/gtest.h>

#include "core/AssetManager.h"
#include "graphics/support/ImageAssets.h"
#include "graphics/support/RecordingScene.h"
#include "ui/Image.h"
#include "ui/Slider.h"
#include "ui/support/ControlTestSupport.h"

using namespace uitest;

namespace
{

std::vector<uint32_t> Fill(int w, int h, uint32_t argb)
{
    return std::vector<uint32_t>(size_t(w) * size_t(h), argb);
}

class SliderTest : public ScriptUiTest
{
protected:
    void SetUp() override
    {
        ScriptUiTest::SetUp();
        ASSERT_TRUE(scene.Ready());
        SetGlobalAssetManager(&manager);
        assets.Put("cap.png", imagefx::PngFromArgb(16, 8, Fill(16, 8, 0xFF2040A0u), false));
        assets.Put("mid.png", imagefx::PngFromArgb(8, 4, Fill(8, 4, 0xFF40A020u), false));
        assets.Put("thumb.png", imagefx::PngFromArgb(16, 16, Fill(16, 16, 0xFFC0C0C0u), false));
        // The rollover picture is wider: the thumb keeps inside the slider.
        assets.Put("thumbroll.png", imagefx::PngFromArgb(24, 16, Fill(24, 16, 0xFFFFFF00u), false));
    }
    void TearDown() override
    {
        ScriptUiTest::TearDown();
        SetGlobalAssetManager(nullptr);
    }
    void LoadSliders()
    {
        Eval("PushModal('dlg')");
        ASSERT_EQ(script->DoLuaString(ReadControls("sliders.lua").c_str()), 0);
    }
    TSlider* Slider(const char* name)
    {
        TWindow* w = wm->GetTopModal()->FindChild(name, -1);
        EXPECT_TRUE(w != nullptr && w->IsKindOf(TSlider::ClassId())) << name;
        return static_cast<TSlider*>(w);
    }
    // The messages that reached the script, "kind:name" each, and the
    // queue emptied.
    std::string Messages()
    {
        return Eval("r = ''; for _, m in ipairs(gMessageQueue) do r = r .. m.type .. ':' .. m.name .. ' ' end;"
                    " gMessageQueue = {}");
    }
    // A mouse event at a point in slider's coordinates.
    void Mouse(int type, TSlider* s, int x, int y)
    {
        const TPoint p = s->ToScreen(TPoint(x, y));
        Send(type, p.x, p.y);
    }
    bool ThumbShows(TSlider* s, const char* name)
    {
        return s->GetThumb()->GetTexture() == TTexture::Get(name, 0);
    }

    ImageAssets assets;
    TAssetManager manager;
    RecordingScene scene;
};

TEST_F(SliderTest, OrientationValueAndSizeFromTheTable)
{
    struct Case
    {
        const char* table;
        bool horizontal;
        float value;
        int width, height;
    } cases[] = {
        {"w = 200, h = 20", true, 0.0f, 200, 16},
        {"w = 20, h = 200", false, 0.0f, 16, 200},
        {"w = 20, h = 200, hslider = true", true, 0.0f, 20, 16},
        {"w = 200, h = 20, hslider = false", false, 0.0f, 16, 20},
        {"w = 20, h = 200, hslider = 0", true, 0.0f, 20, 16},
        {"w = 200, h = 20, hslider = -1", true, 0.0f, 200, 16},
        {"w = 200, h = 20, value = 1.5", true, 1.0f, 200, 16},
        {"w = 200, h = 20, value = -3", true, 0.0f, 200, 16},
        {"w = 200, h = 20, value = 0/0", true, 0.0f, 200, 16},
        {"w = 200, h = 20, value = 0.5, yoffset = -6", true, 0.5f, 200, 22},
        {"w = 200, h = 20, scale = 2", true, 0.0f, 200, 32},
    };
    for (const Case& c : cases)
    {
        Eval("PushModal('dlg')");
        Eval(std::string("MakeDialog{ Slider{ name = 's', railmid = 'mid.png', sliderimage = 'thumb.png', ") +
             c.table + " } }");
        TSlider* s = Slider("s");
        EXPECT_EQ(s->IsHorizontal(), c.horizontal) << c.table;
        EXPECT_EQ(s->GetValue(), c.value) << c.table;
        EXPECT_EQ(s->GetWidth(), c.width) << c.table;
        EXPECT_EQ(s->GetHeight(), c.height) << c.table;
        EXPECT_EQ(s->GetThumb()->GetParent(), s);
        wm->PopTopModal();
        wm->FlushMessages();
    }
    // Values set from the table are silent.
    EXPECT_EQ(Messages(), "");
}

TEST_F(SliderTest, ThumbSitsAtTheValueAlongEitherAxis)
{
    LoadSliders();
    TSlider* across = Slider("across");
    TSlider* down = Slider("down");
    EXPECT_EQ(across->GetThumb()->GetRect(), TRect(46, 0, 62, 16));
    EXPECT_EQ(down->GetValue(), 1.0f);
    EXPECT_EQ(down->GetThumb()->GetRect(), TRect(0, 184, 16, 200));
    EXPECT_EQ(Messages(), "");
    across->SetValue(1.0f, false);
    EXPECT_EQ(across->GetThumb()->GetRect().left, 184);
    across->SetValue(0.5f, true);
    EXPECT_EQ(across->GetThumb()->GetRect().left, 92);
    EXPECT_EQ(Messages(), "9:across ");
}

TEST_F(SliderTest, DragPastBothEndsLeavingAndReleasingOutside)
{
    LoadSliders();
    TSlider* s = Slider("across");
    Mouse(kEventMouseMove, s, 50, 8);
    EXPECT_TRUE(ThumbShows(s, "thumbroll.png"));
    Mouse(kEventLeftDown, s, 50, 8);
    EXPECT_TRUE(s->IsDragging());
    Mouse(kEventMouseMove, s, 100, 8);
    EXPECT_EQ(s->GetValue(), 0.5f);
    Mouse(kEventMouseMove, s, -40, 8);
    EXPECT_EQ(s->GetValue(), 0.0f);
    Mouse(kEventMouseMove, s, 500, 60);
    EXPECT_EQ(s->GetValue(), 1.0f);
    EXPECT_EQ(s->GetThumb()->GetRect(), TRect(176, 0, 200, 16));
    // Out of the slider the drag goes on with the rollover picture.
    EXPECT_TRUE(s->IsDragging());
    EXPECT_TRUE(ThumbShows(s, "thumbroll.png"));
    EXPECT_EQ(Messages(), "9:across 9:across 9:across ");
    Mouse(kEventLeftUp, s, 500, 60);
    EXPECT_FALSE(s->IsDragging());
    EXPECT_TRUE(ThumbShows(s, "thumb.png"));
    EXPECT_TRUE(wm->GetHoverList().empty());
    EXPECT_EQ(Messages(), "10:across ");
    EXPECT_EQ(s->GetThumb()->GetRect().left, 184);
    // A release without a drag is not the slider's.
    EXPECT_FALSE(s->OnMouseUp(TPoint(5, 5)));
    EXPECT_EQ(Messages(), "");
}

TEST_F(SliderTest, PressBesideTheThumbSendsOnePageMessage)
{
    LoadSliders();
    struct Case
    {
        const char* slider;
        TPoint point;
        const char* messages;
    } cases[] = {
        {"across", TPoint(10, 8), "11:across "},
        {"across", TPoint(150, 8), "12:across "},
        {"down", TPoint(8, 20), "11:down "},
        {"down", TPoint(8, 199), "",},  // on the thumb: a drag begins instead
    };
    for (const Case& c : cases)
    {
        TSlider* s = Slider(c.slider);
        const float before = s->GetValue();
        Mouse(kEventLeftDown, s, c.point.x, c.point.y);
        EXPECT_EQ(Messages(), c.messages) << c.slider << " " << c.point.y;
        EXPECT_EQ(s->GetValue(), before);
        Mouse(kEventLeftUp, s, c.point.x, c.point.y);
        Messages();
    }
}

TEST_F(SliderTest, ADragWithoutLengthLeavesTheValue)
{
    RecWindow* parent = Window(wm->GetScreen(), "parent", TRect(0, 0, 300, 300));
    parent->take = {"OnMessage"};
    auto* s = new TSlider();
    s->SetName("flat");
    parent->AddChild(s, true);
    s->SetThumbImages(TTexture::Get("thumb.png", 0), TTexture::Get("thumbroll.png", 0));
    s->SetValue(0.5f, true);
    s->SetSize(16, 0);  // vertical, no height
    const TRect thumb = s->GetThumb()->GetRect();
    ASSERT_TRUE(s->OnMouseDown(TPoint(thumb.left + 1, thumb.top + 1)));
    EXPECT_TRUE(s->OnMouseMove(TPoint(4, 40)));
    EXPECT_EQ(s->GetValue(), 0.5f);
    EXPECT_TRUE(s->OnMouseUp(TPoint(4, 40)));
    EXPECT_EQ(parent->messageKinds, std::vector<int>{kSliderMouseUp});
}

// The rail: top cap, stretched middle, bottom cap, each two triangles over
// the used part of its texture, centred across the slider; the horizontal
// slider runs the images' height along its width.
TEST_F(SliderTest, RailIsThreeQuadsAlongTheAxis)
{
    LoadSliders();
    TSlider* across = Slider("across");
    TSlider* down = Slider("down");
    across->SetRailAlpha(0.5f);
    int capW = 0, capH = 0, midW = 0, midH = 0;
    TTexture::Get("cap.png", 0)->GetSurfaceSize(&capW, &capH);
    TTexture::Get("mid.png", 0)->GetSurfaceSize(&midW, &midH);
    const float capU = 16.0f / float(capW), capV = 8.0f / float(capH);
    const float midU = 8.0f / float(midW), midV = 4.0f / float(midH);

    struct Piece
    {
        float along0, along1, across0, across1, u, v;
    };
    const Piece pieces[3] = {{0, 8, 0, 16, capU, capV}, {8, 192, 4, 12, midU, midV}, {192, 200, 0, 16, capU, capV}};
    static const int kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
    for (TSlider* s : {across, down})
    {
        scene.Frame([&] { s->Draw(); });
        ASSERT_EQ(scene.device.draws.size(), 3u);
        for (int i = 0; i < 3; ++i)
        {
            const auto& v = scene.device.draws[size_t(i)].vertices;
            ASSERT_EQ(v.size(), 6u);
            const Piece& p = pieces[i];
            for (int k = 0; k < 6; ++k)
            {
                const int cx = kCorners[k][0], cy = kCorners[k][1];
                const float acrossPos = cx ? p.across1 : p.across0, alongPos = cy ? p.along1 : p.along0;
                EXPECT_FLOAT_EQ(v[size_t(k)].x, s == across ? alongPos : acrossPos) << i << " " << k;
                EXPECT_FLOAT_EQ(v[size_t(k)].y, s == across ? acrossPos : alongPos) << i << " " << k;
                EXPECT_FLOAT_EQ(v[size_t(k)].u, cx ? p.u : 0.0f);
                EXPECT_FLOAT_EQ(v[size_t(k)].v, cy ? p.v : 0.0f);
                EXPECT_EQ(v[size_t(k)].diffuse, s == across ? 0x7FFFFFFFu : 0xFFFFFFFFu);
            }
        }
    }
}

// The thumb is deleted exactly once (ASan sees a second delete) whichever
// way the slider and its thumb part; a thumb nobody deleted would stay live.
TEST_F(SliderTest, TheThumbIsDeletedOnce)
{
    auto gone = [](TScriptHandle thumb) { return TWindow::FromHandle(thumb) == nullptr; };
    // Never initialised: the thumb belongs to no tree.
    {
        auto* s = new TSlider();
        const TScriptHandle thumb = s->GetThumb()->GetScriptHandle();
        delete s;
        EXPECT_TRUE(gone(thumb));
    }
    // Never initialised, and handed to the manager all the same: the slider
    // goes before or after the manager deletes it.
    for (const bool sliderFirst : {true, false})
    {
        auto* s = new TSlider();
        const TScriptHandle thumb = s->GetThumb()->GetScriptHandle();
        wm->ScheduleDelete(s->GetThumb());
        if (sliderFirst) delete s;
        EXPECT_FALSE(gone(thumb));
        Send(kEventIdle);
        EXPECT_TRUE(gone(thumb));
        if (!sliderFirst) delete s;
    }
    // A child of the slider, deleted with it; its siblings too.
    {
        int deleted = 0;
        auto* s = new TSlider();
        auto* mark = new RecWindow(nullptr, "mark");
        mark->deleted = &deleted;
        s->AddChild(mark, false);
        s->SetThumbImages(TTexture::Get("thumb.png", 0), TTextureRef());
        ASSERT_EQ(s->GetThumb()->GetParent(), s);
        const TScriptHandle thumb = s->GetThumb()->GetScriptHandle();
        delete s;
        EXPECT_TRUE(gone(thumb));
        EXPECT_EQ(deleted, 1);
    }
    // Taken out of the slider and handed to the manager.
    {
        auto* s = new TSlider();
        s->SetThumbImages(TTexture::Get("thumb.png", 0), TTextureRef());
        const TScriptHandle thumb = s->GetThumb()->GetScriptHandle();
        wm->ScheduleDelete(s->GetThumb());
        delete s;
        Send(kEventIdle);
        EXPECT_TRUE(gone(thumb));
    }
    // Its children deleted while the slider lives on: the slider goes on
    // without a thumb.
    {
        LoadSliders();
        TSlider* s = Slider("across");
        const TScriptHandle thumb = s->GetThumb()->GetScriptHandle();
        s->DeleteChildren();
        Send(kEventIdle);
        EXPECT_TRUE(gone(thumb));
        EXPECT_EQ(s->GetThumb(), nullptr);
        EXPECT_FALSE(s->OnMouseDown(TPoint(50, 8)));
        s->OnMouseMove(TPoint(50, 8));
        s->SetValue(0.7f, true);
        scene.Frame([&] { s->Draw(); });
        wm->PopTopModal();
        Send(kEventIdle);
    }
}

}  // namespace

namespace
{

// Without a window manager (shutdown, tests) a slider drags and goes
// without reaching for one.
TEST(SliderWithoutManager, DragsAndGoes)
{
    ASSERT_EQ(GetWindowManager(), nullptr);
    auto* s = new TSlider();
    s->SetSize(100, 10);
    s->GetThumb()->SetSize(10, 10);
    EXPECT_TRUE(s->OnMouseDown(TPoint(2, 2)));
    EXPECT_TRUE(s->OnMouseMove(TPoint(50, 2)));
    EXPECT_TRUE(s->OnMouseLeave());
    EXPECT_TRUE(s->OnMouseUp(TPoint(500, 2)));
    EXPECT_TRUE(s->OnMouseLeave());
    delete s;
}

}  // namespace
