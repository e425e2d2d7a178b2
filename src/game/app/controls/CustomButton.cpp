// The game's button: the pointer kept while hovered.
#include "game/app/controls/CustomButton.h"

ORVELLE_WINDOW_RECORD(TCustomButton)

bool TCustomButton::OnMouseMove(TPoint point)
{
    // Judged before the button reacts: the move that brings the hover state
    // does not count yet.
    pointer_ = GetVisualState() == kHover ? ToParent(point) : TPoint(-1, -1);
    // A move that leaves the hit area comes back through OnMouseLeave,
    // which forgets the pointer again.
    TButton::OnMouseMove(point);
    return false;
}

bool TCustomButton::OnMouseLeave()
{
    pointer_ = TPoint(-1, -1);
    TButton::OnMouseLeave();
    return false;
}
