// Helpers for the window system tests: an application link whose answers a
// test sets, a fake application time, windows that record their calls (and
// may decline them, and fill their rectangle when drawn), and a fixture
// that wires these together with a window manager.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Task.h"
#include "core/ValueTypes.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Window.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"

namespace uitest
{

// The application as a test wants it: foreground, flip done, display and
// facade ready, absolute mouse.
class FakeAppLink : public TWindowAppLink
{
public:
    bool fast = true, flipDone = true, displayReady = true, appReady = true, relative = false;
    std::vector<int> quits;
    TTaskList tasks;

    bool IsFastFrameRate() const override { return fast; }
    bool IsFlipDone() const override { return flipDone; }
    bool IsDisplayReady() const override { return displayReady; }
    bool IsAppReady() const override { return appReady; }
    bool IsRelativeMouse() const override { return relative; }
    void Quit(int code) override { quits.push_back(code); }
    TTaskList* GetTaskList() override { return &tasks; }
};

// The application time every clock, task and the frame pacing read.
void SetFakeTime(uint32_t ms);
void AdvanceTime(uint32_t ms);
uint32_t FakeTime();

// One line per call: "<name>.<Op>[ args]". Shared by the windows of a test.
using CallLog = std::vector<std::string>;

// Records its calls; the ops named in `take` return true, all others false.
// Draw fills the local rectangle with `colour` when alpha is not 0.
template <class Base>
class Recording : public Base
{
public:
    Recording(CallLog* log, const char* name) : log_(log) { this->SetName(name); }
    ~Recording() override
    {
        if (deleted) *deleted += 1;
    }

    std::vector<std::string> take;
    TFloatVector4 colour{0, 0, 0, 0};
    int* deleted = nullptr;
    bool refuseAttach = false;
    std::vector<int> messageKinds;

    bool Takes(const char* op) const
    {
        for (const auto& t : take)
            if (t == op) return true;
        return false;
    }
    bool Note(const std::string& text, const char* op)
    {
        if (log_) log_->push_back(std::string(this->GetName().CStr()) + "." + text);
        return Takes(op);
    }
    static std::string P(TPoint p) { return " " + std::to_string(p.x) + "," + std::to_string(p.y); }

    bool OnAttached() override
    {
        Base::OnAttached();
        return !refuseAttach;
    }
    void Draw() override;
    bool OnMessage(TMessage* m) override
    {
        messageKinds.push_back(m->GetKind());
        if (Note("OnMessage " + std::string(m->GetName().CStr()), "OnMessage")) return true;
        return Base::OnMessage(m);
    }
    bool OnTimer() override { return Note("OnTimer", "OnTimer"); }
    bool OnMouseDown(TPoint p) override { return Note("OnMouseDown" + P(p), "OnMouseDown"); }
    bool OnMouseUp(TPoint p) override { return Note("OnMouseUp" + P(p), "OnMouseUp"); }
    bool OnMouseMove(TPoint p) override { return Note("OnMouseMove" + P(p), "OnMouseMove"); }
    bool OnMouseLeave() override { return Note("OnMouseLeave", "OnMouseLeave"); }
    bool OnChar(char c) override
    {
        return Note("OnChar " + std::to_string(static_cast<unsigned char>(c)), "OnChar");
    }
    bool OnText(TString t) override { return Note("OnText " + std::string(t.CStr()), "OnText"); }
    bool OnKeyDown(int8_t k, int32_t m) override
    {
        return Note("OnKeyDown " + std::to_string(k) + " " + std::to_string(m), "OnKeyDown");
    }
    void OnFocusChanged(TWindow* previous) override
    {
        Note(std::string("OnFocusChanged ") + (previous ? previous->GetName().CStr() : "-"), "");
        Base::OnFocusChanged(previous);
    }
    void OnModalPopped() override { Note("OnModalPopped", ""); }

private:
    CallLog* log_;
};

using RecWindow = Recording<TWindow>;
using RecModal = Recording<TModalWindow>;

// Fills the window's local rectangle through the drawing context.
void FillWindow(const TFloatVector4& colour);

template <class Base>
void Recording<Base>::Draw()
{
    if (log_) log_->push_back(std::string(this->GetName().CStr()) + ".Draw");
    if (colour.w != 0) FillWindow(colour);
    Base::Draw();
}

// A manager with a fake application and time; a screen of 800x600 when
// asked. Windows are logged into `log`.
class UiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The screen, sized 800x600.
    TScreen* MakeScreen();
    RecWindow* Window(TWindow* parent, const char* name, TRect rect);
    RecModal* Modal(const char* name, int width = 0, int height = 0);
    void Send(int type, int x = 0, int y = 0, int data = 0, int modifiers = 0);
    // Log lines since the last call.
    std::vector<std::string> Calls();

    FakeAppLink app;
    CallLog log;
    std::unique_ptr<TWindowManager> wm;
};

}  // namespace uitest

#include "graphics/DrawContext.h"
#include "platform/null/GfxRecordingDevice.h"

namespace uitest
{

// The drawing context over the recording device, with an 800x600 display.
class RecordingDisplay
{
public:
    RecordingDisplay();
    ~RecordingDisplay();
    RecordingDisplay(const RecordingDisplay&) = delete;
    RecordingDisplay& operator=(const RecordingDisplay&) = delete;

    int Presents() const { return device.presents; }

    class Host : public TDrawContextHost
    {
    public:
        void Sleep(uint32_t) override {}
        void ShowMessage(const char*, const char*) override {}
        void ExitProcess(int) override {}
        void PostQuit(int) override {}
    };
    GfxRecordingDevice device;
    Host host;
    TDrawContext* dc = nullptr;
};

}  // namespace uitest
