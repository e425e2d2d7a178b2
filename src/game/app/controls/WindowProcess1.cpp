// The alpha visitor.
#include "game/app/controls/WindowProcess1.h"

#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Text.h"

bool TWindowProcess1::Visit(TWindow* window)
{
    if (window == nullptr) return true;
    if (window->IsKindOf(TText::ClassId()))
    {
        static_cast<TText*>(window)->SetAlpha(alpha_);
        window->VisitChildren(*this, true);
    }
    else if (window->IsKindOf(TImage::ClassId()))
    {
        static_cast<TImage*>(window)->SetAlpha(alpha_);
        window->VisitChildren(*this, true);
    }
    else if (window->IsKindOf(TButton::ClassId()))
    {
        window->VisitChildren(*this, true);
    }
    return true;
}
