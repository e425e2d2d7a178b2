// The headless window.
#include "platform/null/NullWindow.h"

namespace platform
{

bool NullWindow::Create(const WindowParams& params)
{
    if (createFails) return false;
    m_open = true;
    title = params.title;
    width = params.width;
    height = params.height;
    visible = params.visible;
    return true;
}

void NullWindow::SetClientSize(int w, int h)
{
    if (m_open && w > 0 && h > 0)
    {
        width = w;
        height = h;
    }
}

void NullWindow::GetClientSize(int& w, int& h) const
{
    w = m_open ? width : 0;
    h = m_open ? height : 0;
}

bool NullWindow::SetFullScreen(bool full)
{
    if (!m_open || !fullScreenWorks) return false;
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

}  // namespace platform
