#include "ui/support/UiTestSupport.h"

#include "core/Clock.h"
#include "core/Settings.h"
#include "graphics/DrawContext.h"

namespace uitest
{

namespace
{
uint32_t gNow = 1000;
uint32_t Now()
{
    return gNow;
}
}  // namespace

void SetFakeTime(uint32_t ms)
{
    gNow = ms;
    SetClockTimeSource(&Now);
}

void AdvanceTime(uint32_t ms)
{
    gNow += ms;
}

uint32_t FakeTime()
{
    return gNow;
}

void FillWindow(const TFloatVector4& colour)
{
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    const TRect v = dc->GetViewport();
    dc->FillRect(TRect(0, 0, v.right - v.left, v.bottom - v.top), colour, TTextureRef());
}

void UiTest::SetUp()
{
    SetFakeTime(1000);
    ClearSettings();
    ResetWindowIdCounter();
    SetSwallowNextChar(false);
    SetWindowAppLink(&app);
    wm = std::make_unique<TWindowManager>();
}

void UiTest::TearDown()
{
    wm.reset();
    SetWindowAppLink(nullptr);
    SetClockTimeSource(nullptr);
    ClearSettings();
}

TScreen* UiTest::MakeScreen()
{
    wm->CreateRootScreen(800, 600);
    return wm->GetScreen();
}

RecWindow* UiTest::Window(TWindow* parent, const char* name, TRect rect)
{
    auto* w = new RecWindow(&log, name);
    w->SetPosition(rect.left, rect.top);
    w->SetSize(rect.right - rect.left, rect.bottom - rect.top);
    if (parent) parent->AddChild(w, false);
    return w;
}

RecModal* UiTest::Modal(const char* name, int width, int height)
{
    auto* m = new RecModal(&log, name);
    if (width || height) m->SetSize(width, height);
    return m;
}

void UiTest::Send(int type, int x, int y, int data, int modifiers)
{
    TEvent ev;
    ev.type = type;
    ev.x = x;
    ev.y = y;
    ev.data = data;
    ev.modifiers = modifiers;
    wm->HandleEvent(ev);
}

std::vector<std::string> UiTest::Calls()
{
    std::vector<std::string> out;
    out.swap(log);
    return out;
}

}  // namespace uitest

#include "graphics/DisplayHandler.h"

namespace uitest
{

RecordingDisplay::RecordingDisplay()
{
    host.SetFixedTime(true, 1000);
    TDrawContext::UseDevice(&device, &host);
    dc = TDrawContext::GetInstance();
    dc->GetDisplayHandler()->SetDisplay(
        {.width = 800, .height = 600, .force = true, .quiet = true});
}

RecordingDisplay::~RecordingDisplay()
{
    TDrawContext::Destroy();
    TDrawContext::UseDevice(nullptr, nullptr);
}

}  // namespace uitest
