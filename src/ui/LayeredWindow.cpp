// The layered window.
#include "ui/LayeredWindow.h"

#include <algorithm>

#include "ui/WindowManager.h"
#include "ui/WindowSpider.h"

namespace
{

const std::vector<TWindow*> kNoLayer;

}  // namespace

ORVELLE_BASE_WINDOW_RECORD(TLayeredWindow)

TLayeredWindow::TLayeredWindow(uint32_t layerCount) : layers_(layerCount) {}

const std::vector<TWindow*>& TLayeredWindow::GetLayer(int32_t n) const
{
    if (n < 0 || static_cast<size_t>(n) >= layers_.size()) return kNoLayer;
    return layers_[static_cast<size_t>(n)];
}

bool TLayeredWindow::AddChild(TWindow* child, bool attachCheck)
{
    if (!TWindow::AddChild(child, attachCheck)) return false;
    if (current_ == kAllLayers)
    {
        for (auto& layer : layers_)
            if (std::find(layer.begin(), layer.end(), child) == layer.end()) layer.push_back(child);
    }
    else if (current_ >= 0 && static_cast<size_t>(current_) < layers_.size())
    {
        auto& layer = layers_[static_cast<size_t>(current_)];
        if (std::find(layer.begin(), layer.end(), child) == layer.end()) layer.push_back(child);
    }
    return true;
}

void TLayeredWindow::RemoveChild(TWindow* child)
{
    TWindow::RemoveChild(child);
    for (auto& layer : layers_) layer.erase(std::remove(layer.begin(), layer.end(), child), layer.end());
}

void TLayeredWindow::SelectLayer(int32_t n)
{
    if (n == current_) return;
    current_ = n;
    TWindowClearFlags hide(~uint32_t(kWindowVisible), false);
    VisitChildren(hide);
    for (TWindow* w : GetLayer(n == kAllLayers ? 0 : n)) w->SetFlags(w->GetFlags() | kWindowVisible);
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}
