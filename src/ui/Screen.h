// TScreen: the modal at the bottom of the stack, named "_screen_", which
// clears the display.
#pragma once

#include "core/ValueTypes.h"
#include "ui/ModalWindow.h"

class TScreen : public TModalWindow
{
public:
    TScreen();
    ORVELLE_WINDOW_CLASS(TModalWindow);
    // Clears to the clear colour (unless never-clear) when clear-always is
    // set or the screen is the top modal; draws the manager's capture.
    void Draw() override;

    void SetClearAlways(bool on) { clearAlways_ = on; }
    void SetNeverClear(bool on) { neverClear_ = on; }
    void SetClearColor(const TFloatVector4& colour) { clearColour_ = colour; }

private:
    bool clearAlways_ = false;
    bool neverClear_ = false;
    TFloatVector4 clearColour_;
};
