// The registry of sound data source builders by extension.
#include "sound/SoundDataSource.h"

#include <map>

#include "core/FileNames.h"

namespace
{
std::map<TString, TSoundDataSourceBuilder*>& Builders()
{
    static std::map<TString, TSoundDataSourceBuilder*> builders;
    return builders;
}
}  // namespace

void RegisterDataSourceBuilder(const TString& extension, TSoundDataSourceBuilder* builder)
{
    if (builder == nullptr)
        Builders().erase(extension);
    else
        Builders()[extension] = builder;
}

std::shared_ptr<TSoundDataSource> CreateDataSource(const TString& name, bool stream)
{
    auto& builders = Builders();
    const int dot = name.FindChar('.', kFindBackwards);
    if (dot >= 0)
    {
        auto found = builders.find(name.Substring(dot + 1));
        if (found != builders.end()) return found->second->Create(name, stream);
    }
    for (auto& [extension, builder] : builders)
    {
        if (FileExists(name + "." + extension)) return builder->Create(name, stream);
    }
    return nullptr;
}
