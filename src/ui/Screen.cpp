// The root screen.
#include "ui/Screen.h"

#include "graphics/DrawContext.h"
#include "ui/WindowManager.h"

ORVELLE_WINDOW_RECORD(TScreen)

TScreen::TScreen()
{
    AddRoleFlags(kWindowScreenLayer);
    SetFlags(GetFlags() | kWindowOpaque);
    SetName("_screen_");
}

void TScreen::Draw()
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    TWindowManager* wm = GetWindowManager();
    if (dc == nullptr) return;
    if (!neverClear_ && (clearAlways_ || (wm != nullptr && wm->GetTopModal() == this)))
        dc->FillRect(GetLocalRect(), clearColour_, TTextureRef());
    if (wm != nullptr)
    {
        if (TTextureRef capture = wm->GetCapture())
        {
            TScoped2d block;
            capture->DrawAt(0, 0, 1.0f, 1.0f, 0.0f, 0);
        }
    }
}
