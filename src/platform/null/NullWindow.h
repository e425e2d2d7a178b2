// A window without a window system, for headless tests: messages are
// queued by the test, and every call the host makes is counted.
#pragma once

#include <deque>
#include <string>

#include "platform/Window.h"

namespace platform
{

class NullWindow final : public Window
{
public:
    bool Create(const WindowParams& params) override;
    void Destroy() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void SetTitle(const std::string& utf8) override { title = utf8; }
    void SetClientSize(int w, int h) override;
    void GetClientSize(int& w, int& h) const override;
    void Show() override { visible = true; }
    void Raise() override { ++raiseCount; }
    bool HasInputFocus() const override { return focus; }
    bool SetFullScreen(bool full) override;
    void WarpMouse(int x, int y) override;
    void ShowSystemCursor(bool v) override { cursorVisible = v; }
    // Hands out the queued messages in order, then a due hover.
    bool PollMessage(const InputContext& ctx, InputState& st, Message& out) override;
    // True while a queued message is a close or termination request.
    bool IsTerminationPending() override;
    bool SetClipboardText(const std::string& utf8) override;
    std::string GetClipboardText() override { return clipboard; }
    void* GetNativeHandle() const override { return nullptr; }
    uint32_t GetId() const override { return open_ ? 1 : 0; }

    // Queues a message; messages are handed out in order.
    void Queue(const Message& message) { queue.push_back(message); }

    std::deque<Message> queue;
    std::string title;
    std::string clipboard;
    bool clipboardWorks = true;
    bool fullScreenWorks = true;
    bool fullScreen = false;
    bool visible = false;
    bool focus = true;
    bool cursorVisible = true;
    int width = 0;
    int height = 0;
    int raiseCount = 0;
    int warpX = -1;
    int warpY = -1;
    bool createFails = false;

private:
    bool open_ = false;
};

}  // namespace platform
