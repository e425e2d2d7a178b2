// The mouse image of the device context: the two pointer slots turned into
// the device's pointer picture, the pointer's position and visibility, the
// platform colour cursor, and the rebuild after a device restore.
#include <algorithm>

#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "graphics/DXContext.h"
#include "graphics/DisplayHandler.h"
#include "graphics/Texture.h"

using TMouseLock = std::lock_guard<std::recursive_timed_mutex>;

TMouseTextureListener::~TMouseTextureListener()
{
    if (context_) context_->DetachMouseListener();
}

bool TMouseTextureListener::Run()
{
    if (context_) context_->RestoreMouseImage();
    return true;
}

void TDXContext::ReleaseMouseImage()
{
    if (listener_) listener_->Detach();
    listener_ = nullptr;
    if (cursorIcon_ && device_) device_->SetColorCursor(nullptr, 0, 0);
    cursorIcon_ = false;
}

// The colour-key rule: red above 247, no green and blue above 247 is
// transparent, every other pixel opaque. The alpha rule keeps the pixel.
bool TDXContext::ConvertPointer(TPointerSlot& slot, bool colourKey)
{
    slot.pixels.clear();
    slot.width = slot.height = 0;
    if (!slot.image) return true;
    const TLockedPixels px(slot.image);
    if (!px) return false;
    const int w = std::min(slot.image->GetWidth(), px.GetPitch()), h = slot.image->GetHeight();
    if (w > 0 && h > 0)
    {
        slot.pixels.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                uint32_t p = px.Row(y)[x];
                if (colourKey)
                {
                    const uint32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
                    p = (r > 247 && g == 0 && b > 247) ? 0u : (p | 0xFF000000u);
                }
                slot.pixels[size_t(y) * w + x] = p;
            }
        slot.width = w;
        slot.height = h;
    }
    return true;
}

bool TDXContext::MakeColorCursor(const TTextureRef& image, int hotX, int hotY)
{
    if (!device_) return false;
    if (!image)
    {
        if (cursorIcon_) device_->SetColorCursor(nullptr, 0, 0);
        cursorIcon_ = false;
        return true;
    }
    // Only the top-left 32 x 32 pixels of a larger image make the cursor.
    std::vector<uint32_t> cursor(32 * 32, 0u);
    {
        const TLockedPixels px(image);
        if (!px) return false;
        const int w = std::min({image->GetWidth(), px.GetPitch(), 32}),
                  h = std::min(image->GetHeight(), 32);
        for (int y = 0; y < h; ++y) std::copy_n(px.Row(y), w, cursor.begin() + y * 32);
    }
    cursorIcon_ = device_->SetColorCursor(cursor.data(), hotX, hotY);
    return cursorIcon_;
}

bool TDXContext::SetMouseImage(const TTextureRef& image, int hotX, int hotY, bool overlay)
{
    if (!deviceReady_) return false;
    TMouseLock lock(mouseMutex_);
    if (overlay && GetSetting(kSettingActiveX) == "1")
    {
        overlay_.image = image;
        overlay_.hotX = hotX;
        overlay_.hotY = hotY;
        overlay_.pixels.clear();
        return MakeColorCursor(image, hotX, hotY);
    }
    TPointerSlot& slot = overlay ? overlay_ : normal_;
    slot.image = image;
    slot.hotX = hotX;
    slot.hotY = hotY;
    const bool read = ConvertPointer(slot, !overlay);
    // A picture that cannot be read now is read again by the next restore.
    if (!read) restorePending_ = true;
    if (overlay) overlayActive_ = image != nullptr;
    if (normal_.image && !listener_)
    {
        listener_ = new TMouseTextureListener(this);
        if (handler_) handler_->GetHost()->AddAppTask(listener_);
    }
    ApplyDrawnPointer();
    return read;
}

// The drawn slot (the overlay while one is set) becomes the device's pointer
// picture. A cleared overlay hands back to the normal image and its hot spot.
void TDXContext::ApplyDrawnPointer()
{
    const TPointerSlot& drawn = overlayActive_ ? overlay_ : normal_;
    imageWidth_ = imageHeight_ = 0;
    if (!device_) return;
    if (!normal_.image || drawn.pixels.empty())
    {
        device_->SetPointerImage(nullptr, 0, 0);
        return;
    }
    hotOffsetX_ = -drawn.hotX;
    hotOffsetY_ = -drawn.hotY;
    imageWidth_ = drawn.width;
    imageHeight_ = drawn.height;
    // Without room for the picture the game runs on without a pointer.
    pointerLost_ = !device_->SetPointerImage(drawn.pixels.data(), drawn.width, drawn.height);
}

void TDXContext::RestoreMouseImage()
{
    if (restoring_)
    {
        LogPrintf("Second concurrent call to RestoreMouseImage");
        return;
    }
    TDisplayHost* host = handler_ ? handler_->GetHost() : nullptr;
    if (host && host->HoldsPresentation()) return;
    TMouseLock lock(mouseMutex_);
    restoring_ = true;
    restorePending_ = false;
    const bool iconShown = cursorIcon_ && display_.IsWindowed();
    if (normal_.image && !iconShown)
    {
        const TTextureRef image = normal_.image;
        SetMouseImage(image, normal_.hotX, normal_.hotY, false);
    }
    if (overlay_.image && !iconShown)
    {
        // The overlay comes back with its own hot spot.
        const TTextureRef image = overlay_.image;
        SetMouseImage(image, overlay_.hotX, overlay_.hotY, true);
    }
    restoring_ = false;
}

void TDXContext::PlacePointer()
{
    if (!device_) return;
    int w = 0, h = 0;
    device_->GetBackBufferSize(&w, &h);
    GfxRect area{0, 0, w, h};
    // Clipped to the root window once there is one.
    if (handler_) handler_->GetHost()->GetRootWindowArea(&area);
    const bool visible = shown_ && cursorVisible_ && imageWidth_ > 0 && imageHeight_ > 0 &&
                         !pointerLost_ && !restorePending_ &&
                         !(cursorIcon_ && display_.IsWindowed());
    device_->SetPointerPlacement(mouseX_ + hotOffsetX_, mouseY_ + hotOffsetY_, area, visible);
}

void TDXContext::UpdateMouse(int x, int y)
{
    TMouseLock lock(mouseMutex_);
    if (restorePending_) return;
    mouseX_ = x;
    mouseY_ = y;
    shown_ = true;
}

void TDXContext::HideMouse()
{
    TMouseLock lock(mouseMutex_);
    if (!shown_) return;
    shown_ = false;
    if (handler_) handler_->GetHost()->InvalidateWindows();
}

void TDXContext::ResetMouseImage()
{
    TMouseLock lock(mouseMutex_);
    shown_ = false;
    display_.UpdateBounds();
}

void TDXContext::GetMouseImagePos(int* x, int* y) const
{
    if (x) *x = mouseX_;
    if (y) *y = mouseY_;
}

TTextureRef TDXContext::GetMouseImage() const
{
    return (imageWidth_ > 0 && imageHeight_ > 0) ? normal_.image : TTextureRef();
}

bool TDXContext::SetCursorIcon(bool show)
{
    return show && cursorIcon_ && display_.IsWindowed();
}

void TDXContext::SetCursorVisible(bool visible)
{
    TMouseLock lock(mouseMutex_);
    if (visible == cursorVisible_) return;
    cursorVisible_ = visible;
    if (handler_) handler_->GetHost()->InvalidateWindows();
}

void TDXContext::EraseMouse()
{
    // The pointer is never in the back buffer: there is nothing to erase.
}
