// The window tree's own visitors.
#include "ui/WindowSpider.h"

#include <algorithm>

#include "ui/Window.h"
#include "ui/WindowManager.h"

bool GetLargest::Visit(TWindow* window)
{
    right = std::max(right, window->GetRect().right);
    bottom = std::max(bottom, window->GetRect().bottom);
    return true;
}

bool ChildrenDelete::Visit(TWindow* window)
{
    parent_->RemoveChild(window);
    if (manager_ != nullptr)
        manager_->ScheduleDelete(window);
    else
        delete window;
    return true;
}

bool TWindowClearFlags::Visit(TWindow* window)
{
    window->SetFlags(window->GetFlags() & mask_);
    if (recursive_) window->VisitChildren(*this);
    return true;
}

bool TModalPoppedSpider::Visit(TWindow* window)
{
    TModalPoppedSpider inner;
    window->VisitChildren(inner);
    window->OnModalPopped();
    return true;
}
