// TWindowScript: the script host in which all window Lua code runs (screen
// and dialog scripts, button commands, the window library). It publishes the
// window operations to Lua, keeps the window type registry and the stack of
// current windows, turns Lua tables into windows, and connects the window
// manager's message delivery to the Lua message queues scripts wait on.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/Script.h"
#include "script/ScriptObject.h"
#include "ui/WindowScriptLink.h"

class TLuaTable;
class TMessage;
class TMovieHost;
class TWindow;
class TWindowStyle;

// Wait states.
enum : int32_t
{
    kScriptResumed = 0,      // the waiting script was resumed
    kScriptStarted = 1,      // never waited yet
    kScriptWaiting = 3,      // suspended in HandleGetMessage
};

// Main thread only. Lives with the window manager (which owns it and lists
// it on the application task list); every Lua reference into its state goes
// before it does.
class TWindowScript : public TScript, public TScriptObject, public TWindowScriptLink
{
public:
    // Told about every window GenericCreate makes.
    using TCreationHook = std::function<void(TWindow* window, TWindowStyle& style)>;

    // A state of its own with the bindings, the "Bitmap" and "Window" types,
    // the message metatable and the window library ("gScreenInit").
    TWindowScript();
    // Stops the movie, empties the stack and the registries, then the script.
    ~TWindowScript() override;

    // --- TWindowScriptLink ---
    // Not suspended: the message and command go to "gMessageQueue" and
    // "gCommandQueue". Waiting in HandleGetMessage: the script is resumed
    // with them (a command alone comes with a kCommandOnly message).
    // Otherwise the command runs at once, the message is deleted, false.
    bool PostToScript(std::unique_ptr<TMessage> message,
                      std::unique_ptr<TLuaFunction> command) override;
    void SetTopModal(TWindow* window) override;
    void PushWindow(TWindow* window) override;
    void PopWindow() override;
    void ForgetWindow(TWindow* window) override;
    // Resumes the script with no values when it is suspended in a yield.
    void WakeOnClose() override;
    bool RunText(const TString& text) override;
    void SetGlobalText(const char* name, const TString& value) override
    {
        SetGlobalString(name, value);
    }
    // Only names of letters, digits and "_" not starting with a digit, with
    // a factory: others are refused with a log line. Defines the type's Lua
    // constructor.
    void RegisterWindowType(const TString& typeName, TWindowClassId id) override;
    bool SetTranslateLabels(bool translate) override;
    bool GetTranslateLabels() const override { return translateLabels_; }
    // Publishes "SetTopModalOnly"; the script itself runs on the
    // application task list.
    TTask* AttachToManager() override;
    void StopMovieIfPlaying() override;

    // --- TScript ---
    // While the script waits in HandleGetMessage: resumes it with nil and
    // the closure on the stack top. Otherwise declines.
    bool PassClosure() override;
    // The timer's wake-up leaves the wait.
    bool DoTask() override;

    // --- Windows ---
    bool IsRegisteredType(const TString& typeName) const;
    // Adds window to the current window (the attach check may refuse: the
    // window is then deleted and false returned), initialises it from
    // table, makes it current and sets "gDialogWidth" and "gDialogHeight".
    bool AttachNewWindow(TWindow* window, TLuaTable* table);
    // Null when the stack is empty or its top was destroyed.
    TWindow* GetCurrentWindow() const;
    size_t GetWindowStackSize() const { return windows_.size(); }
    int32_t GetWaitState() const { return waitState_; }
    void SetCreationHook(TCreationHook hook) { creationHook_ = std::move(hook); }
    TMovieHost* GetMovieHost() const { return movie_.get(); }

    // --- Bindings (called by scripts) ---
    void PostCreate(TLuaTable* table);
    void SetBitmap(TString name, TString image, double scale);
    void SetWindowPosition(TString name, double x, double y);
    void SetWindowName(TString name);
    int FillRect(lua_State* L);
    double GetTimer();
    TString GetConfig(TString key, TString def);
    bool IsEnabled(TString key);
    bool EnableWindow(TString name, bool enable);
    void RealSetFocus(TString name);
    void StringToClipboard(TString text);
    void UpdateWindow();
    TString PushModal(TString name);
    void ClearModalChildren();
    int GetWindowDepth();
    void DoPopModal(TString text);
    void GenericCreate(TLuaTable* table);
    TMessage* CreateNamedMessage(int32_t kind, TString name);
    TMessage* CreateCloseMessage();
    int PostMessage(lua_State* L);
    int PostMessageToParent(lua_State* L);
    int GetString(lua_State* L);
    bool StartMovie(TString movieName, bool translate, bool allowInput);
    bool IsMoviePlaying();
    void StopMovie();
    bool ImageLoaded(TString name);
    void DestroyWindow(TString name);
    void DoFitToChildren();
    void SetState(TString key, TString value);
    void SetTopModalOnly(bool on);
    // Buttons.
    void DoSelectLayer(int32_t n);
    int SetCommand(lua_State* L);
    bool GetButtonToggleState(TString name);
    void SetButtonToggleState(TString name, bool on);
    TString GetLabel(TString name);
    void SetLabel(TString name, TString text);
    void RegisterHotkey(TString key, TString button);
    TString TagHotKey(TString key, TString label);
    // (label) -> the label without its first "&", the key ("@" and the
    // byte after the "&"; "" when that byte starts a longer character).
    int StripKeyFromLabel(lua_State* L);

private:
    void PublishBindings();
    void PublishButtonBindings();
    // The published "HandleGetMessage": runs once per message, so it skips the
    // member adapter. Upvalue: this script (light userdata).
    static int WaitBinding(lua_State* L);
    void RunLibrary();
    // The window of that name in the top modal's subtree (or the current
    // window's); null when none.
    TWindow* FindBelowTopModal(const TString& name) const;
    TWindow* FindBelowCurrent(const TString& name) const;
    // Pushes the message's Lua value: a script message's own value (its
    // wrapper is deleted), else a new value that owns the message. Either
    // way message is empty afterwards.
    void PushMessage(std::unique_ptr<TMessage>& message);
    int QueueScriptMessage(lua_State* L, bool toParent);

    std::vector<TWindow*> windows_;  // back = current
    std::map<std::string, TWindowClassId> types_;
    int32_t waitState_ = kScriptStarted;
    TCreationHook creationHook_;
    bool translateLabels_ = false;
    std::unique_ptr<TMovieHost> movie_;
};

// The window library's Lua source (built into the program).
const char* GetWindowLibraryText();
size_t GetWindowLibrarySize();
