// The profile list.
#include "game/app/screens/ProfileScreen.h"

#include <algorithm>

#include "core/Event.h"
#include "game/app/MySprite.h"
#include "game/app/Player.h"
#include "graphics/DrawContext.h"
#include "graphics/TextGraphic.h"
#include "graphics/TextLayout.h"
#include "ui/Message.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

const char* const kHighlightPicture = "images/core/window/element_3";
// Rows laid out centred both ways.
constexpr int kRowTextFlags = kTextCentre | kTextMiddle;
// A long name is drawn smaller, down to this share of the rows' size, rather
// than wrapping inside its row.
constexpr int kSmallestNamePercent = 50;
// The buttons with nothing to act on while the list is empty.
const char* const kProfileButtons[] = {"rename_button", "delete", "select_button"};

void PlaceSprite(TMySprite& sprite, TFloatPoint at, float alpha, float scale)
{
    sprite.SetAlpha(alpha);
    sprite.SetScale(scale, scale);
    sprite.SetPosition(at.x, at.y);
    sprite.UpdateTransform();
}

}  // namespace

ORVELLE_WINDOW_RECORD(TProfileScreen)

TProfileScreen::TProfileScreen()
    : TGameScreen(TGameScreen::kTickMs),
      previousHighlight_(std::make_unique<TMySprite>(TString(kHighlightPicture), false)),
      highlight_(std::make_unique<TMySprite>(TString(kHighlightPicture), false))
{
    PublishBindings();
    clock_.Start();
    previousHighlight_->SetAlpha(0.0f);
    highlight_->SetAlpha(0.0f);
}

TProfileScreen::~TProfileScreen() = default;

void TProfileScreen::Init(TWindowStyle& style)
{
    TGameScreen::Init(style);
    listY_ = style.GetInt("first_y", 0);
    listX_ = style.GetInt("first_x", 0);
    rowHeight_ = style.GetInt("rect_y", 30);
    rowWidth_ = style.GetInt("rect_x", 200);
    textSize_ = style.GetInt("text_size", 22);
    textFont_ = style.GetString("text_font");
    textColor_ = style.GetColor("text_color", TFloatVector4(0.0f, 0.0f, 0.0f, 1.0f));
    animationMs_ = style.GetInt("select_flag", 500);
    // A view of no rows would leave nothing to select or scroll to.
    rowsPerView_ = std::max(1, style.GetInt("cnt_rect", 6));
}

void TProfileScreen::PostInit(TWindowStyle& style)
{
    // The scroll buttons are children the script has built by now.
    noProfiles_ = false;
    Fill();
    TGameScreen::PostInit(style);
}

void TProfileScreen::Fill()
{
    TPlayer* player = TPlayer::GetInstance();
    const int n = player != nullptr ? player->GetNumUsers() : 0;
    if (n == 0)
    {
        noProfiles_ = true;
        UpdateVisibleRange();
        UpdateScrollButtons();
        UpdateProfileButtons();
        return;
    }
    for (int slot = 0; slot < n; ++slot) AddRow(player->GetUserName(slot));
    currentName_ = player->GetName();
    // The highlight appears on the current profile alone, not fading out of
    // the row added last.
    previousSelection_ = -1;
    selection_ = 0;
    for (int32_t i = 0; i < GetRowCount(); ++i)
    {
        if (rows_[size_t(i)].name == currentName_)
        {
            selection_ = i;
            break;
        }
    }
    StartAnimation();
    PlaceHighlights();
    UpdateVisibleRange();
    UpdateScrollButtons();
    UpdateProfileButtons();
}

TString TProfileScreen::GetRowName(int32_t index) const
{
    return IsRow(index) ? rows_[size_t(index)].name : TString();
}

TRect TProfileScreen::GetRowRect(int32_t index) const
{
    return IsRow(index) ? rows_[size_t(index)].rect : TRect();
}

const TTextGraphic* TProfileScreen::GetRowText(int32_t index) const
{
    return IsRow(index) ? rows_[size_t(index)].text.get() : nullptr;
}

TString TProfileScreen::GetSelectPlayerName() const
{
    return IsRow(selection_) ? rows_[size_t(selection_)].name : TString("noname");
}

void TProfileScreen::AddRow(const TString& name)
{
    TPlayer* player = TPlayer::GetInstance();
    if (player != nullptr && !player->IsNameInUse(name)) player->CreateNewUser(name);

    SRow row;
    row.name = name;
    row.text = TTextGraphic::Create(name, rowWidth_, rowHeight_, kRowTextFlags, textFont_,
                                    textSize_, textColor_);
    FitName(row);
    const int32_t top = listY_ + (GetRowCount() - firstVisible_) * rowHeight_;
    row.rect = TRect(listX_, top, listX_ + rowWidth_, top + rowHeight_);
    rows_.push_back(std::move(row));
    UpdateVisibleRange();

    previousSelection_ = selection_;
    selection_ = GetRowCount() - 1;
    StartAnimation();
    UpdateProfileButtons();
}

