// TText: a window that shows one laid-out text (labels, captions, tagged
// text with links). A link whose id names a button of the same dialog
// presses it. Made from Lua tables under the type name "Text"; the "label"
// child of buttons and the base of the text edit.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/TextGraphic.h"
#include "ui/Window.h"

// Main thread only.
class TText : public TWindow
{
public:
    TText();
    ORVELLE_WINDOW_CLASS(TWindow);
    ~TText() override;
    // Keys "font" ({face, size, colour}), "label" (translated while the
    // script translates labels), "defflags", "flags", "padding", "rotation",
    // "rotationOriginX", "rotationOriginY", "rotationAlign", then the
    // window's. A window of zero width or height logs an error and stays
    // without text (it then draws nothing and ignores the mouse).
    void Init(TWindowStyle& style) override;
    void Draw() override;
    // Scrolls so that fraction 1 shows the end of the text.
    void Rescale(float fraction, int32_t unused) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseLeave() override;
    // Nothing without text graphic or when unchanged.
    virtual void SetText(const TString& text);
    // "" without text graphic.
    virtual TString GetText() const;

    void SetAlpha(float alpha) { alpha_ = alpha; }
    float GetAlpha() const { return alpha_; }
    void SetRotation(float degrees, int32_t originX, int32_t originY);
    TTextGraphic* GetTextGraphic() const { return graphic_.get(); }
    int32_t GetPadding() const { return padding_; }
    const TString& GetCommandWindowName() const { return commandWindow_; }

    // The label as shown: with translate, "#..." loses its mark, a number
    // ("0123456789." only) stays, anything else comes from the string table.
    static TString TranslateLabel(const TString& label, bool translate);

protected:
    float GetScale() const { return scale_; }

private:
    TString LinkAt(TPoint point) const;

    std::unique_ptr<TTextGraphic> graphic_;
    float scale_ = 1.0f;
    float alpha_ = 1.0f;
    int32_t padding_ = 0;
    float halfLine_ = 0.5f;
    TString commandWindow_;
};

// The descendant named "label" (window itself included) when it is a text
// gets text; nothing otherwise.
void SetLabelText(TWindow* window, const TString& text);
// That text's content, or "".
TString GetLabelText(TWindow* window);
