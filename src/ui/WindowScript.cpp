// The window script: construction, the window type registry, the
// current-window stack, making windows from tables, and the hand-over of
// messages and commands to the waiting script.
#include "ui/WindowScript.h"

#include <cctype>

#include "core/Log.h"
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "script/LuaTable.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Message.h"
#include "ui/MovieHost.h"
#include "ui/Slider.h"
#include "ui/Text.h"
#include "ui/TextEdit.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

extern const unsigned char kWindowLibraryText[];
extern const std::size_t kWindowLibraryText_size;

const char* GetWindowLibraryText()
{
    return reinterpret_cast<const char*>(kWindowLibraryText);
}

size_t GetWindowLibrarySize()
{
    return kWindowLibraryText_size;
}

namespace
{

// The name goes into Lua source as an identifier and a string.
bool IsTypeName(const TString& name)
{
    const char* s = name.CStr();
    if (*s == '\0' || std::isdigit(static_cast<unsigned char>(*s))) return false;
    for (; *s != '\0'; ++s)
    {
        const unsigned char c = static_cast<unsigned char>(*s);
        if (c >= 0x80 || !(std::isalnum(c) || c == '_')) return false;
    }
    return true;
}

}  // namespace

TWindowScript::TWindowScript()
{
    if (GetState() == nullptr) return;
    PublishBindings();
    RegisterWindowType("Bitmap", TImage::ClassId());
    RegisterWindowType("Button", TButton::ClassId());
    RegisterWindowType("Slider", TSlider::ClassId());
    RegisterWindowType("Text", TText::ClassId());
    RegisterWindowType("TextEdit", TTextEdit::ClassId());
    RegisterWindowType("Window", TWindow::ClassId());
    RegisterMessageMetatable(GetState());
    RunLibrary();
}

TWindowScript::~TWindowScript()
{
    StopMovie();
    if (GetState() != nullptr) lua_settop(GetState(), 0);
    types_.clear();
    windows_.clear();
}

void TWindowScript::RunLibrary()
{
    DoBuffer(GetWindowLibraryText(), GetWindowLibrarySize(), "gScreenInit");
}

// ---------------------------------------------------------------------------
// Types and windows

void TWindowScript::RegisterWindowType(const TString& typeName, TWindowClassId id)
{
    if (!IsTypeName(typeName))
    {
        LogPrintf("RegisterWindowType: refused type name \"%s\"", typeName.CStr());
        return;
    }
    if (GetClassFactory(id) == nullptr)
    {
        LogPrintf("RegisterWindowType: type \"%s\" has no factory", typeName.CStr());
        return;
    }
    const char* n = typeName.CStr();
    DoLuaString(TString::Format("function %s( table )\tCreating( '%s', table );\ttable.typename='%s';\n"
                                "\treturn function() DoWindow( table ) end end;",
                                n, n, n));
    types_[n] = id;
}

bool TWindowScript::IsRegisteredType(const TString& typeName) const
{
    return types_.count(typeName.CStr()) != 0;
}

TWindow* TWindowScript::GetCurrentWindow() const
{
    return windows_.empty() ? nullptr : windows_.back();
}

void TWindowScript::SetTopModal(TWindow* window)
{
    windows_.clear();
    windows_.push_back(window);
}

void TWindowScript::PushWindow(TWindow* window)
{
    windows_.push_back(window);
}

void TWindowScript::PopWindow()
{
    if (windows_.size() > 1) windows_.pop_back();
}

void TWindowScript::ForgetWindow(TWindow* window)
{
    // Left in place as null so pushes and pops still pair up.
    for (TWindow*& w : windows_)
        if (w == window) w = nullptr;
}

void TWindowScript::GenericCreate(TLuaTable* table)
{
    if (table == nullptr) return;
    const TString typeName = table->GetString("typename");
    auto it = types_.find(typeName.CStr());
    if (it == types_.end()) return;
    TWindowFactory factory = GetClassFactory(it->second);
    if (factory == nullptr) return;
    AttachNewWindow(factory(), table);
}

bool TWindowScript::AttachNewWindow(TWindow* window, TLuaTable* table)
{
    if (window == nullptr) return false;
    TWindow* parent = GetCurrentWindow();
    if (parent == nullptr || !parent->AddChild(window, true))
    {
        delete window;
        return false;
    }
    TWindowStyle style(GetState(), table);
    window->Init(style);
    windows_.push_back(window);
    SetGlobalNumber("gDialogWidth", window->GetWidth());
    SetGlobalNumber("gDialogHeight", window->GetHeight());
    if (creationHook_) creationHook_(window, style);
    return true;
}

bool TWindowScript::RunText(const TString& text)
{
    return DoLuaString(text) == 0;
}

bool TWindowScript::SetTranslateLabels(bool translate)
{
    const bool previous = translateLabels_;
    translateLabels_ = translate;
    return previous;
}

