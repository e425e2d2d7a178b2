// protobuild.cpp - the bridge between the compiler and the engine: the
// loader's entry ParseChunk, engine prototypes built from compiled trees, and
// the reserved words interned when a state is made.
#include <cstring>
#include <new>

#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/lua.h"
#include "script/lang/memory.h"
#include "script/lang/object.h"
#include "script/lang/parser.h"
#include "script/lang/stream.h"
#include "script/lang/strings.h"

void LexInitReserved(lua_State* L)
{
    for (int i = 0; i < NUM_RESERVED; i++)
    {
        LString* ts = StrNewZ(L, luaX_tokens[i]);
        StrFix(ts);
        ts->reserved = static_cast<lu_byte>(i + 1);
    }
}

namespace
{

int StreamNext(void* ud)
{
    return StreamGetc(static_cast<Stream*>(ud));
}

}  // namespace

Proto* MakeProto(lua_State* L, const CompiledProto& c, LString* parentSource)
{
    Proto* f = ProtoNew(L);
    // Keep the prototype reachable from the stack while its parts are made.
    L->top->SetObj(f);
    DoIncrTop(L);
    LString* source = StrNew(L, c.source.data(), c.source.size());
    f->source = (parentSource && parentSource == source) ? parentSource : source;
    f->lineDefined = c.lineDefined;
    f->numparams = static_cast<lu_byte>(c.numparams);
    f->is_vararg = c.is_vararg ? 1 : 0;
    f->maxstacksize = static_cast<lu_byte>(c.maxstacksize);
    f->nups = static_cast<lu_byte>(c.upvalues.size());

    size_t ncode = c.code.size();
    f->code = MemNewVector<Instruction>(L, ncode);
    f->sizecode = static_cast<int>(ncode);
    std::memcpy(f->code, c.code.data(), ncode * sizeof(Instruction));
    f->lineinfo = MemNewVector<int>(L, c.lineinfo.size());
    f->sizelineinfo = static_cast<int>(c.lineinfo.size());
    std::memcpy(f->lineinfo, c.lineinfo.data(), c.lineinfo.size() * sizeof(int));

    size_t nk = c.k.size();
    f->k = MemNewVector<TValue>(L, nk);
    for (size_t i = 0; i < nk; i++) f->k[i].SetNil();
    f->sizek = static_cast<int>(nk);
    for (size_t i = 0; i < nk; i++)
    {
        const KConstant& k = c.k[i];
        switch (k.type)
        {
            case LUA_TNUMBER:
                f->k[i].SetNum(k.n);
                break;
            case LUA_TSTRING:
                f->k[i].SetStr(StrNew(L, k.s.data(), k.s.size()));
                break;
            case LUA_TWSTRING:
                f->k[i].SetStr(
                    StrNewWide(L, reinterpret_cast<const lua_WChar*>(k.w.data()), k.w.size()));
                break;
            default:
                break;  // nil
        }
    }

    size_t nloc = c.locvars.size();
    f->locvars = MemNewVector<LocVar>(L, nloc);
    for (size_t i = 0; i < nloc; i++)
        f->locvars[i] = LocVar{nullptr, c.locvars[i].startpc, c.locvars[i].endpc};
    f->sizelocvars = static_cast<int>(nloc);
    for (size_t i = 0; i < nloc; i++)
        f->locvars[i].varname = StrNew(L, c.locvars[i].name.data(), c.locvars[i].name.size());

    size_t nup = c.upvalues.size();
    f->upvalues = MemNewVector<LString*>(L, nup);
    for (size_t i = 0; i < nup; i++) f->upvalues[i] = nullptr;
    f->sizeupvalues = static_cast<int>(nup);
    for (size_t i = 0; i < nup; i++)
        f->upvalues[i] = StrNew(L, c.upvalues[i].data(), c.upvalues[i].size());

    size_t np = c.p.size();
    f->p = MemNewVector<Proto*>(L, np);
    for (size_t i = 0; i < np; i++) f->p[i] = nullptr;
    f->sizep = static_cast<int>(np);
    for (size_t i = 0; i < np; i++) f->p[i] = MakeProto(L, *c.p[i], f->source);

    L->top--;
    return f;
}

Proto* ParseChunk(lua_State* L, Stream* z, TextBuffer* buff)
{
    (void)buff;  // the lexer keeps its own token text
    std::unique_ptr<CompiledProto> compiled;
    const char* name = z->name ? z->name : "?";
    int status = 0;
    std::string message;
    try
    {
        compiled = CompileSource(LexInput{StreamNext, z}, z->wide != 0, name);
    }
    catch (CompileError& e)
    {
        status = e.status;
        message = std::move(e.message);
    }
    catch (std::bad_alloc&)
    {
        status = LUA_ERRMEM;
    }
    // Raise outside the handlers: the engine's error unwinding is itself an
    // exception and must not start from inside a catch block of ours.
    if (status == LUA_ERRMEM) DoThrow(L, LUA_ERRMEM);
    if (status != 0)
    {
        PushFString(L, "%s", message.c_str());
        DoThrow(L, status);
    }
    return MakeProto(L, *compiled, nullptr);
}
