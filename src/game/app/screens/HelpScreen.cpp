// The help screen's pages.
#include "game/app/screens/HelpScreen.h"

#include "core/Event.h"
#include "graphics/DrawContext.h"

ORVELLE_WINDOW_RECORD(THelpScreen)

THelpScreen::THelpScreen() : TGameScreen(TGameScreen::kTickMs)
{
    PublishBindings();
}

TWindow* THelpScreen::Page(int32_t n)
{
    return FindChild(TString::Format("page_%d", n), -1);
}

void THelpScreen::PostInit(TWindowStyle& style)
{
    TGameScreen::PostInit(style);
    currentPage_ = 0;
    pageCount_ = 0;
    // A gap ends the pages: a page past it stays as the script made it.
    for (int32_t n = 0;; ++n)
    {
        TWindow* page = Page(n);
        if (page == nullptr) break;
        if (n != currentPage_) ShowWindow(page, false);
        ++pageCount_;
    }
    ChangePage(0);
}

void THelpScreen::ChangePage(int32_t delta)
{
    const int32_t target = currentPage_ + delta;
    if (target < 0 || target >= pageCount_) return;
    ShowWindow(Page(currentPage_), false);
    currentPage_ = target;
    ShowWindow(Page(currentPage_), true);
    UpdateArrows();
    CollectTextBoxes();
}

void THelpScreen::UpdateArrows()
{
    ShowWindow(FindChild("left", -1), currentPage_ != 0);
    ShowWindow(FindChild("right", -1), currentPage_ != pageCount_ - 1);
}

void THelpScreen::CollectTextBoxes()
{
    textBoxes_.clear();
    TWindow* page = Page(currentPage_);
    if (page == nullptr) return;
    for (int32_t n = 0;; ++n)
    {
        TWindow* text = page->FindChild(TString::Format("text_%d", n), -1);
        if (text == nullptr) break;
        textBoxes_.push_back(text->GetScreenRect());
    }
}

void THelpScreen::Draw()
{
    if (!showBoxes_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    for (const TRect& box : textBoxes_) dc->FillRect(box, TFloatVector4(0, 0, 1, 1), TTextureRef());
}

bool THelpScreen::OnKeyDown(int8_t key, int32_t)
{
    if (key == kKeyEnter || key == kKeyEscape)
    {
        PressButton("ok_button");
    }
    else if (key == ' ')
    {
        showBoxes_ = !showBoxes_;
    }
    return false;
}
