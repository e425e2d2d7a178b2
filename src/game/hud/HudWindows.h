// The HUD's bubbles: the button and stall info windows, the middle window
// (a slot's or monster's label), the little window (bubbles over HUD areas
// that open a tab) and the task hint; and the lucky bar. Each holds what the
// layout fills, its pictures and texts, and its delayed show.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "core/ValueTypes.h"

class TMySprite;
class TTextGraphic;

// Shown after a delay: armed, then shown once the delay has passed.
struct HudDelayedShow
{
    bool shown = false;
    bool pending = false;
    TClock delayClock;
    int32_t delay = 4000;

    void StartShowDelay();
    // Pending and the delay passed: shown, the clock stopped. True when it
    // turned shown now.
    bool Step();
    void Hide();
};

class HudInfoWindow : public HudDelayedShow
{
public:
    static constexpr int32_t kLineCount = 7;

    explicit HudInfoWindow(int32_t kind);
    ~HudInfoWindow();

    void Clear();
    bool IsShown() const { return shown || pending; }
    // The title and the seven lines, empty, from the layout values.
    void CreateTexts();
    // The numeric layout values, the font and the line offsets.
    void CopyLayout(const HudInfoWindow& from);
    // Places the arrow, the bubble (kept clear of the panel at the left) and
    // the line rectangles for a point of interest at (x, y).
    void SetPosition(int32_t x, int32_t y);
    void Draw();

    int32_t shownId = -1;
    int32_t kind = 0;
    std::unique_ptr<TMySprite> bubble;
    std::unique_ptr<TMySprite> arrow;
    TPoint bubbleOffset;
    TPoint arrowOffset;
    TPoint kindOffset;
    TPoint lineSize{10, 10};
    TPoint titleSize{10, 10};
    // color_1, color_1_2, color_2, color_3, color_4.
    TFloatVector4 colors[5];
    TString font;
    int32_t fontSize = 0;
    int32_t fontBigSize = 0;
    std::unique_ptr<TTextGraphic> lines[kLineCount];
    std::unique_ptr<TTextGraphic> title;
    std::vector<TPoint> lineOffsets;
    std::vector<TRect> lineRects;
    TRect titleRect;
    int32_t stallId = -1;
};

class HudMiddleInfoWindow : public HudDelayedShow
{
public:
    HudMiddleInfoWindow();
    ~HudMiddleInfoWindow();

    void Reset();
    bool IsShownFor(int32_t k, int32_t objectId) const { return (shown || pending) && kind == k && id == objectId; }
    void CreateSprites();
    void Draw();

    int32_t kind = -1;
    int32_t id = -1;
    std::unique_ptr<TMySprite> frame;
    std::unique_ptr<TMySprite> arrow;
    TPoint frameOffset;
    TPoint arrowOffset;
    TPoint slotOffset;
    TPoint monsterOffset;
    TPoint textSize{10, 10};
    TPoint textOffset{10, 10};
    TString font;
    int32_t fontSize = 0;
    TFloatVector4 colors[3];
    TString textSlotBreake;
    TString textSlotFree;
    std::unique_ptr<TTextGraphic> text;
    TRect textRect;
};

class HudLittleInfoWindow : public HudDelayedShow
{
public:
    struct SItem
    {
        int32_t index = 0;
        TPoint point;
        TPoint arrow;
        int32_t angle = 0;
        TRect click;
        TString text;
        int32_t openTab = -1;
        bool locked = false;
    };

    HudLittleInfoWindow();
    ~HudLittleInfoWindow();

    void CreateSprites();
    void Draw();

    int32_t selected = -1;
    std::unique_ptr<TMySprite> bubble;
    std::unique_ptr<TMySprite> arrow;
    std::unique_ptr<TTextGraphic> text;
    TPoint textOffset;
    TPoint textSize;
    TString font;
    int32_t fontSize = 0;
    TFloatVector4 color;
    TString lockText;
    std::vector<int32_t> bubbleWidths;
    std::vector<SItem> items;
    TRect textRect;
};

class HudTaskHint : public HudDelayedShow
{
public:
    HudTaskHint();
    ~HudTaskHint();

    void CreateSprites();
    void Draw();

    int32_t conditionId = -1;
    std::unique_ptr<TMySprite> bubble;
    std::unique_ptr<TMySprite> arrow;
    TPoint bubbleOffset;
    TPoint arrowOffset;
    TPoint textSize{10, 10};
    TPoint textOffset{10, 10};
    TString font;
    int32_t fontSize = 0;
    TFloatVector4 color;
    TFloatVector4 selectColor;
    TFloatVector4 selectColor2;
    std::vector<TString> patterns;
    TString completePattern;
    std::unique_ptr<TTextGraphic> text;
    TRect textRect;
};

class LuckyBar
{
public:
    LuckyBar();
    ~LuckyBar();

    void SetLuckyBar(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

    std::unique_ptr<TMySprite> line1;
    std::unique_ptr<TMySprite> line2;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
};
