// The headless window.
#include "platform/null/NullWindow.h"

namespace platform
{

bool NullWindow::Create(const WindowParams& params)
{
    if (createFails) return false;
    open_ = true;
    title = params.title;
    width = params.width;
    height = params.height;
    visible = params.visible;
    return true;
}

void NullWindow::SetClientSize(int w, int h)
{
    if (open_ && w > 0 && h > 0)
    {
        width = w;
        height = h;
    }
}

void NullWindow::GetClientSize(int& w, int& h) const
{
    w = open_ ? width : 0;
    h = open_ ? height : 0;
}

bool NullWindow::SetFullScreen(bool full)
{
    if (!open_ || !fullScreenWorks) return false;
    fullScreen = full;
    return true;
}

void NullWindow::WarpMouse(int x, int y)
{
    warpX = x;
    warpY = y;
}

bool NullWindow::PollMessage(const InputContext& ctx, InputState& st, Message& out)
{
    if (!queue.empty())
    {
        out = queue.front();
        queue.pop_front();
        return true;
    }
    return CheckHover(ctx, st, out);
}

bool NullWindow::SetClipboardText(const std::string& utf8)
{
    if (!clipboardWorks) return false;
    clipboard = utf8;
    return true;
}

bool NullWindow::IsTerminationPending()
{
    for (const Message& message : queue)
        if (message.signal == WindowSignal::TerminateRequest ||
            message.signal == WindowSignal::CloseRequest)
            return true;
    return false;
}

}  // namespace platform
