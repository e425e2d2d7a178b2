// Time to build the asset index over a tree of 10,000 files and to resolve
// 100,000 names, each beside a plain standard-library baseline of the same
// work measured in the same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/AssetIndex.h"
#include "core/FileNames.h"

namespace fs = std::filesystem;

namespace
{
constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kLookups = 100000;

// assets/Group<g>/Sub<g%10>/File<f>.PNG: mixed case, two levels deep.
class Tree
{
public:
    Tree()
    {
        char pattern[] = "/tmp/orvelle-bench-XXXXXX";
        root_ = mkdtemp(pattern);
        for (int g = 0; g < kFolders; ++g)
        {
            fs::path folder =
                root_ / "assets" / ("Group" + std::to_string(g)) / ("Sub" + std::to_string(g % 10));
            fs::create_directories(folder);
            for (int f = 0; f < kFilesPerFolder; ++f)
            {
                std::string rel = "Group" + std::to_string(g) + "/Sub" + std::to_string(g % 10) +
                                  "/File" + std::to_string(f) + ".PNG";
                std::ofstream(root_ / "assets" / rel) << "x";
                names_.push_back(rel);
            }
        }
        fs::current_path(root_);
        // A fixed pseudo-random order of lookups; one in ten misses.
        unsigned seed = 12345;
        for (int i = 0; i < kLookups; ++i)
        {
            seed = seed * 1103515245u + 12345u;
            std::string name = names_[(seed >> 8) % names_.size()];
            if (i % 10 == 9) name += ".missing";
            lookups_.push_back(name);
        }
    }
    ~Tree()
    {
        std::error_code ec;
        fs::current_path("/", ec);
        fs::remove_all(root_, ec);
    }
    const std::vector<std::string>& Lookups() const { return lookups_; }

private:
    fs::path root_;
    std::vector<std::string> names_;
    std::vector<std::string> lookups_;
};

Tree& SharedTree()
{
    static Tree tree;
    return tree;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return text;
}

void BM_BuildIndex(benchmark::State& state)
{
    SharedTree();
    for (auto _ : state)
    {
        ClearAssetIndex();
        ScanAssetFolder("assets", "");
        benchmark::DoNotOptimize(GetFileNameIndex().size());
    }
    state.counters["files"] = static_cast<double>(GetFileNameIndex().size());
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

// The same walk with std::filesystem into a hash map of lower-cased keys.
void BM_BuildBaseline(benchmark::State& state)
{
    SharedTree();
    std::unordered_map<std::string, std::string> index;
    for (auto _ : state)
    {
        index.clear();
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator("assets"))
        {
            if (entry.is_regular_file())
            {
                std::string path = entry.path().string();
                index[Lower(path.substr(7))] = path;
            }
        }
        benchmark::DoNotOptimize(index.size());
    }
    state.counters["files"] = static_cast<double>(index.size());
}
BENCHMARK(BM_BuildBaseline)->Unit(benchmark::kMillisecond);

void BM_Resolve(benchmark::State& state)
{
    const Tree& tree = SharedTree();
    ClearAssetIndex();
    ScanAssetFolder("assets", "");
    std::vector<TString> names;
    for (const std::string& name : tree.Lookups()) names.emplace_back(name.c_str());
    for (auto _ : state)
    {
        int found = 0;
        for (const TString& name : names) found += ResolveFileName(name, true).IsEmpty() ? 0 : 1;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_Resolve)->Unit(benchmark::kMillisecond);

void BM_ResolveBaseline(benchmark::State& state)
{
    const Tree& tree = SharedTree();
    std::unordered_map<std::string, std::string> index;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator("assets"))
        if (entry.is_regular_file())
            index[Lower(entry.path().string().substr(7))] = entry.path().string();
    for (auto _ : state)
    {
        int found = 0;
        for (const std::string& name : tree.Lookups())
            found += index.count(Lower(name)) != 0 ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ResolveBaseline)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
