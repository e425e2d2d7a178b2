// TLayeredWindow: a window whose children are filed under numbered layers,
// of which one is shown at a time. Not creatable by type name.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/Window.h"

// Main thread only. The layer lists name children; the window tree owns them.
class TLayeredWindow : public TWindow
{
public:
    // "Every layer": the current layer with which AddChild files a child
    // under all layers.
    static constexpr int32_t kAllLayers = -1;

    explicit TLayeredWindow(uint32_t layerCount);
    ORVELLE_WINDOW_CLASS(TWindow);
    ~TLayeredWindow() override = default;

    // A successful add files the child under the current layer (under every
    // layer while the current one is kAllLayers); a refused add files nothing.
    bool AddChild(TWindow* child, bool attachCheck) override;
    // The child leaves every layer list too.
    void RemoveChild(TWindow* child) override;

    // Hides every direct child, then shows the children of layer n (layer 0
    // for kAllLayers; none for a layer that does not exist). Nothing when n
    // is already current.
    void SelectLayer(int32_t n);
    int32_t GetCurrentLayer() const { return current_; }
    uint32_t GetLayerCount() const { return static_cast<uint32_t>(layers_.size()); }
    // Empty for a layer that does not exist.
    const std::vector<TWindow*>& GetLayer(int32_t n) const;

private:
    int32_t current_ = 0;
    std::vector<std::vector<TWindow*>> layers_;
};
