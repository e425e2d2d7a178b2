// TProfileScreen (window type "ProfileScreen"): the list of player profiles
// a screen script opens to choose, add, rename and delete them. The names
// show as a scrolling list of text rows with an animated highlight on the
// selection; keys, clicks, a double click and the wheel press the script's
// named buttons ("select_button", "delete", "new", "rename_button",
// "up_button", "down_button"), whose commands do the work through five
// script globals: "ProfileButtonDepress", "AskToDelete",
// "GetSelectPlayerName", "AddPlayerToVector" and "RenamePlayerOfVector".
// The globals are taken back when the screen goes. The scroll arrows show
// only while rows lie outside the view, "rename_button", "delete" and
// "select_button" only while there is a row; a name too long for its row is
// drawn smaller (down to half the rows' size) instead of wrapping.
//
// Style keys: "first_x", "first_y" (the first row's corner), "rect_x",
// "rect_y" (row size, 200 x 30), "text_size" (22), "text_font",
// "text_color", "select_flag" (highlight time in ms, 500), "cnt_rect" (rows
// per view, 6).
//
// Failure: none. A missing button is not pressed; a highlight time of 0 or
// less ends the highlight at once; a row count per view below 1 is taken as
// 1. With no profile at all the screen presses "new" on its first tick after
// the first, so the script's name dialog opens at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/app/screens/GameScreen.h"

class TMySprite;
class TTextGraphic;

// Main thread only.
class TProfileScreen : public TGameScreen
{
public:
    // Publishes the five globals; the clock starts.
    TProfileScreen();
    ~TProfileScreen() override;

    ORVELLE_WINDOW_CLASS(TGameScreen);

    // The style keys.
    void Init(TWindowStyle& style) override;
    // The list from the profiles (the script's buttons exist by now), then
    // the screen pattern's timer, screen stack and focus.
    void PostInit(TWindowStyle& style) override;
    // Presses "new" when there was no profile, then the pattern's tick.
    bool OnTimer() override;
    // The highlights (previous under current) of rows in view, then the
    // rows' texts.
    void Draw() override;
    // Every message is the screen's but a closed modal's notice, which a
    // command of its buttons may be waiting for.
    bool OnMessage(TMessage* message) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseButton(TPoint point, int32_t button) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnKeyDown(int8_t key, int32_t modifiers) override;

    // The script's operations. Kinds: 0 scroll the last row into view,
    // 2 make the selected row's profile current, 3 / 4 scroll up / down one
    // row, 5 close the top modal; others nothing.
    void OnButton(int32_t kind);
    // Answer 1 deletes the selected row and its profile.
    void AskToDelete(int32_t answer);
    // "noname" when no row is selected.
    TString GetSelectPlayerName() const;
    // A row for the name, its profile created unless one has the name; the
    // new row is selected (its profile is not made current).
    void AddRow(const TString& name);
    // The selected row and its profile take the name.
    void RenameSelected(const TString& name);
    // Nothing for an index outside the rows.
    void DeleteRow(int32_t index);

    // --- state, for the screen's own checks ---
    int32_t GetRowCount() const { return int32_t(rows_.size()); }
    TString GetRowName(int32_t index) const;
    TRect GetRowRect(int32_t index) const;
    // Null for an index outside the rows.
    const TTextGraphic* GetRowText(int32_t index) const;
    int32_t GetSelection() const { return selection_; }
    int32_t GetPreviousSelection() const { return previousSelection_; }
    int32_t GetFirstVisible() const { return firstVisible_; }
    int32_t GetLastVisible() const { return lastVisible_; }
    bool IsAnimating() const { return animating_; }
    // Alpha and scale of the current and the previous highlight.
    float GetHighlightAlpha(bool previous) const;
    float GetHighlightScale(bool previous) const;
    TFloatPoint GetHighlightPosition(bool previous) const;

protected:
    void Tick() override;

private:
    struct SRow
    {
        TString name;
        TRect rect;
        std::unique_ptr<TTextGraphic> text;
    };

    void PublishBindings();
    void Fill();
    void ScrollRows(int32_t k);
    void MoveRows(size_t from, int32_t dy);
    void UpdateVisibleRange();
    void UpdateScrollButtons();
    // The buttons that act on a profile are shown only while the list holds
    // one.
    void UpdateProfileButtons();
    // Makes the row's name lie on one line of its row.
    void FitName(SRow& row) const;
    void PlaceHighlights();
    void StartAnimation();
    void AnimateSelection();
    bool IsRow(int32_t index) const { return index >= 0 && index < GetRowCount(); }
    bool InView(int32_t index) const
    {
        return IsRow(index) && index >= firstVisible_ && index <= lastVisible_;
    }
    TFloatPoint RowCentre(int32_t index) const;

    TString currentName_;
    std::vector<SRow> rows_;
    int32_t listX_ = 0;
    int32_t listY_ = 0;
    int32_t rowWidth_ = 200;
    int32_t rowHeight_ = 30;
    int32_t textSize_ = 22;
    TString textFont_;
    TFloatVector4 textColor_{0.0f, 0.0f, 0.0f, 1.0f};
    int32_t previousSelection_ = -1;
    int32_t selection_ = -1;
    int32_t firstVisible_ = 0;
    int32_t lastVisible_ = 0;
    int32_t visibleCount_ = 0;
    int32_t rowsPerView_ = 6;
    TClock clock_;
    uint32_t lastClick_ = 0;
    uint32_t doubleClickMs_ = 300;
    bool animating_ = false;
    uint32_t animationStart_ = 0;
    int32_t animationMs_ = 500;
    std::unique_ptr<TMySprite> previousHighlight_;
    std::unique_ptr<TMySprite> highlight_;
    bool noProfiles_ = false;
};
