// THelpScreen (window type "HelpScreen"): a paged help text. Its script lays
// out children "page_0", "page_1", ... (counted up to the first missing
// number) and arrow buttons "left" and "right"; one page shows at a time and
// the arrow that cannot be used is hidden. Space outlines the current page's
// "text_%d" boxes. Closing it resumes a level that was paused for the help.
//
// Failure: missing pages, arrows or "ok_button" are skipped; a page change
// that would leave the pages is not carried out.
#pragma once

#include <cstdint>
#include <vector>

#include "game/app/screens/GameScreen.h"

class THelpScreen : public TGameScreen
{
public:
    // Publishes "HelpButtonDepress".
    THelpScreen();
    ~THelpScreen() override = default;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    // Counts the pages and shows the first.
    void PostInit(TWindowStyle& style) override;
    // The text boxes, while they are switched on.
    void Draw() override;
    // Enter and Escape press "ok_button"; space switches the text boxes.
    // Always false.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    // 0 close (resumes a level paused for the help), 1 previous page, 2 next
    // page; anything else nothing.
    void HelpButtonDepress(int32_t n);
    // Moves by delta pages when the result is a page.
    void ChangePage(int32_t delta);

    int32_t GetCurrentPage() const { return currentPage_; }
    int32_t GetPageCount() const { return pageCount_; }
    const std::vector<TRect>& GetTextBoxes() const { return textBoxes_; }
    bool AreBoxesShown() const { return showBoxes_; }

private:
    void PublishBindings();
    TWindow* Page(int32_t n);
    void UpdateArrows();
    void CollectTextBoxes();

    int32_t currentPage_ = 0;
    int32_t pageCount_ = 0;
    std::vector<TRect> textBoxes_;
    bool showBoxes_ = false;
};
