// TScript: the script host's state, runs, coroutine and stack helpers.
#include "script/Script.h"

#include <cstring>
#include <string>

#include "core/Clock.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "script/Binding.h"
#include "script/LuaFunction.h"
#include "script/LuaPush.h"
#include "script/LuaStackGuard.h"
#include "script/LuaTable.h"
#include "script/LuaThread.h"
#include "script/RunawayGuard.h"
#include "script/ScriptCode.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

// Its address keys the state's main script in the registry.
const char kMainScriptKey = 0;

TString& SearchPath()
{
    static TString path("assets/?;?;../?;../../?");
    return path;
}

const char kDumpTableText[] =
    "function _Internal_DumpEntry(key, value, indent)\n"
    "  local s = string.rep(\" \", indent) .. tostring(key) .. \" -> \"\n"
    "  if type(value) == \"table\" then\n"
    "    return s .. \"{\\n\" .. _Internal_DumpTable(value, indent + 2) .. string.rep(\" \", "
    "indent) .. \"}\\n\"\n"
    "  end\n"
    "  return s .. tostring(value) .. \"\\n\"\n"
    "end\n"
    "function _Internal_DumpTable(t, indent)\n"
    "  if indent > 10 then return string.rep(\" \", indent) .. \"...\\n\" end\n"
    "  local s = \"\"\n"
    "  table.foreach(t, function(k, v) s = s .. _Internal_DumpEntry(k, v, indent) end)\n"
    "  return s\n"
    "end\n"
    "function DumpTable(t)\n"
    "  DebugOut(\"Dump Table: \\n\" .. _Internal_DumpTable(t, 2))\n"
    "end\n";

const char kGetClosureText[] =
    "function GetClosure( f, ... ) return function() return f( arg[1], arg[2], arg[3], arg[4], "
    "arg[5], arg[6] ); "
    "end; end";

int AppendDumpPiece(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

}  // namespace

std::string CompileScriptChunk(const char* text, size_t size, const char* chunkName)
{
    std::string bytes;
    lua_State* S = lua_open();
    if (S == nullptr) return bytes;
    if (luaL_loadbuffer(S, text, size, chunkName) != 0 || lua_dump(S, AppendDumpPiece, &bytes) == 0)
        bytes.clear();
    lua_close(S);
    return bytes;
}

TSharedChunk::TSharedChunk(const char* text, size_t size, const char* chunkName)
{
    // Through the compiled bytes, so every state gets exactly what loading
    // them would give it, checked once here.
    std::string bytes = CompileScriptChunk(text, size, chunkName);
    if (bytes.empty()) return;
    lua_State* S = lua_open();
    if (S == nullptr) return;
    if (luaL_loadbuffer(S, bytes.data(), bytes.size(), chunkName) == 0) chunk_ = lua_newshared(S);
    lua_close(S);
}

TSharedChunk::~TSharedChunk()
{
    lua_freeshared(chunk_);
}

namespace
{

// The table-dump text, compiled once per process. Every TScript runs it (the
// level loaders make one per file), and building it from the shared chunk
// costs a fraction of compiling the text each time.
const TSharedChunk& DumpTableChunk()
{
    static const TSharedChunk chunk(kDumpTableText, sizeof kDumpTableText - 1, "DumpTable");
    return chunk;
}

void PushGlobal(lua_State* L, const char* name)
{
    lua_pushstring(L, name);
    lua_gettable(L, LUA_GLOBALSINDEX);
}

// Hands the error value on the top to "_ALERT" and pops it. The handler
// runs protected: a failing (or missing) one is logged instead.
void ReportToAlert(lua_State* L)
{
    PushGlobal(L, "_ALERT");
    lua_insert(L, -2);
    TRunawayGuard guard(L);
    if (lua_pcall(L, 1, 0, 0) != 0)
    {
        LogPrintf("_ALERT failed: %s", LuaErrorText(L, -1).CStr());
        lua_pop(L, 1);
    }
}

// Whether lua_resume would start or continue a coroutine on L rather than
// fail: it is suspended, or idle at its base with a function to start.
// (Resuming a thread in the middle of a call fails after cutting back that
// call's stack.)
bool CanResume(lua_State* L, int nargs)
{
    if (lua_isincall(L)) return lua_isyielded(L) != 0;
    return lua_gettop(L) > nargs && lua_type(L, -(nargs + 1)) == LUA_TFUNCTION;
}

}  // namespace

