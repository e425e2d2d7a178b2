// A temporary asset folder for image tests: files written under
// "assets/" are found by their plain logical names right away.
#pragma once

#include <algorithm>
#include <string>

#include "core/AssetIndex.h"
#include "core/FileTestSupport.h"
#include "graphics/support/ImageFixtures.h"

class ImageAssets
{
public:
    // Writes assets/<name> and rescans, so name resolves.
    void Put(const std::string& name, const std::string& bytes)
    {
        tree_.Write("assets/" + name, bytes);
        Rescan();
    }
    void Remove(const std::string& name)
    {
        std::error_code ec;
        std::filesystem::remove(tree_ / ("assets/" + name), ec);
        Rescan();
    }
    void Rescan()
    {
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
    }
    std::string Log() const { return tree_.Log(); }
    // Log text written since the last call.
    std::string NewLog()
    {
        const std::string all = Log();
        std::string fresh = all.substr(std::min(seen_, all.size()));
        seen_ = all.size();
        return fresh;
    }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
    const filetest::TempTree& Tree() const { return tree_; }

private:
    filetest::TempTree tree_;
    size_t seen_ = 0;
};