void TProfileScreen::RenameSelected(const TString& name)
{
    if (!IsRow(selection_)) return;
    SRow& row = rows_[size_t(selection_)];
    if (TPlayer* player = TPlayer::GetInstance())
    {
        const int slot = player->FindUser(row.name);
        if (slot >= 0) player->SetUserName(slot, name);
    }
    row.name = name;
    if (row.text) row.text->SetText(name);
    FitName(row);
}

void TProfileScreen::FitName(SRow& row) const
{
    if (!row.text) return;
    // A renamed row starts again from the rows' size.
    row.text->SetFontSize(textSize_);
    row.text->ShrinkToOneLine(std::max(1, textSize_ * kSmallestNamePercent / 100));
}

void TProfileScreen::DeleteRow(int32_t index)
{
    if (index < 0 || index >= GetRowCount()) return;
    if (TPlayer* player = TPlayer::GetInstance())
    {
        const int slot = player->FindUser(rows_[size_t(index)].name);
        if (slot >= 0) player->DeleteUser(slot);
    }
    rows_.erase(rows_.begin() + index);
    selection_ = index != 0 ? selection_ - 1 : 0;
    previousSelection_ = -1;

    // The rows below close the gap, also when exactly one row lay below the
    // view: left in place they would show a hole and a row under the list.
    MoveRows(size_t(index), -rowHeight_);
    PlaceHighlights();
    UpdateVisibleRange();
    if (firstVisible_ > 0)
    {
        // A view that ran past the end takes the row above back in.
        if (GetRowCount() != firstVisible_ + visibleCount_)
        {
            --firstVisible_;
            MoveRows(0, rowHeight_);
            PlaceHighlights();
        }
        UpdateVisibleRange();
    }
    UpdateScrollButtons();
    UpdateProfileButtons();
    StartAnimation();
}

void TProfileScreen::AskToDelete(int32_t answer)
{
    if (answer == 1) DeleteRow(selection_);
}

void TProfileScreen::OnButton(int32_t kind)
{
    switch (kind)
    {
        case 0:
            UpdateVisibleRange();
            if (lastVisible_ >= rowsPerView_ - 1) ScrollRows(lastVisible_ - GetRowCount() + 1);
            UpdateVisibleRange();
            UpdateScrollButtons();
            return;
        case 2:
            if (TPlayer* player = TPlayer::GetInstance())
                player->SetCurrentUser(player->FindUser(GetSelectPlayerName()));
            return;
        case 3:
        case 4:
            ScrollRows(kind == 3 ? 1 : -1);
            PlaceHighlights();
            UpdateVisibleRange();
            UpdateScrollButtons();
            return;
        case 5:
            if (TWindowManager* wm = GetWindowManager())
                if (TWindow* top = wm->GetTopModal()) wm->PopModal(top->GetIdString());
            return;
        default:
            return;
    }
}

void TProfileScreen::ScrollRows(int32_t k)
{
    if (k == 0) return;
    if (k > 0 && firstVisible_ <= 0) return;
    if (k < 0 && lastVisible_ + 1 >= GetRowCount()) return;
    // Never past the first or the last row.
    k = std::clamp(k, lastVisible_ + 1 - GetRowCount(), firstVisible_);
    firstVisible_ -= k;
    MoveRows(0, k * rowHeight_);
    UpdateVisibleRange();
    PlaceHighlights();
}

void TProfileScreen::MoveRows(size_t from, int32_t dy)
{
    for (size_t i = from; i < rows_.size(); ++i)
    {
        rows_[i].rect.top += dy;
        rows_[i].rect.bottom += dy;
    }
}

void TProfileScreen::UpdateVisibleRange()
{
    visibleCount_ = std::min(GetRowCount(), rowsPerView_);
    lastVisible_ = firstVisible_ + visibleCount_ - 1;
}

void TProfileScreen::UpdateScrollButtons()
{
    ShowWindow(FindChild("up_button", -1), firstVisible_ != 0);
    ShowWindow(FindChild("down_button", -1), GetRowCount() != lastVisible_ + 1);
}

void TProfileScreen::UpdateProfileButtons()
{
    const bool any = GetRowCount() > 0;
    for (const char* name : kProfileButtons)
    {
        TWindow* button = FindChild(name, -1);
        if (button == nullptr || ((button->GetFlags() & kWindowVisible) != 0) == any) continue;
        // Hidden as a dialog hides the controls it disables; a hidden
        // button no longer hovers.
        ShowWindow(button, any);
        if (!any) button->OnMouseLeave();
    }
}

TFloatPoint TProfileScreen::RowCentre(int32_t index) const
{
    const TRect& r = rows_[size_t(index)].rect;
    return TFloatPoint(float(r.left + rowWidth_ / 2), float(r.top + rowHeight_ / 2));
}

void TProfileScreen::PlaceHighlights()
{
    if (IsRow(previousSelection_))
    {
        const TFloatPoint at = RowCentre(previousSelection_);
        previousHighlight_->SetPosition(at.x, at.y);
        previousHighlight_->UpdateTransform();
    }
    if (IsRow(selection_))
    {
        const TFloatPoint at = RowCentre(selection_);
        highlight_->SetPosition(at.x, at.y);
        highlight_->UpdateTransform();
    }
}

