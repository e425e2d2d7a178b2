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
        m_videoStarted = true;
        Uint32 flags = params.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        m_window = SDL_CreateWindow(params.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                    SDL_WINDOWPOS_CENTERED, params.width, params.height, flags);
        if (!m_window)
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
        if (m_window)
        {
            SDL_DestroyWindow(m_window);
            m_window = nullptr;
        }
        if (m_videoStarted)
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
            m_videoStarted = false;
        }
    }

    bool IsOpen() const override { return m_window != nullptr; }

    void SetTitle(const std::string& utf8) override
    {
        if (m_window) SDL_SetWindowTitle(m_window, utf8.c_str());
    }

    void SetClientSize(int width, int height) override
    {
        if (m_window && width > 0 && height > 0)
        {
            SDL_SetWindowSize(m_window, width, height);
            SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }

    void GetClientSize(int& width, int& height) const override
    {
        width = height = 0;
        if (m_window) SDL_GetWindowSize(m_window, &width, &height);
    }

    void Show() override
    {
        if (m_window) SDL_ShowWindow(m_window);
    }

    void Raise() override
    {
        if (m_window)
        {
            SDL_RestoreWindow(m_window);
            SDL_RaiseWindow(m_window);
        }
    }

    bool HasInputFocus() const override
    {
        return m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    bool SetFullScreen(bool full) override
    {
        if (!m_window) return false;
        return SDL_SetWindowFullscreen(m_window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
    }

    void WarpMouse(int x, int y) override
    {
        if (m_window) SDL_WarpMouseInWindow(m_window, x, y);
    }

    void ShowSystemCursor(bool visible) override
    {
        if (m_videoStarted) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    bool PollMessage(const InputContext& ctx, InputState& st, Message& out) override
    {
        if (m_videoStarted)
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
                    m_window)
                    SDL_RestoreWindow(m_window);
                return true;
            }
        }
        return CheckHover(ctx, st, out);
    }

    bool SetClipboardText(const std::string& utf8) override
    {
        if (!m_videoStarted) return false;
        return SDL_SetClipboardText(utf8.c_str()) == 0;
    }

    std::string GetClipboardText() override
    {
        if (!m_videoStarted || !SDL_HasClipboardText()) return std::string();
        char* text = SDL_GetClipboardText();
        if (!text) return std::string();
        std::string out(text);
        SDL_free(text);
        return out;
    }

    void* GetNativeHandle() const override { return m_window; }
    uint32_t GetId() const override { return m_window ? SDL_GetWindowID(m_window) : 0; }

private:
    SDL_Window* m_window = nullptr;
    bool m_videoStarted = false;
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