const TString& GetScriptSearchPath()
{
    return SearchPath();
}
void SetScriptSearchPath(const TString& path)
{
    SearchPath() = path;
}

TScript::TScript(lua_State* thread, bool openLibraries) : TAnimTask(nullptr)
{
    StopTimer();
    if (thread == nullptr)
    {
        L_ = lua_open();
        if (L_ == nullptr)
        {
            LogPrintf("TScript: cannot open a script state");
            return;
        }
        ownsState_ = true;
        // The host finds the script through the registry, which scripts
        // cannot reach; the global is theirs to read or overwrite.
        lua_pushlightuserdata(L_, const_cast<char*>(&kMainScriptKey));
        lua_pushlightuserdata(L_, this);
        lua_rawset(L_, LUA_REGISTRYINDEX);
        lua_pushstring(L_, "_SCRIPT");
        lua_pushlightuserdata(L_, this);
        lua_settable(L_, LUA_GLOBALSINDEX);
    }
    else
    {
        L_ = thread;
    }
    if (openLibraries) InitLibraries();
}

TScript::~TScript()
{
    DeleteTemporaries();
    // The main script's temporaries are not touched here: one of them may be
    // in use by the call that is destroying this child. The main script frees
    // them before its own next run.
    if (thread_ != nullptr)
    {
        delete thread_;
        thread_ = nullptr;
    }
    else if (ownsState_ && L_ != nullptr)
    {
        lua_close(L_);
    }
    L_ = nullptr;
}

void TScript::InitLibraries()
{
    if (L_ == nullptr) return;
    TLuaStackGuard guard(L_);
    luaopen_stdlibs(L_);
    PublishScriptHostFunctions(L_);
    DoChunkOrText(DumpTableChunk(), kDumpTableText, sizeof kDumpTableText - 1, "DumpTable");
}

TScript* TScript::NewThread(bool openLibraries)
{
    if (L_ == nullptr) return nullptr;
    auto* thread = new TLuaThread(L_);
    auto* child = new TScript(thread->GetState(), openLibraries);
    child->thread_ = thread;
    return child;
}

void TScript::AddTemporary(TLuaObjectWrapper* object)
{
    if (object != nullptr) temporaries_.emplace_back(object);
}

void TScript::DeleteTemporaries()
{
    if (temporaries_.empty()) return;
    // Swapped out first: a destructor may hand over further temporaries.
    std::vector<std::unique_ptr<TLuaObjectWrapper>> doomed;
    doomed.swap(temporaries_);
    doomed.clear();
}

TScript* TScript::FromState(lua_State* L)
{
    if (L == nullptr || !lua_checkstack(L, 2)) return nullptr;
    lua_pushlightuserdata(L, const_cast<char*>(&kMainScriptKey));
    lua_rawget(L, LUA_REGISTRYINDEX);
    void* p = lua_type(L, -1) == LUA_TLIGHTUSERDATA ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    return static_cast<TScript*>(p);
}

bool TScript::IsRunning() const
{
    return L_ != nullptr && lua_isincall(L_) && !lua_isyielded(L_);
}

bool TScript::PassClosure()
{
    lua_pop(L_, 1);
    return false;
}

int TScript::Resume(int nargs)
{
    // The script may run for long: timers it sets count from when it waits.
    ForgetPassTime();
    DeleteTemporaries();
    if (L_ == nullptr) return LUA_ERRRUN;
    if (!CanResume(L_, nargs))
    {
        LogPrintf("lua_resume ERROR: %s", !lua_isincall(L_)
                                              ? "cannot resume dead coroutine"
                                              : "cannot resume non-suspended coroutine");
        if (nargs > 0 && lua_gettop(L_) >= nargs) lua_pop(L_, nargs);
        return LUA_ERRRUN;
    }
    int status;
    {
        TRunawayGuard guard(L_);
        status = lua_resume(L_, nargs);
    }
    if (status != 0)
    {
        LogPrintf("lua_resume ERROR: %s", LuaErrorText(L_, -1).CStr());
        lua_pop(L_, 1);
    }
    return status;
}