void TProfileScreen::StartAnimation()
{
    animating_ = true;
    if (IsRow(previousSelection_))
    {
        // The previous highlight fades out from where the current one stands.
        PlaceSprite(*previousHighlight_, highlight_->GetPosition(), highlight_->GetAlpha(),
                    highlight_->GetScale().x);
    }
    PlaceSprite(*highlight_, IsRow(selection_) ? RowCentre(selection_) : highlight_->GetPosition(),
                0.0f, 0.0f);
    animationStart_ = uint32_t(clock_.GetTime());
    AnimateSelection();
}

void TProfileScreen::AnimateSelection()
{
    const uint32_t elapsed = uint32_t(clock_.GetTime()) - animationStart_;
    // A highlight time of 0 or less ends at once instead of dividing by it.
    if (animationMs_ <= 0 || elapsed >= uint32_t(animationMs_))
    {
        animating_ = false;
        PlaceSprite(*previousHighlight_, previousHighlight_->GetPosition(), 0.0f, 0.0f);
        PlaceSprite(*highlight_, highlight_->GetPosition(), 1.0f, 1.0f);
        return;
    }
    const float t = float(elapsed) / float(animationMs_);
    PlaceSprite(*highlight_, highlight_->GetPosition(), t, t);
    PlaceSprite(*previousHighlight_, previousHighlight_->GetPosition(), 1.0f - t, 1.0f - t);
}

float TProfileScreen::GetHighlightAlpha(bool previous) const
{
    return (previous ? previousHighlight_ : highlight_)->GetAlpha();
}

float TProfileScreen::GetHighlightScale(bool previous) const
{
    return (previous ? previousHighlight_ : highlight_)->GetScale().x;
}

TFloatPoint TProfileScreen::GetHighlightPosition(bool previous) const
{
    return (previous ? previousHighlight_ : highlight_)->GetPosition();
}

bool TProfileScreen::OnTimer()
{
    if (noProfiles_)
    {
        // Nothing to choose from: straight to the script's name dialog.
        noProfiles_ = false;
        PressButton("new");
    }
    return TGameScreen::OnTimer();
}

void TProfileScreen::Tick()
{
    if (animating_) AnimateSelection();
}

bool TProfileScreen::OnKeyDown(int8_t key, int32_t modifiers)
{
    if (key == kKeyEnter || key == kKeyEscape)
    {
        PressButton("select_button");
        return true;
    }
    if (key == kKeyDelete)
    {
        PressButton("delete");
        return true;
    }
    if ((key == 'N' || key == 'n') && modifiers == 2)
    {
        PressButton("new");
        return true;
    }
    if (key == kKeyUp)
    {
        if (selection_ <= 0) return true;
        previousSelection_ = selection_;
        --selection_;
        StartAnimation();
        if (selection_ < firstVisible_) PressButton("up_button");
        return true;
    }
    if (key == kKeyDown)
    {
        if (selection_ >= GetRowCount() - 1) return true;
        previousSelection_ = selection_;
        ++selection_;
        StartAnimation();
        if (selection_ > lastVisible_) PressButton("down_button");
        return true;
    }
    return false;
}

bool TProfileScreen::OnMouseDown(TPoint point)
{
    for (int32_t i = firstVisible_; i <= lastVisible_ && IsRow(i); ++i)
    {
        if (!rows_[size_t(i)].rect.Contains(point.x, point.y)) continue;
        if (i != selection_)
        {
            previousSelection_ = selection_;
            selection_ = i;
            StartAnimation();
        }
        else if (uint32_t(clock_.GetTime()) - lastClick_ <= doubleClickMs_)
        {
            PressButton("rename_button");
        }
    }
    lastClick_ = uint32_t(clock_.GetTime());
    return false;
}

bool TProfileScreen::OnMouseButton(TPoint point, int32_t button)
{
    switch (button)
    {
        case 1:
            for (const SRow& row : rows_)
            {
                if (row.rect.Contains(point.x, point.y))
                {
                    PressButton("rename_button");
                    return true;
                }
            }
            return false;
        case 6:
            OnButton(3);
            return true;
        case 7:
            OnButton(4);
            return true;
        default:
            return false;
    }
}

bool TProfileScreen::OnMouseUp(TPoint)
{
    return false;
}

bool TProfileScreen::OnMouseMove(TPoint)
{
    return false;
}

bool TProfileScreen::OnMessage(TMessage* message)
{
    // A closed dialog's notice goes on to the script: the button command
    // that opened the dialog is waiting for it.
    return message == nullptr || message->GetKind() != kModalClosed;
}

void TProfileScreen::Draw()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    // Highlights and texts both draw relative to this window.
    if (previousSelection_ >= 0 && InView(previousSelection_)) previousHighlight_->Draw();
    if (InView(selection_)) highlight_->Draw();
    for (int32_t i = firstVisible_; i <= lastVisible_ && IsRow(i); ++i)
    {
        const SRow& row = rows_[size_t(i)];
        if (row.text)
            row.text->Draw(TFloatPoint(float(row.rect.left), float(row.rect.top)), rowHeight_,
                           1.0f);
    }
}
