// Shared chunks: prototypes taken out of one state, and the loader that
// rebuilds them in another around the same instructions.
#include "script/lang/sharedchunk.h"

#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/lang/do.h"
#include "script/lang/func.h"
#include "script/lang/gc.h"
#include "script/lang/memory.h"
#include "script/lang/state.h"
#include "script/lang/strings.h"

namespace
{

struct SharedString
{
    std::string bytes;  // the text (a wide string's units as they lie in memory)
    size_t len;         // bytes or units
    lu_byte tt;
    lu_hash hash;  // as any state computes it
};

constexpr int kNoString = -1;

struct SharedConst
{
    TValue value;  // nil or a number; strings are in str
    int str;
};

struct SharedLocVar
{
    int name;
    int startpc;
    int endpc;
};

struct SharedProto
{
    std::vector<Instruction> code;
    std::vector<int> lineinfo;
    std::vector<SharedConst> k;
    std::vector<SharedLocVar> locvars;
    std::vector<int> upvalues;  // string indices
    std::vector<int> p;         // prototype indices
    size_t vectorsAt = 0;       // where its vectors start in a built group
    int source;
    int lineDefined;
    lu_byte nups;
    lu_byte numparams;
    lu_byte is_vararg;
    lu_byte maxstacksize;
};

struct TNotShareable
{
};

// Copies a prototype tree out of its state. Strings are interned there, so
// one entry per distinct object covers every use of a text.
class TChunkBuilder
{
public:
    explicit TChunkBuilder(SharedChunk& chunk);
    int AddProto(const Proto* f);

private:
    int AddString(const LString* s);

    SharedChunk& chunk_;
    std::unordered_map<const LString*, int> strings_;
};

}  // namespace

struct SharedChunk
{
    // The owner's reference plus one per load whose block still lives.
    mutable std::atomic<long> refs{1};
    std::vector<SharedString> strings;
    std::vector<SharedProto> protos;  // protos[0] is the main function
    size_t groupBytes = 0;            // a load's block up to the strings it places
};