bool TScript::DoTask()
{
    // A pass of the task list made from inside the running coroutine (a native
    // call that pumps events) cannot resume it; failing there would stop the
    // timer of a coroutine that is about to yield and wait for it.
    if (L_ != nullptr && lua_isincall(L_) && !IsYielded()) return true;
    int status = Resume(0);
    if (status != 0 || !IsYielded()) StopTimer();
    return true;
}

namespace
{

// Calls the function below the top nargs values with "_ALERT" as the error
// handler, on L itself, or, while L is suspended in a yield, on a scratch
// coroutine (a call on top of a suspended one would run inside its frame),
// with the results moved back. Returns the status; results (or the error
// value) replace the function and arguments.
int ProtectedCall(lua_State* L, int nargs, int nresults, bool suspended)
{
    if (!suspended)
    {
        int fn = lua_gettop(L) - nargs;
        PushGlobal(L, "_ALERT");
        lua_insert(L, fn);
        TRunawayGuard guard(L);
        int status = lua_pcall(L, nargs, nresults, fn);
        lua_remove(L, fn);
        return status;
    }
    lua_State* T = lua_newthread(L);
    int fn = lua_gettop(L) - 1 - nargs;
    lua_insert(L, fn);  // the thread stays anchored below the call
    if (!lua_checkstack(T, nargs + 4))
    {
        lua_settop(L, fn - 1);
        lua_pushnil(L);
        return LUA_ERRMEM;
    }
    lua_xmove(L, T, nargs + 1);
    PushGlobal(T, "_ALERT");
    lua_insert(T, 1);
    int status;
    {
        TRunawayGuard guard(T);
        status = lua_pcall(T, nargs, nresults, 1);
    }
    int n = lua_gettop(T) - 1;
    if (n > 0 && !lua_checkstack(L, n))
    {
        lua_settop(L, fn - 1);
        lua_pushnil(L);
        return LUA_ERRMEM;
    }
    lua_xmove(T, L, n);
    lua_remove(L, fn);
    return status;
}

}  // namespace

int TScript::RunFunction(int nargs, int nresults)
{
    ForgetPassTime();
    DeleteTemporaries();
    if (L_ == nullptr) return LUA_ERRRUN;
    lua_State* L = L_;
    if (nargs < 0 || lua_gettop(L) < nargs + 1)
    {
        LogPrintf("TScript::RunFunction: no function below %d arguments", nargs);
        return LUA_ERRRUN;
    }
    lua_checkstack(L, 8);
    bool suspended = IsYielded();
    if (suspended && nresults <= 1)
    {
        // The suspended coroutine cannot run the call itself: wrap it in a
        // closure over the first six arguments and offer that to PassClosure.
        int fn = lua_gettop(L) - nargs;
        PushGlobal(L, "GetClosure");
        if (lua_type(L, -1) == LUA_TNIL)
        {
            lua_pop(L, 1);
            if (luaL_loadbuffer(L, kGetClosureText, sizeof kGetClosureText - 1, kGetClosureText) ==
                0)
            {
                // A failed definition (a handler on the globals refusing it) leaves
                // its error value, which must not become one of the arguments.
                if (ProtectedCall(L, 0, 0, true) != 0) lua_pop(L, 1);
            }
            else
            {
                ReportToAlert(L);
            }
            PushGlobal(L, "GetClosure");
        }
        lua_insert(L, fn);
        int status = ProtectedCall(L, nargs + 1, 1, true);
        if (status != 0) return status;
        TLuaFunction closure(L);
        closure.Push();
        if (PassClosure()) return 0;
        closure.Push();
        status = ProtectedCall(L, 0, nresults, true);
        if (status != 0 && nresults > 1)
            LogPrintf(
                "TScript::RunFunction failure. Too many return results? (%d, FAILURE CODE %d)",
                nresults, status);
        return status;
    }

    int status = ProtectedCall(L, nargs, nresults, suspended);
    if (status != 0)
    {
        if (nresults > 1)
            LogPrintf(
                "TScript::RunFunction failure. Too many return results? (%d, FAILURE CODE %d)",
                nresults, status);
        return status;
    }
    if (!suspended && nresults == 1 && lua_type(L, -1) == LUA_TFUNCTION)
    {
        // The chunk handed back its body: start it as this script's coroutine.
        bool timerWasStopped = GetOverdue() == -1;
        if (timerWasStopped) SetTimer(0, true, true, false);
        int rs;
        if (!CanResume(L, 0))
        {
            LogPrintf("lua_resume error: %s", "cannot resume non-suspended coroutine");
            rs = LUA_ERRRUN;
        }
        else
        {
            {
                TRunawayGuard guard(L);
                rs = lua_resume(L, 0);
            }
            if (rs != 0)
            {
                LogPrintf("lua_resume error: %s", LuaErrorText(L, -1).CStr());
                lua_pop(L, 1);
            }
        }
        // A body that failed or already ended has nothing left to resume.
        if (timerWasStopped && (rs != 0 || !IsYielded())) StopTimer();
    }
    return 0;
}

