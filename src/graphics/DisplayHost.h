// What the display handler needs of the program around it: the host's
// activity and viewport scale, time, the asset manager's device-data passes,
// the window manager, message boxes and process exit, and the drawing
// context's block state. The platform host installs its own implementation;
// the default one stands alone (active, foreground, never embedded) so the
// handler works in tools and tests.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "core/Task.h"

class GfxTexture;
struct GfxRect;

class TDisplayHost
{
public:
    virtual ~TDisplayHost() = default;

    // --- host state ---
    virtual uint32_t GetTime();  // application milliseconds
    virtual void Sleep(uint32_t ms);
    virtual bool IsActive() { return true; }
    // True while an activation change waits; *newState is the state it brings.
    virtual bool GetPendingActivation(bool* newState)
    {
        (void)newState;
        return false;
    }
    virtual bool IsSuspended() { return false; }  // deactivated while in full screen
    virtual bool IsForeground() { return true; }
    virtual bool HasPqSwitch() { return false; }  // "-pq=" on the command line
    virtual bool IsEmbedded() { return false; }   // runs as a child of a portal page
    virtual bool HasExternalParent() { return false; }
    virtual bool IsExternalParentAlive() { return true; }
    virtual bool IsZylomMode() { return false; }
    virtual bool IsWindowsVistaOrLater() { return true; }
    virtual float GetViewportScale() { return scale_; }
    virtual void SetViewportScale(float s) { scale_ = s; }
    virtual float GetStoredViewportScale() { return storedScale_; }
    virtual void* GetMainWindow() { return nullptr; }  // the SDL_Window* the device presents into
    virtual void SetDisplayModeChanged() {}

    // --- neighbours ---
    virtual void ReleaseAllAssets();  // the asset manager's ReleaseAll
    virtual void RestoreAllAssets();  // the asset manager's RestoreAll
    virtual int GetAssetCount();
    // The application task list: one pass of it after every device restore.
    // The default host keeps a list of its own.
    virtual void AddAppTask(TTask* task) { appTasks_.Add(task); }
    virtual void RunIdleTasks() { appTasks_.RunTasks(TaskPhaseIdle); }
    virtual void InvalidateWindows() {}
    virtual bool HasWindowManager() { return false; }
    virtual bool HoldsPresentation() { return false; }
    // The root window's area in picture pixels; false without one.
    virtual bool GetRootWindowArea(GfxRect* area)
    {
        (void)area;
        return false;
    }
    virtual void ReapplyCursors() {}
    virtual void InstallDefaultCursor() {}
    virtual void ReportOutOfVideoMemory();  // default: the display handler's OutOfVideoMemory
    virtual void ShowMessage(const char* text, const char* caption);
    virtual void ExitProcess(int code);
    virtual void PostQuit(int code);

    // --- the drawing context ---
    virtual bool IsDrawing() { return false; }
    virtual bool Is2d() { return true; }
    virtual bool Is3d() { return false; }
    virtual void Begin2d() {}
    virtual void End2d() {}
    virtual void Begin3d() {}
    virtual void End3d() {}
    virtual GfxTexture* GetCurrentTexture() { return nullptr; }
    virtual void SetCurrentTexture(GfxTexture* texture) { (void)texture; }
    // The frame-capture texture, taken out of the context (null when none).
    virtual GfxTexture* TakeCaptureTexture() { return nullptr; }
    virtual void GiveBackCaptureTexture(GfxTexture* texture) { (void)texture; }

private:
    TTaskList appTasks_;
    float scale_ = 1.0f;
    float storedScale_ = 1.0f;
};
