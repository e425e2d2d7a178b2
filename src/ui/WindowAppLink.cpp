// The window system's default view of the application: the facade's.
#include "ui/WindowAppLink.h"

#include "graphics/DisplayHandler.h"
#include "graphics/DrawContext.h"
#include "host/App.h"
#include "host/AppHost.h"

namespace
{

TWindowAppLink gDefaultLink;
TWindowAppLink* gLink = nullptr;

}  // namespace

bool TWindowAppLink::IsFastFrameRate() const
{
    TApp* app = GetApp();
    if (app == nullptr) return true;
    TAppHost* host = app->GetHost();
    return app->IsForeground() || (host && (host->HasSwitch("-pq=") || host->embedded));
}

bool TWindowAppLink::IsFlipDone() const
{
    TApp* app = GetApp();
    return app == nullptr || app->IsFlipDone();
}

bool TWindowAppLink::IsDisplayReady() const
{
    TDrawContext* dc = TDrawContext::Instance();
    return dc != nullptr && dc->GetDisplayHandler() != nullptr &&
           dc->GetDisplayHandler()->IsReady();
}

bool TWindowAppLink::IsAppReady() const
{
    return GetApp() != nullptr;
}

bool TWindowAppLink::IsRelativeMouse() const
{
    TApp* app = GetApp();
    return app != nullptr && app->GetMouseMode() != 0;
}

void TWindowAppLink::Quit(int code)
{
    if (TApp* app = GetApp()) app->Quit(code);
}

TTaskList* TWindowAppLink::GetTaskList()
{
    TApp* app = GetApp();
    return app != nullptr ? &app->GetTaskList() : nullptr;
}

void TWindowAppLink::GetDisplaySize(int& width, int& height) const
{
    width = height = 0;
    bool fullScreen = false;
    if (TApp* app = GetApp()) app->GetDisplaySize(width, height, fullScreen);
}

bool TWindowAppLink::SetClipboardText(const TString& text)
{
    return StringToClipboard(text);
}

TString TWindowAppLink::GetClipboardText() const
{
    TApp* app = GetApp();
    return app != nullptr ? app->GetClipboardText() : TString();
}

void TWindowAppLink::OpenUrl(const TString& url)
{
    if (TApp* app = GetApp()) app->OpenURL(url);
}

TStringTable* TWindowAppLink::GetStringTable() const
{
    TApp* app = GetApp();
    return app != nullptr ? app->GetStringTable() : nullptr;
}

THostGameState* TWindowAppLink::GetGameState() const
{
    TApp* app = GetApp();
    return app != nullptr && app->GetHost() != nullptr ? app->GetHost()->GetGameState() : nullptr;
}

TWindowAppLink& GetWindowAppLink()
{
    return gLink != nullptr ? *gLink : gDefaultLink;
}

void SetWindowAppLink(TWindowAppLink* link)
{
    gLink = link;
}