namespace
{

// Runs the chunk a load left on the top, or hands its load error to "_ALERT".
int RunLoadedChunk(lua_State* L, int loadStatus, bool suspended)
{
    if (loadStatus != 0)
    {
        ReportToAlert(L);
        return loadStatus;
    }
    return ProtectedCall(L, 0, 0, suspended);
}

}  // namespace

int TScript::DoBuffer(const char* bytes, size_t size, const char* chunkName)
{
    if (L_ == nullptr) return LUA_ERRRUN;
    TLuaStackGuard guard(L_);
    return RunLoadedChunk(L_, luaL_loadbuffer(L_, bytes, size, chunkName), IsYielded());
}

int TScript::DoSharedChunk(const TSharedChunk& chunk)
{
    if (L_ == nullptr || chunk.IsEmpty()) return LUA_ERRRUN;
    TLuaStackGuard guard(L_);
    return RunLoadedChunk(L_, lua_loadshared(L_, chunk.Get()), IsYielded());
}

int TScript::DoChunkOrText(const TSharedChunk& chunk, const char* text, size_t size,
                           const char* chunkName)
{
    if (chunk.IsEmpty()) return DoBuffer(text, size, chunkName);
    return DoSharedChunk(chunk);
}

int TScript::DoLuaString(const TString& text, int length, int nresults)
{
    if (L_ == nullptr) return LUA_ERRRUN;
    lua_State* L = L_;
    int top = lua_gettop(L);
    // Set directly rather than by running "LUA_PATH='...'": a quote or a
    // backslash in the path cannot break or change it, and nothing is compiled.
    SetGlobalString("LUA_PATH", SearchPath());

    size_t size = std::strlen(text.CStr());
    if (length >= 0 && static_cast<size_t>(length) < size) size = static_cast<size_t>(length);
    const char* stage = "parsing";
    int status = luaL_loadbuffer(L, text.CStr(), size, text.CStr());
    if (status == 0)
    {
        stage = "running";
        status = RunFunction(0, nresults == 0 ? 1 : nresults);
        if (status == 0)
        {
            // Back to the height at entry rather than popping one value: a result
            // function started as the coroutine consumed that value, and when it
            // ran to its end it left its own results (perhaps none) instead.
            if (nresults == 0 && lua_gettop(L) > top) lua_settop(L, top);
            return 0;
        }
    }
    if (lua_type(L, -1) == LUA_TSTRING)
    {
        TString message = TString::Format("Lua Error: %s\n\twhen %s", lua_tostring(L, -1), stage);
        LogPrintf("DoLuaString %s %s", message.CStr(), text.CStr());
        PushGlobal(L, "LuaErrorMessage");
        if (lua_type(L, -1) != LUA_TNIL)
        {
            PushLuaString(L, message);
            if (lua_pcall(L, 1, 0, 0) != 0)
            {
                LogPrintf("LuaErrorMessage failed: %s", LuaErrorText(L, -1).CStr());
                lua_pop(L, 1);
            }
        }
        else
        {
            lua_pop(L, 1);
        }
    }
    if (lua_gettop(L) > top) lua_settop(L, top);
    return status;
}