// ---------------------------------------------------------------------------
// Messages and the wait

inline void TWindowScript::PushMessage(std::unique_ptr<TMessage>& message)
{
    lua_State* L = GetState();
    if (message->IsKindOf(TLuaMessageWrapper::ClassId()))
    {
        // The value keeps the script's message alive; the wrapper is done.
        static_cast<TLuaMessageWrapper*>(message.get())->GetLuaValue().PushOn(L);
        message.reset();
        return;
    }
    PushMessageValue(L, std::move(message));
}

bool TWindowScript::PostToScript(std::unique_ptr<TMessage> message,
                                 std::unique_ptr<TLuaFunction> command)
{
    lua_State* L = GetState();
    if (L == nullptr) return false;
    if (!IsYielded())
    {
        if (message != nullptr)
        {
            PushMessage(message);
            lua_pushstring(L, "gMessageToQueue");
            lua_insert(L, -2);
            lua_settable(L, LUA_GLOBALSINDEX);
            DoLuaString("table.insert(gMessageQueue,gMessageToQueue); gMessageToQueue=nil;");
        }
        if (command)
        {
            lua_pushstring(L, "gMessageCommand");
            command->PushOn(L);
            lua_settable(L, LUA_GLOBALSINDEX);
            DoLuaString("table.insert(gCommandQueue,gMessageCommand); gMessageCommand=nil;");
        }
        return true;
    }
    if (waitState_ == kScriptWaiting)
    {
        if (message == nullptr) message = std::make_unique<TMessage>(kCommandOnly);
        PushMessage(message);
        int nargs = 1;
        if (command)
        {
            command->PushOn(L);
            ++nargs;
        }
        command.reset();
        // Cleared before the resume: a script that waits again sets it anew.
        waitState_ = kScriptResumed;
        Resume(nargs);
        return true;
    }
    // Suspended elsewhere: nobody can take the message.
    message.reset();
    if (command)
    {
        // On a scratch coroutine: the suspended one stays as it is.
        command->PushOn(L);
        RunFunction(0, 0);
    }
    return false;
}

bool TWindowScript::PassClosure()
{
    lua_State* L = GetState();
    if (waitState_ != kScriptWaiting || !IsYielded())
    {
        lua_pop(L, 1);
        return false;
    }
    lua_pushnil(L);
    lua_insert(L, -2);
    waitState_ = kScriptResumed;
    return Resume(2) == 0;
}

bool TWindowScript::DoTask()
{
    if (IsYielded()) waitState_ = kScriptResumed;
    return TScript::DoTask();
}

void TWindowScript::WakeOnClose()
{
    if (!IsYielded()) return;
    waitState_ = kScriptResumed;
    Resume(0);
}

int TWindowScript::WaitBinding(lua_State* L)
{
    auto* self = static_cast<TWindowScript*>(lua_touserdata(L, lua_upvalueindex(1)));
    if (L != self->GetState())
    {
        // A wait loop there would spin forever on the nothing it gets back:
        // end the caller's run instead.
        lua_pushstring(L, "HandleGetMessage: only the window script's own coroutine can wait");
        return lua_error(L);
    }
    const int n = lua_gettop(L);
    if (n >= 1)
        self->SetTimer(LuaArgInteger<int32_t>(L, 1), true, true, false);
    else
        self->StopTimer();
    self->waitState_ = kScriptWaiting;
    lua_getstaticglobal(L, "gYieldResult");
    return lua_yield(L, 1);
}

// ---------------------------------------------------------------------------
// Attachment and the movie

TTask* TWindowScript::AttachToManager()
{
    if (GetState() != nullptr)
        LuaBindMember(GetState(), "SetTopModalOnly", this, &TWindowScript::SetTopModalOnly);
    return this;
}

void TWindowScript::SetTopModalOnly(bool on)
{
    if (TWindowManager* wm = GetWindowManager()) wm->SetTopModalOnly(on);
}

bool TWindowScript::StartMovie(TString movieName, bool translate, bool allowInput)
{
    if (movieName.IsEmpty()) return false;
    StopMovie();
    movie_ = MakeMovieHost(movieName);
    if (!movie_) return false;
    if (!movie_->Play(0, translate, allowInput))
    {
        movie_.reset();
        return false;
    }
    if (TWindowManager* wm = GetWindowManager())
    {
        wm->SetMoviePlaying(true);
        wm->SetMovieInput(allowInput);
    }
    return true;
}

bool TWindowScript::IsMoviePlaying()
{
    return movie_ && movie_->IsPlaying();
}

void TWindowScript::StopMovie()
{
    if (!movie_) return;
    movie_->Stop();
    movie_.reset();
    if (TWindowManager* wm = GetWindowManager())
    {
        wm->SetMoviePlaying(false);
        wm->SetMovieInput(false);
    }
}

void TWindowScript::StopMovieIfPlaying()
{
    StopMovie();
}