namespace
{

TChunkBuilder::TChunkBuilder(SharedChunk& chunk) : chunk_(chunk) {}

int TChunkBuilder::AddString(const LString* s)
{
    if (s == nullptr) return kNoString;
    auto found = strings_.find(s);
    if (found != strings_.end()) return found->second;
    SharedString entry;
    entry.len = s->len;
    entry.tt = s->tt;
    entry.hash = s->hash;
    entry.bytes.assign(s->Data(), s->IsWide() ? s->len * 2u : s->len);
    int index = static_cast<int>(chunk_.strings.size());
    chunk_.strings.push_back(std::move(entry));
    strings_.emplace(s, index);
    return index;
}

int TChunkBuilder::AddProto(const Proto* f)
{
    SharedProto sp;
    sp.code.assign(f->code, f->code + f->sizecode);
    sp.lineinfo.assign(f->lineinfo, f->lineinfo + f->sizelineinfo);
    for (int i = 0; i < f->sizek; i++)
    {
        SharedConst k{f->k[i], kNoString};
        if (k.value.IsAnyString())
        {
            k.str = AddString(k.value.Str());
            k.value.SetNil();
        }
        else if (k.value.IsCollectable())
        {
            throw TNotShareable();  // no object of one state may reach another
        }
        sp.k.push_back(k);
    }
    for (int i = 0; i < f->sizelocvars; i++)
    {
        const LocVar& v = f->locvars[i];
        sp.locvars.push_back(SharedLocVar{AddString(v.varname), v.startpc, v.endpc});
    }
    for (int i = 0; i < f->sizeupvalues; i++) sp.upvalues.push_back(AddString(f->upvalues[i]));
    sp.source = AddString(f->source);
    sp.lineDefined = f->lineDefined;
    sp.nups = f->nups;
    sp.numparams = f->numparams;
    sp.is_vararg = f->is_vararg;
    sp.maxstacksize = f->maxstacksize;
    int index = static_cast<int>(chunk_.protos.size());
    chunk_.protos.push_back(std::move(sp));
    std::vector<int> children;
    for (int i = 0; i < f->sizep; i++) children.push_back(AddProto(f->p[i]));
    chunk_.protos[static_cast<size_t>(index)].p = std::move(children);
    return index;
}

// ---------------------------------------------------------------------------
// Loading into a state

struct LoadJob
{
    const SharedChunk* chunk;
    LString** names;  // the chunk's strings interned in the loading state
};

LString* Name(const LoadJob& job, int index)
{
    return index == kNoString ? nullptr : job.names[index];
}

// The prototypes follow the group header, then their vectors, each proto's
// constants, nested-prototype slots, local-variable records and upvalue
// names in turn.
constexpr size_t kGroupHeader = (sizeof(SharedProtoGroup) + 15) & ~size_t{15};

void LayOutGroup(SharedChunk& chunk)
{
    size_t at = kGroupHeader + sizeof(Proto) * chunk.protos.size();
    for (SharedProto& sp : chunk.protos)
    {
        sp.vectorsAt = at;
        at += sizeof(TValue) * sp.k.size() + sizeof(Proto*) * sp.p.size() +
              sizeof(LocVar) * sp.locvars.size() + sizeof(LString*) * sp.upvalues.size();
    }
    chunk.groupBytes = at;
}

// Fills prototype `index' of the group. Nothing here allocates, so every
// prototype of a group is complete before any can be reached.
void FillProto(const LoadJob& job, char* block, Proto* protos, size_t index)
{
    const SharedProto& sp = job.chunk->protos[index];
    Proto* f = &protos[index];
    int sizek = static_cast<int>(sp.k.size());
    int sizep = static_cast<int>(sp.p.size());
    int sizeloc = static_cast<int>(sp.locvars.size());
    int sizeup = static_cast<int>(sp.upvalues.size());
    f->shared = reinterpret_cast<SharedProtoGroup*>(block);
    f->k = reinterpret_cast<TValue*>(block + sp.vectorsAt);
    f->p = reinterpret_cast<Proto**>(f->k + sizek);
    f->locvars = reinterpret_cast<LocVar*>(f->p + sizep);
    f->upvalues = reinterpret_cast<LString**>(f->locvars + sizeloc);
    // Read-only from here on: the interpreter and the debug interface only
    // read a built prototype's code and lines.
    f->code = const_cast<Instruction*>(sp.code.data());
    f->lineinfo = const_cast<int*>(sp.lineinfo.data());
    f->sizecode = static_cast<int>(sp.code.size());
    f->sizelineinfo = static_cast<int>(sp.lineinfo.size());
    f->sizek = sizek;
    f->sizep = sizep;
    f->sizelocvars = sizeloc;
    f->sizeupvalues = sizeup;
    f->source = Name(job, sp.source);
    f->lineDefined = sp.lineDefined;
    f->gclist = nullptr;
    f->nups = sp.nups;
    f->numparams = sp.numparams;
    f->is_vararg = sp.is_vararg;
    f->maxstacksize = sp.maxstacksize;
    for (int i = 0; i < sizek; i++)
    {
        const SharedConst& k = sp.k[static_cast<size_t>(i)];
        if (k.str == kNoString)
            f->k[i] = k.value;
        else
            f->k[i].SetStr(job.names[k.str]);
    }
    for (int i = 0; i < sizep; i++) f->p[i] = &protos[sp.p[static_cast<size_t>(i)]];
    for (int i = 0; i < sizeloc; i++)
    {
        const SharedLocVar& v = sp.locvars[static_cast<size_t>(i)];
        f->locvars[i] = LocVar{Name(job, v.name), v.startpc, v.endpc};
    }
    for (int i = 0; i < sizeup; i++)
        f->upvalues[i] = Name(job, sp.upvalues[static_cast<size_t>(i)]);
}

// Short chunks look their strings up through a buffer on the native stack.
constexpr size_t kLocalNames = 128;

// Interns the chunk's strings and builds its prototypes: the strings the
// state lacks and the prototypes go in one block. Nothing after the block's
// allocation can fail, so every object in it is complete before any can be
// reached.
void LoadBody(lua_State* L, void* ud)
{
    LoadJob& job = *static_cast<LoadJob*>(ud);
    const SharedChunk& chunk = *job.chunk;
    const std::vector<SharedString>& strings = chunk.strings;
    size_t n = strings.size();
    LString* local[kLocalNames];
    job.names = n <= kLocalNames ? local : MemNewVector<LString*>(L, n);
    try
    {
        size_t bytes = chunk.groupBytes;
        size_t missing = 0;
        for (size_t i = 0; i < n; i++)
        {
            const SharedString& s = strings[i];
            job.names[i] = StrFind(L, s.bytes.data(), s.len, s.tt, s.hash);
            if (job.names[i] != nullptr) continue;
            bytes += StrPlacedSize(s.len, s.tt);
            missing++;
        }
        StrReserve(L, missing);
        // Below MAX_BLOCK_SIZE (or raised here), so every offset fits a string's
        // 32-bit groupAt.
        char* block = static_cast<char*>(MemRealloc(L, nullptr, 0, bytes));
        size_t nprotos = chunk.protos.size();
        new (block) SharedProtoGroup{job.chunk, bytes, nprotos + missing};
        chunk.refs.fetch_add(1, std::memory_order_relaxed);
        size_t at = chunk.groupBytes;
        for (size_t i = 0; i < n; i++)
        {
            if (job.names[i] != nullptr) continue;
            const SharedString& s = strings[i];
            job.names[i] = StrPlace(L, block + at, static_cast<uint32_t>(at), s.bytes.data(), s.len,
                                    s.tt, s.hash);
            at += StrPlacedSize(s.len, s.tt);
        }
        Proto* protos = reinterpret_cast<Proto*>(block + kGroupHeader);
        for (size_t i = 0; i < nprotos; i++)
        {
            FillProto(job, block, protos, i);
            GCLink(L, &protos[i], LUA_TPROTO);
        }
        L->top->SetObj(&protos[0]);
        DoIncrTop(L);
        LClosure* cl = LClosureNew(L, &protos[0], 0, gt(L));
        (L->top - 1)->SetCl(cl);
    }
    catch (...)
    {
        if (job.names != local) MemFreeVector(L, job.names, n);
        throw;
    }
    if (job.names != local) MemFreeVector(L, job.names, n);
}

}  // namespace