bool TScript::RunScript(const TString& fileName)
{
    if (L_ == nullptr) return false;
    TLuaStackGuard guard(L_);
    if (fileName.IsEmpty() || !FileExists(fileName)) return false;
    TString error;
    std::shared_ptr<TScriptCode> code = TScriptCode::Get(fileName, SearchPath(), &error);
    int status = LUA_ERRFILE;
    if (code) status = luaL_loadbuffer(L_, code->GetBytes(), code->GetSize(), fileName.CStr());
    if (!code || status != 0)
    {
        if (!error.IsEmpty())
        {
            if (status != LUA_ERRFILE) lua_pop(L_, 1);
            PushLuaString(L_, error);
        }
        else if (status == LUA_ERRFILE)
        {
            lua_pushfstring(L_, "cannot load %s", fileName.CStr());
        }
        ReportToAlert(L_);
        return false;
    }
    status = RunFunction(0, 1);
    if (status != 0)
    {
        LogPrintf("Failed to run script %s: %d", fileName.CStr(), status);
        return false;
    }
    return true;
}

double TScript::PopNumber()
{
    if (L_ == nullptr || lua_gettop(L_) < 1) return 0;
    double v = lua_tonumber(L_, -1);
    lua_pop(L_, 1);
    return v;
}

TString TScript::PopString()
{
    if (L_ == nullptr || lua_gettop(L_) < 1) return TString();
    TString v = LuaArgString(L_, -1);
    lua_pop(L_, 1);
    return v;
}

TFloatVector4 TScript::PopColor()
{
    TFloatVector4 c;
    if (L_ == nullptr || lua_gettop(L_) < 1) return c;
    if (lua_type(L_, -1) == LUA_TTABLE && lua_checkstack(L_, 1))
    {
        int t = lua_gettop(L_);
        for (int i = 0; i < 4; ++i)
        {
            lua_rawgeti(L_, t, i + 1);
            c[i] = static_cast<float>(lua_tonumber(L_, -1));
            lua_pop(L_, 1);
        }
    }
    lua_pop(L_, 1);
    return c;
}

bool TScript::PopBool()
{
    if (L_ == nullptr || lua_gettop(L_) < 1) return false;
    bool v = false;
    int type = lua_type(L_, -1);
    switch (type)
    {
        case LUA_TNIL:
            break;
        case LUA_TBOOLEAN:
            v = lua_toboolean(L_, -1) != 0;
            break;
        case LUA_TNUMBER:
            v = lua_tonumber(L_, -1) != 0;
            break;
        case LUA_TSTRING:
            LogPrintf("PopBool used on lua string %s", lua_tostring(L_, -1));
            break;
        default:
            LogPrintf("PopBool used on a type that isn't a number, a boolean, or nil. (type: %d)",
                      type);
            break;
    }
    lua_pop(L_, 1);
    return v;
}

void TScript::SetGlobalString(const char* name, const TString& value)
{
    if (L_ == nullptr) return;
    TLuaStackGuard guard(L_);
    lua_pushstring(L_, name);
    PushLuaString(L_, value);
    lua_settable(L_, LUA_GLOBALSINDEX);
}

void TScript::SetGlobalNumber(const char* name, double value)
{
    if (L_ == nullptr) return;
    TLuaStackGuard guard(L_);
    lua_pushstring(L_, name);
    lua_pushnumber(L_, value);
    lua_settable(L_, LUA_GLOBALSINDEX);
}

std::unique_ptr<TLuaTable> TScript::GetGlobalTable(const char* name)
{
    if (L_ == nullptr) return nullptr;
    TLuaStackGuard guard(L_);
    PushGlobal(L_, name);
    if (lua_type(L_, -1) != LUA_TTABLE) return nullptr;
    return std::make_unique<TLuaTable>(L_);
}

double TScript::GetGlobalNumber(const char* name)
{
    if (L_ == nullptr) return 0;
    TLuaStackGuard guard(L_);
    PushGlobal(L_, name);
    return lua_tonumber(L_, -1);
}
