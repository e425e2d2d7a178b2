// TCustomButton (window type "CustomButton"): the game's button. It keeps
// the pointer's position while the pointer rests over it, so that a screen
// can go on with its own hover effects (a lens, a highlight) under a button,
// and it never swallows a move or a leave: the windows below hear them too.
#pragma once

#include <cstdint>

#include "core/ValueTypes.h"
#include "ui/Button.h"

// Main thread only.
class TCustomButton : public TButton
{
public:
    TCustomButton() = default;
    ORVELLE_WINDOW_CLASS(TButton);
    ~TCustomButton() override = default;

    // The button's hover state before the move decides: already hovered,
    // the point (in the button's parent's coordinates) is kept; otherwise
    // the pointer is (-1, -1). So the first move over the button records
    // nothing, the second does. Then the button's own handling; false.
    bool OnMouseMove(TPoint point) override;
    // The pointer becomes (-1, -1); the button's own handling; false.
    bool OnMouseLeave() override;

    // In the parent's coordinates; (-1, -1) while the pointer is not over
    // the button.
    TPoint GetPointer() const { return pointer_; }

private:
    TPoint pointer_{-1, -1};
};
