// TScriptCode: compiling script files in a scratch state and caching the
// precompiled chunk as an asset.
#include "script/ScriptCode.h"

#include <string>
#include <vector>

#include "core/AssetManager.h"
#include "core/AssetMap.h"
#include "core/Log.h"
#include "script/Binding.h"
#include "script/Script.h"
#include "script/lang/lua.h"
#include "script/lib/auxlib.h"

namespace
{

int CollectDump(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

}  // namespace

TScriptCode::TScriptCode(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

TScriptCode::~TScriptCode() = default;

TClassId TScriptCode::ClassId()
{
    static const char id = 0;
    return &id;
}

std::shared_ptr<TScriptCode> TScriptCode::Get(const TString& name, const TString& path,
                                              TString* error)
{
    if (name.IsEmpty()) return nullptr;
    TAssetManager* manager = GetGlobalAssetManager();
    if (manager != nullptr)
    {
        std::shared_ptr<TAsset> found = manager->Find(name);
        if (std::shared_ptr<TScriptCode> code = AssetCast<TScriptCode>(found.get())) return code;
    }

    lua_State* scratch = lua_open();
    if (scratch == nullptr)
    {
        LogPrintf("TScriptCode: no memory to compile %s", name.CStr());
        if (error != nullptr) *error = "not enough memory";
        return nullptr;
    }
    // The compiler itself never reads it; kept so that the scratch state looks
    // like the one the code will run in.
    lua_pushstring(scratch, "LUA_PATH");
    lua_pushstring(scratch, (path.IsEmpty() ? TString("assets/?;../?;?") : path).CStr());
    lua_settable(scratch, LUA_GLOBALSINDEX);

    std::shared_ptr<TScriptCode> code;
    if (luaL_loadfile(scratch, name.CStr()) != 0)
    {
        if (error != nullptr) *error = LuaErrorText(scratch, -1);
    }
    else
    {
        std::string dumped;
        if (lua_dump(scratch, CollectDump, &dumped) != 0)
        {
            code = std::make_shared<TScriptCode>(std::vector<char>(dumped.begin(), dumped.end()));
        }
        else if (error != nullptr)
        {
            *error = TString::Format("cannot store the compiled %s", name.CStr());
        }
    }
    lua_close(scratch);
    if (manager != nullptr) manager->Register(name, code);
    return code;
}

void RegisterScriptCodeLoader()
{
    TAssetLoader loader;
    loader.classId = TScriptCode::ClassId();
    loader.load = [](const TString& fileName) -> std::shared_ptr<TAsset>
    { return TScriptCode::Get(fileName, GetScriptSearchPath(), nullptr); };
    RegisterAssetLoader(TAssetKind::kScript, loader);
}
