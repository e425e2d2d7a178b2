// TScript: a script environment (a script state, or a coroutine of another
// script's state) that runs script files, texts and functions, and resumes a
// suspended script coroutine once per task-list pass.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/AnimTask.h"
#include "core/String.h"
#include "core/ValueTypes.h"
#include "script/LuaObject.h"
#include "script/lang/lua.h"

class TLuaTable;
class TLuaThread;

// The program-wide search path of `require` ("LUA_PATH"); initially
// "assets/?;?;../?;../../?".
const TString& GetScriptSearchPath();
void SetScriptSearchPath(const TString& path);

// The precompiled chunk of a text that every new state runs, for compiling
// it once per process; empty when it does not compile.
std::string CompileScriptChunk(const char* text, size_t size, const char* chunkName);

// A text that many states run, compiled and checked once: each state builds
// its functions from it (see lua_loadshared) instead of reading the compiled
// bytes again, and they share the code. States that ran it may outlive this
// object. Empty when the text does not compile (or no memory).
class TSharedChunk
{
public:
    TSharedChunk(const char* text, size_t size, const char* chunkName);
    ~TSharedChunk();
    TSharedChunk(const TSharedChunk&) = delete;
    TSharedChunk& operator=(const TSharedChunk&) = delete;

    bool IsEmpty() const { return chunk_ == nullptr; }
    const SharedChunk* Get() const { return chunk_; }

private:
    const SharedChunk* chunk_ = nullptr;
};

// Main thread only. Script errors never escape: they reach the global
// "_ALERT" (and from there the debug log) and come back as a status.
class TScript : public TAnimTask
{
public:
    // Null opens a new state with "_SCRIPT" set to this script; a thread runs
    // on that thread (of a state another script owns). Then InitLibraries. The
    // timer is stopped. When no state can be opened, the script is inert:
    // every run fails (GetState() is null).
    // openLibraries false skips InitLibraries: a coroutine of a state whose
    // libraries are open shares them already.
    explicit TScript(lua_State* thread = nullptr, bool openLibraries = true);
    // Deletes the pending temporaries; a child lets go of its thread; a main
    // script closes its state. Children must go before their main script.
    ~TScript() override;
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;

    // Base, table and string libraries; "_ALERT", "DebugOut", "toparams"; the
    // table dump functions.
    void InitLibraries();
    // A child script on a new coroutine of this script's state (owned by the
    // caller; it owns its thread).
    TScript* NewThread(bool openLibraries = true);

    // Calls the function below the top nargs values. Returns 0 or the error
    // status (the error value left is nil: the handler returns nothing;
    // LUA_ERRRUN with nothing touched when the stack holds no function there). While
    // the script is suspended and at most one result is wanted, the call is
    // first offered to PassClosure as a closure; when declined it runs on a
    // scratch coroutine, leaving the suspended one untouched. A function
    // returned as the one result of a call made while not suspended is started
    // as the script's coroutine and the timer is set to resume it every pass.
    int RunFunction(int nargs, int nresults);
    // Compiles and runs a text (length -1: up to its NUL). With nresults 0
    // nothing is left on the stack; otherwise the results are. Returns 0, or
    // the status of the failing stage; compile errors are logged and passed to
    // the global "LuaErrorMessage" when it is defined.
    int DoLuaString(const TString& text, int length = -1, int nresults = 0);
    // Runs a precompiled chunk or text of size bytes under chunkName with no
    // results; errors go to "_ALERT". Returns 0 or the error status.
    int DoBuffer(const char* bytes, size_t size, const char* chunkName);
    // Runs a (non-empty) shared chunk as DoBuffer runs its compiled bytes.
    int DoSharedChunk(const TSharedChunk& chunk);
    // DoSharedChunk, or DoBuffer of the chunk's text when the chunk is empty.
    int DoChunkOrText(const TSharedChunk& chunk, const char* text, size_t size,
                      const char* chunkName);
    // Compiles (through TScriptCode::Get) and runs a file. False for an empty
    // name, a missing file, or a compile or run error. The stack is restored.
    bool RunScript(const TString& fileName);
    // Deletes the temporaries and resumes the coroutine with the top nargs
    // values. Returns the resume status; an error is logged and popped.
    int Resume(int nargs);
    // True while the thread is suspended in a yield.
    bool IsYielded() const { return L_ != nullptr && lua_isyielded(L_) != 0; }
    // True while the thread is inside a resume or call (neither suspended
    // nor finished): deleting the script now would pull its stack away.
    bool IsRunning() const;
    // Offered a closure on the stack top while the script is suspended; takes
    // it (true) or pops it and declines (false, the default).
    virtual bool PassClosure();
    // Resumes the coroutine; stops the timer when that failed or the
    // coroutine is no longer suspended. Does nothing while the thread is
    // running (a task pass made from inside it). Always true (the task stays
    // listed).
    bool DoTask() override;

    // Stack helpers; each pops what it reads.
    double PopNumber();
    TString PopString();
    // Entries 1 to 4 of the table on the top, read raw; 0 for entries that are
    // no numbers, all 0 when the value is not a table.
    TFloatVector4 PopColor();
    bool PopBool();
    // Globals; each leaves the stack as it found it.
    void SetGlobalString(const char* name, const TString& value);
    void SetGlobalNumber(const char* name, double value);
    // A new reference when the global is a table, else null.
    std::unique_ptr<TLuaTable> GetGlobalTable(const char* name);
    // lua_tonumber of the global; 0 when nil.
    double GetGlobalNumber(const char* name);

    lua_State* GetState() const { return L_; }
    bool IsChild() const { return thread_ != nullptr; }

    // Takes ownership of object; it is deleted before the next RunFunction or
    // Resume, or with the script.
    void AddTemporary(TLuaObjectWrapper* object);
    void DeleteTemporaries();
    int GetTemporaryCount() const { return static_cast<int>(temporaries_.size()); }

    // The main script of L's state, or null. Scripts see it as the global
    // "_SCRIPT", but what they do to that global changes nothing here.
    static TScript* FromState(lua_State* L);

private:
    lua_State* L_ = nullptr;
    TLuaThread* thread_ = nullptr;
    bool ownsState_ = false;
    std::vector<std::unique_ptr<TLuaObjectWrapper>> temporaries_;
};
