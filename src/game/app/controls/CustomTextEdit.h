// TCustomTextEdit (registered as window type "TextEdit", in place of the
// framework's edit): a name entry field. Its label may be a hint that goes
// at the first click or edit ("clearinitial"), and it may show a window of
// its dialog (an OK button) only while it holds text ("enablewindow"). The
// caret stays at the end: caret keys, delete and paste do nothing. A text
// too long for the field is drawn smaller (down to half the font's size)
// rather than wrapping onto a second line.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "ui/TextEdit.h"

// Main thread only.
class TCustomTextEdit : public TTextEdit
{
public:
    TCustomTextEdit() = default;
    ORVELLE_WINDOW_CLASS(TTextEdit);
    ~TCustomTextEdit() override = default;

    // Keys "clearinitial" (boolean, false) and "enablewindow" (a window name
    // below the same modal, ""), then the edit's.
    void Init(TWindowStyle& style) override;
    // The first click on a hint clears it (and is taken); later clicks are
    // the text's.
    bool OnMouseUp(TPoint point) override;
    // False: no caret keys, no delete, no paste; the key travels on.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;
    // Any edit clears a hint first. An insertion that is allowed shows the
    // enable window; a backspace that empties the edit hides it.
    bool CanEdit(int32_t kind, int32_t c) override;
    // A hint goes before the length checks too: a hint as long as the
    // field must not refuse the first character typed over it.
    bool FilterEdit(int32_t kind, uint32_t codePoint) override;
    // Fits the text to one line, then draws as the edit does.
    void Draw() override;

    bool IsInitialCleared() const { return initialCleared_; }
    const TString& GetEnableWindowName() const { return enableWindow_; }

private:
    void ClearInitial();
    // Shows or hides the enable window for the text's length after an edit
    // that changes it by delta. Nothing without a name, without a modal
    // parent or when no window of that name lies below it.
    void UpdateEnableWindow(int32_t delta);

    bool initialCleared_ = true;
    TString enableWindow_;
    int32_t fontSize_ = 0;  // the field's own size; 0 until first drawn
    TString fittedText_;    // the content the size was last chosen for
};
