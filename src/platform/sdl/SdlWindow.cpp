// The main window over SDL2 video and events.
#include "platform/sdl/SdlWindow.h"

#include <string>

#include "core/Log.h"
#include "platform/sdl/SdlInput.h"

namespace platform
{

namespace
{

class SdlWindow final : public Window
{
public:
    ~SdlWindow() override { Destroy(); }

    bool Create(const WindowParams& params) override
    {
        Destroy();
        // The game decides how a close ends, also for the last window.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        {
            LogPrintf("ERROR: the window system cannot be started: %s", SDL_GetError());
            return false;
        }
        videoStarted_ = true;
        Uint32 flags = params.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        window_ = SDL_CreateWindow(params.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                   SDL_WINDOWPOS_CENTERED, params.width, params.height, flags);
        if (!window_)
        {
            LogPrintf("ERROR: the main window cannot be created: %s", SDL_GetError());
            Destroy();
            return false;
        }
        SDL_StartTextInput();
        return true;
    }

    void Destroy() override
    {
        if (window_)
        {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
        if (videoStarted_)
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
            videoStarted_ = false;
        }
    }

    bool IsOpen() const override { return window_ != nullptr; }

    void SetTitle(const std::string& utf8) override
    {
        if (window_) SDL_SetWindowTitle(window_, utf8.c_str());
    }

    void SetClientSize(int width, int height) override
    {
        if (window_ && width > 0 && height > 0)
        {
            SDL_SetWindowSize(window_, width, height);
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }

    void GetClientSize(int& width, int& height) const override
    {
        width = height = 0;
        if (window_) SDL_GetWindowSize(window_, &width, &height);
    }

    void Show() override
    {
        if (window_) SDL_ShowWindow(window_);
    }

    void Raise() override
    {
        if (window_)
        {
            SDL_RestoreWindow(window_);
            SDL_RaiseWindow(window_);
        }
    }

    bool HasInputFocus() const override
    {
        return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    bool SetFullScreen(bool full) override
    {
        if (!window_) return false;
        if (full && IsFullScreenRefused()) return false;
        return SDL_SetWindowFullscreen(window_, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
    }

    void WarpMouse(int x, int y) override
    {
        if (window_) SDL_WarpMouseInWindow(window_, x, y);
    }

    void ShowSystemCursor(bool visible) override
    {
        if (videoStarted_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    bool PollMessage(const InputContext& ctx, InputState& st, Message& out) override
    {
        if (videoStarted_)
        {
            SDL_Event e;
            if (SDL_PollEvent(&e))
            {
                InputContext c = ctx;
                ReadModifierState(static_cast<Uint16>(SDL_GetModState()), c);
                TranslateSdlEvent(e, c, st, out);
                // A maximise request cannot be refused beforehand; it is
                // undone here, as the window has one size only.
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_MAXIMIZED &&
                    window_)
                    SDL_RestoreWindow(window_);
                return true;
            }
        }
        return CheckHover(ctx, st, out);
    }

    bool IsTerminationPending() override
    {
        if (!videoStarted_) return false;
        // Fills the queue from the window system and from the signal handler
        // SDL keeps for SIGTERM and SIGINT; nothing is taken out of it.
        SDL_PumpEvents();
        if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) return true;
        SDL_Event events[64];
        const int n =
            SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
        for (int i = 0; i < n; ++i)
            if (events[i].window.event == SDL_WINDOWEVENT_CLOSE) return true;
        return false;
    }

    bool SetClipboardText(const std::string& utf8) override
    {
        if (!videoStarted_) return false;
        return SDL_SetClipboardText(utf8.c_str()) == 0;
    }

    std::string GetClipboardText() override
    {
        if (!videoStarted_ || !SDL_HasClipboardText()) return std::string();
        char* text = SDL_GetClipboardText();
        if (!text) return std::string();
        std::string out(text);
        SDL_free(text);
        return out;
    }

    void* GetNativeHandle() const override { return window_; }
    uint32_t GetId() const override { return window_ ? SDL_GetWindowID(window_) : 0; }

private:
    SDL_Window* window_ = nullptr;
    bool videoStarted_ = false;
};

}  // namespace

std::unique_ptr<Window> CreateSdlWindow()
{
    return std::make_unique<SdlWindow>();
}

SDL_Window* GetSdlWindow(const Window& window)
{
    if (!dynamic_cast<const SdlWindow*>(&window)) return nullptr;
    return static_cast<SDL_Window*>(window.GetNativeHandle());
}

}  // namespace platform