void SharedGroupRelease(lua_State* L, void* block)
{
    SharedProtoGroup* group = static_cast<SharedProtoGroup*>(block);
    if (--group->live > 0) return;
    const SharedChunk* chunk = group->chunk;
    MemFree(L, group, group->bytes);
    SharedChunkRelease(chunk);
}

void SharedChunkRelease(const SharedChunk* chunk)
{
    if (chunk != nullptr && chunk->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete chunk;
}

SharedChunk* lua_newshared(lua_State* L)
{
    const TValue* o = L->top - 1;
    if (L->top <= L->base || !IsLFunction(o) || o->Cl()->nupvalues != 0) return nullptr;
    try
    {
        auto chunk = std::make_unique<SharedChunk>();
        TChunkBuilder(*chunk).AddProto(AsL(o->Cl())->p);
        LayOutGroup(*chunk);
        return chunk.release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    catch (const TNotShareable&)
    {
        return nullptr;
    }
}

int lua_loadshared(lua_State* L, const SharedChunk* chunk)
{
    LoadJob job{chunk, nullptr};
    GCCheck(L);
    return DoPCall(L, LoadBody, &job, SaveStack(L, L->top), L->errfunc);
}

void lua_freeshared(const SharedChunk* chunk)
{
    SharedChunkRelease(chunk);
}
