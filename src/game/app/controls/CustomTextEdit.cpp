// The game's name entry field: the hint, the enable window, no caret keys,
// one line.
#include "game/app/controls/CustomTextEdit.h"

#include <algorithm>

#include "game/app/screens/GameScreen.h"
#include "graphics/TextGraphic.h"
#include "ui/Button.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

ORVELLE_WINDOW_RECORD(TCustomTextEdit)

void TCustomTextEdit::Init(TWindowStyle& style)
{
    initialCleared_ = !style.GetBool("clearinitial", false);
    enableWindow_ = style.GetString("enablewindow");
    TTextEdit::Init(style);
}

bool TCustomTextEdit::OnMouseUp(TPoint point)
{
    if (initialCleared_) return TText::OnMouseUp(point);
    ClearInitial();
    return true;
}

bool TCustomTextEdit::OnKeyDown(int8_t, int32_t)
{
    return false;
}

bool TCustomTextEdit::CanEdit(int32_t kind, int32_t c)
{
    if (!initialCleared_) ClearInitial();
    const bool allowed = TTextEdit::CanEdit(kind, c);
    if (allowed)
    {
        if (kind == kEditInsert)
            UpdateEnableWindow(+1);
        else if (kind == kEditMove && c == 8)
            UpdateEnableWindow(-1);
    }
    return allowed;
}

bool TCustomTextEdit::FilterEdit(int32_t kind, uint32_t codePoint)
{
    if (!initialCleared_) ClearInitial();
    return TTextEdit::FilterEdit(kind, codePoint);
}

void TCustomTextEdit::ClearInitial()
{
    initialCleared_ = true;
    SetText(TString());
}

void TCustomTextEdit::UpdateEnableWindow(int32_t delta)
{
    if (enableWindow_.IsEmpty()) return;
    TModalWindow* modal = GetModalParent();
    if (modal == nullptr) return;
    TWindow* window = modal->FindChild(enableWindow_, -1);
    if (window == nullptr) return;
    // The edit has not happened yet: delta is what it is about to do.
    const bool show = GetText().Length() + delta >= 1;
    TGameScreen::ShowWindow(window, show);
    // A hidden button must not stay hovered: the hover list would still
    // hand it the mouse, and a press there would click it unseen.
    if (!show && window->IsKindOf(TButton::ClassId())) window->OnMouseLeave();
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

void TCustomTextEdit::Draw()
{
    if (TTextGraphic* graphic = GetTextGraphic())
    {
        if (fontSize_ == 0) fontSize_ = graphic->GetFontSize();
        const TString content = GetText();
        if (!(content == fittedText_))
        {
            fittedText_ = content;
            graphic->SetFontSize(fontSize_);
        }
        // Also while the caret shows: its bar may tip the line over, and
        // the size only goes down until the content changes.
        graphic->ShrinkToOneLine(std::max(1, fontSize_ / 2));
    }
    TTextEdit::Draw();
}
