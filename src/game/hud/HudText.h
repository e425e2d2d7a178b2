// HudText: one text of the HUD read from the layout (a read-out, a tab label,
// a fixed text, a task-list text). The box is given as centre and size and
// becomes a rectangle when the graphic is made.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"
#include "core/ValueTypes.h"

class TTextGraphic;

struct HudText
{
    HudText();
    ~HudText();
    HudText(const HudText&) = delete;
    HudText& operator=(const HudText&) = delete;

    // Makes the graphic from the text, box, flags, font, size and normal
    // colour, and measures it.
    void Create();
    // Renders the text again and measures it (nothing before Create).
    void SetText(const TString& newText);
    // Moves the box by dy (both its centre and its rectangle).
    void MoveY(int64_t dy);
    // Puts the rectangle's left edge at x, keeping its width.
    void MoveLeftTo(int64_t x);
    // The measured width of the shown text.
    int32_t MeasuredWidth() const { return bounds.right - bounds.left; }
    // Normal (false) or alternative (true) colour.
    void UseColour(bool alternative);
    void SetFontSize(int32_t size);
    // At the rectangle's top-left; nothing without a graphic or when hidden.
    void Draw() const;

    std::unique_ptr<TTextGraphic> graphic;
    // Also the format of the read-outs that have one.
    TString text;
    int32_t value = -1;
    int32_t flags = 0;
    // The box as the layout gives it.
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t width = 0;
    int32_t height = 0;
    TRect rect;
    TFloatVector4 color;
    TFloatVector4 color2;
    int32_t fontSize = 0;
    TString font;
    TRect bounds;
    bool visible = false;
};
