// orvelle-script: a developer tool that runs a source or precompiled script
// in a fresh state with the standard libraries, or writes its compiled chunk.
//
//   orvelle-script FILE [ARGS...]   run FILE; the global `arg' holds FILE at 0
//                                   and ARGS from 1 (with n, their count)
//   orvelle-script -o OUT FILE      write the compiled chunk of FILE to OUT
//
// Exit status: 0 on success; 1 when the script cannot be loaded or raises an
// uncaught error (the message goes to standard error); 2 on bad usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "script/lang/lua.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

const char* kProgram = "orvelle-script";

struct FileSource
{
    std::FILE* f;
    char buff[4096];
};

const char* ReadPiece(lua_State*, void* ud, size_t* size)
{
    FileSource* src = static_cast<FileSource*>(ud);
    size_t n = std::fread(src->buff, 1, sizeof src->buff, src->f);
    if (n == 0) return nullptr;
    *size = n;
    return src->buff;
}

// Loads a script file from the host's file system (not through the
// framework's logical names), so messages name it as the user typed it.
int LoadPath(lua_State* L, const char* path)
{
    FileSource src;
    src.f = std::fopen(path, "rb");
    if (src.f == nullptr)
    {
        lua_pushfstring(L, "cannot read %s: %s", path, std::strerror(errno));
        return LUA_ERRFILE;
    }
    std::string chunkname = std::string("@") + path;
    int status = lua_load(L, ReadPiece, &src, chunkname.c_str());
    bool failed = std::ferror(src.f) != 0;
    std::fclose(src.f);
    if (status == 0 && failed)
    {
        lua_pop(L, 1);
        lua_pushfstring(L, "cannot read %s", path);
        return LUA_ERRFILE;
    }
    return status;
}

const char* Message(lua_State* L)
{
    const char* msg = lua_tostring(L, -1);
    return msg != nullptr ? msg : "(error object is not a string)";
}

int Report(lua_State* L)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", kProgram, Message(L));
    return 1;
}

int AppendChunk(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;  // any other value stops the dump
}

// Writes beside the target and renames, so OUT is never left half written.
bool WriteAtomically(const char* path, const std::string& data)
{
    std::string tmp = std::string(path) + ".tmp" + std::to_string(getpid());
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (ok) ok = std::rename(tmp.c_str(), path) == 0;
    if (!ok) std::remove(tmp.c_str());
    return ok;
}

int Compile(lua_State* L, const char* out, const char* file)
{
    if (LoadPath(L, file) != 0) return Report(L);
    std::string chunk;
    if (!lua_dump(L, AppendChunk, &chunk))
    {
        std::fprintf(stderr, "%s: cannot dump %s\n", kProgram, file);
        return 1;
    }
    if (!WriteAtomically(out, chunk))
    {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, out, std::strerror(errno));
        return 1;
    }
    return 0;
}

int Run(lua_State* L, int argc, char** argv)
{
    const char* file = argv[1];
    luaopen_stdlibs(L);
    if (LoadPath(L, file) != 0) return Report(L);
    // The global table `arg': the script at 0, its arguments from 1, and n.
    lua_pushliteral(L, "arg");
    lua_newtable(L);
    for (int i = 1; i < argc; i++)
    {
        lua_pushstring(L, argv[i]);
        lua_rawseti(L, -2, i - 1);
    }
    lua_pushliteral(L, "n");
    lua_pushnumber(L, static_cast<lua_Number>(argc - 2));
    lua_rawset(L, -3);
    lua_rawset(L, LUA_GLOBALSINDEX);
    if (lua_pcall(L, 0, 0, 0) != 0) return Report(L);
    return 0;
}

void Usage()
{
    std::fprintf(stderr, "usage: %s FILE [ARGS...]\n       %s -o OUT FILE\n", kProgram, kProgram);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "-o") == 0 && argc != 4))
    {
        Usage();
        return 2;
    }
    lua_State* L = lua_open();
    if (L == nullptr)
    {
        std::fprintf(stderr, "%s: cannot create a script state\n", kProgram);
        return 1;
    }
    int rc = std::strcmp(argv[1], "-o") == 0 ? Compile(L, argv[2], argv[3]) : Run(L, argc, argv);
    lua_close(L);
    std::fflush(stdout);
    return rc;
}
