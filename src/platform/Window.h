// The main window and its message source, as the platform host uses them.
// Backends: the SDL window (sdl/SdlWindow.h, which also hands the graphics
// layer its SDL_Window) and a scripted fake for headless tests
// (null/NullWindow.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Input.h"

namespace platform
{

struct WindowParams
{
    std::string title;
    int width = 480;  // client size
    int height = 360;
    bool visible = false;
};

class Window
{
public:
    virtual ~Window() = default;

    // Opens the window. False (with a log line) when the window system cannot
    // be started or the window cannot be made.
    virtual bool Create(const WindowParams& params) = 0;
    // Closes the window; harmless when it is not open.
    virtual void Destroy() = 0;
    virtual bool IsOpen() const = 0;

    virtual void SetTitle(const std::string& utf8) = 0;
    // Client-area size in pixels; 0, 0 when the window is not open.
    virtual void SetClientSize(int width, int height) = 0;
    virtual void GetClientSize(int& width, int& height) const = 0;
    virtual void Show() = 0;
    // Brings the window to the front and asks for the input focus.
    virtual void Raise() = 0;
    virtual bool HasInputFocus() const = 0;
    // Full screen at the desktop's resolution; false when refused.
    virtual bool SetFullScreen(bool full) = 0;
    // Moves the pointer to a client-area position.
    virtual void WarpMouse(int x, int y) = 0;
    virtual void ShowSystemCursor(bool visible) = 0;

    // Takes the next waiting message, translated, or a due hover once no
    // message waits. False when nothing waits.
    virtual bool PollMessage(const InputContext& ctx, InputState& st, Message& out) = 0;
    // Whether a request to end the program (a signal, the window closed)
    // waits among the messages, without taking any: asked while the main
    // thread is held up away from its message loop.
    virtual bool IsTerminationPending() = 0;

    // Clipboard text (UTF-8). Set: false when the clipboard refuses; get: ""
    // when it holds no text.
    virtual bool SetClipboardText(const std::string& utf8) = 0;
    virtual std::string GetClipboardText() = 0;

    // The backend's own window object (an SDL_Window* for the SDL backend),
    // null when none is open.
    virtual void* GetNativeHandle() const = 0;
    // A number naming the window (the window system's id); 0 when closed.
    virtual uint32_t GetId() const = 0;
};

// The SDL backend. Never null.
std::unique_ptr<Window> CreateSdlWindow();

// True while the environment variable ORVELLE_WINDOWED is set (headless
// runs, tests, benchmarks): the picture stays in a window, and every switch
// to full screen is refused quietly (false, no message, no box).
bool IsFullScreenRefused();

}  // namespace platform
