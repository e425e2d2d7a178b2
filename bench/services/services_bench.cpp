// The game-state board through a post-metrics handler and one pass-through
// handler against a bare std::map of the same keys, and the metrics line
// writer against writing the finished line with stdio, in the same run.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "services/GameState.h"
#include "services/MetricsHandler.h"

namespace
{

constexpr int kKeys = 50;

class PassThrough : public TGameStateHandler
{
public:
    bool OnSetState(const TString&, const TString&) override { return false; }
};

std::vector<TString> Keys()
{
    std::vector<TString> keys;
    for (int i = 0; i < kKeys; ++i) keys.push_back(TString::Format("level.stat.%02d", i));
    return keys;
}

// A scratch folder for the metrics files, removed at exit.
const std::string& Folder()
{
    static const std::string folder = []
    {
        char pattern[] = "/tmp/orvelle-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        std::string path = made ? made : "/tmp";
        std::atexit([] { std::filesystem::remove_all(Folder()); });
        return path;
    }();
    return folder;
}

// The board as the program builds it, with the metrics' folder set.
TGameState* Board()
{
    static TGameState* board = []
    {
        TGameState::SetFacadeTestForTest([] { return true; });
        TMetricsEnvironment env;
        env.systemFacts = [] { return TSystemFacts(); };
        TGameState::AddHandler(std::make_unique<TPostMetricsHandler>(env));
        TGameState::AddHandler(std::make_unique<PassThrough>());
        TGameState* b = TGameState::GetInstance();
        b->SetState("userdatadir", Folder().c_str());
        return b;
    }();
    return board;
}

void BM_BoardSetState(benchmark::State& state)
{
    TGameState* board = Board();
    const std::vector<TString> keys = Keys();
    const TString values[2] = {"1", "0"};
    int round = 0;
    for (auto _ : state)
    {
        const TString& value = values[round++ & 1];
        for (const TString& key : keys) board->SetState(key, value);
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

void BM_MapAssign(benchmark::State& state)
{
    std::map<TString, TString> map;
    const std::vector<TString> keys = Keys();
    const TString values[2] = {"1", "0"};
    int round = 0;
    for (auto _ : state)
    {
        const TString& value = values[round++ & 1];
        for (const TString& key : keys) map[key] = value;
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

void BM_BoardGetState(benchmark::State& state)
{
    TGameState* board = Board();
    const std::vector<TString> keys = Keys();
    for (const TString& key : keys) board->SetState(key, "7");
    for (auto _ : state)
    {
        for (const TString& key : keys)
        {
            TString value = board->GetState(key);
            benchmark::DoNotOptimize(value.CStr());
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

void BM_MapFind(benchmark::State& state)
{
    std::map<TString, TString> map;
    const std::vector<TString> keys = Keys();
    for (const TString& key : keys) map[key] = "7";
    for (auto _ : state)
    {
        for (const TString& key : keys)
        {
            auto it = map.find(key);
            TString value = it == map.end() ? TString() : it->second;
            benchmark::DoNotOptimize(value.CStr());
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}

TStatusBlock EightColumns()
{
    TStatusBlock block;
    block.name = "level_result";
    const char* columns[] = {"12", "3", "level one", "4500", "-20", "a,b", "99", "say \"hi\""};
    for (const char* column : columns) block.values.push_back(std::make_shared<TConstValue>(column));
    return block;
}

void BM_WriteBlock(benchmark::State& state)
{
    TMetricsEnvironment env;
    env.systemFacts = [] { return TSystemFacts(); };
    TFirstPeekHandler handler(env);
    handler.OnSetState("userdatadir", Folder().c_str());
    handler.OnSetState("outputfile", "block.txt");
    const TStatusBlock block = EightColumns();
    for (auto _ : state) handler.WriteBlock(block, handler.GetStore());
    std::remove((Folder() + "/block.txt").c_str());
}

void BM_StdioWriteLine(benchmark::State& state)
{
    const std::string path = Folder() + "/line.txt";
    const std::string line =
        "level_result,The current date/time is: Thu Dec 10 16:52:23 2026\n,12,3,\"level one\",4500,"
        "\"-20\",\"a,b\",99,\"say \"\"hi\"\"\"\r\n";
    for (auto _ : state)
    {
        FILE* file = std::fopen(path.c_str(), "ab");
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_BoardSetState);
BENCHMARK(BM_MapAssign);
BENCHMARK(BM_BoardGetState);
BENCHMARK(BM_MapFind);
BENCHMARK(BM_WriteBlock);
BENCHMARK(BM_StdioWriteLine);

BENCHMARK_MAIN();
