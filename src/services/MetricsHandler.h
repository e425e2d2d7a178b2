// The play-metrics handlers: a recorder driven by game-state keys that
// writes blocks of columns as comma-separated lines to "metrics.txt" in the
// per-user folder, keeps named stopwatches and the total play time across
// runs ("time.dat"), and adds the system report at shutdown.
//
// Keys: "begin-status" / "begin-session" / "begin-elapsed <minutes>" open a
// block named by the value; "add-value", "add-state", "add-timer" add a
// column; a key beginning "end-" closes it. Status blocks are written when
// they end, session blocks at shutdown, elapsed blocks once the play time
// reaches their minutes. Every other key is kept as a state and drives the
// stopwatch of its name. Files that cannot be opened are skipped silently.
// Main thread only.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "services/GameState.h"
#include "services/SystemReport.h"

struct SMetricsStore;

// Where the recorder takes its times from (each may stay empty for the
// default) and the system report's facts.
struct TMetricsEnvironment
{
    std::function<uint32_t()> appTime;  // ms; default: the application time
    std::function<time_t()> wallTime;   // default: time(nullptr)
    TSystemFactsSource systemFacts;     // default: GatherSystemFacts
};

// One column source of a block, evaluated when the block is written.
class TGameStateValue
{
public:
    explicit TGameStateValue(const TString& argument) : argument_(argument) {}
    virtual ~TGameStateValue() = default;
    virtual TString GetValue(const SMetricsStore& store) const = 0;

protected:
    TString argument_;
};

// "add-value": the argument itself.
class TConstValue : public TGameStateValue
{
public:
    using TGameStateValue::TGameStateValue;
    TString GetValue(const SMetricsStore& store) const override;
};

// "add-state": the recorded value of the state named by the argument; empty
// when there is none.
class TStatusValue : public TGameStateValue
{
public:
    using TGameStateValue::TGameStateValue;
    TString GetValue(const SMetricsStore& store) const override;
};

// "add-timer": the current total of the stopwatch named by the argument in
// ms, plain decimal; 0 when there is none.
class TElapsedTimeValue : public TGameStateValue
{
public:
    using TGameStateValue::TGameStateValue;
    TString GetValue(const SMetricsStore& store) const override;
};

struct TStatusBlock
{
    virtual ~TStatusBlock() = default;
    TString name;
    std::vector<std::shared_ptr<TGameStateValue>> values;
};

// Keys as bytes: the recorder looks every key up twice, and the collation
// order of an ordered map is of no use to it.
struct TBytewiseEqual
{
    bool operator()(const TString& a, const TString& b) const;
};
template <class V>
using TKeyMap = std::unordered_map<TString, V, std::hash<TString>, TBytewiseEqual>;

// The recorder's data and its line writer.
struct SMetricsStore
{
    explicit SMetricsStore(const TMetricsEnvironment& environment);

    uint32_t Now() const;
    // Ms of play: now minus the start time plus the earlier runs' time.
    int32_t ElapsedPlayTime() const;
    // The stopwatch's current total (a running one's too); 0 when unknown.
    int32_t StopwatchTotal(const TString& name) const;
    void SetFolder(const TString& folder);
    void SetOutputFile(const TString& name);
    // Reads "time.dat" into the time offset; a file that cannot be read, is
    // shorter than 4 bytes or holds a negative time changes nothing.
    void ReadTimeFile();
    // Replaces "time.dat" (atomically) with the elapsed play time.
    void WriteTimeFile() const;
    // Appends one line: name, ",", the time stamp ("The current date/time
    // is: " and the 24-character local time and a line feed), then "," and
    // each value, quoted when needed; "\r\n". False when the file cannot be
    // opened or no destination is known yet (lines are then dropped rather
    // than sent to "/metrics.txt" at the file-system root).
    bool WriteLine(const TString& name, const std::vector<TString>& values) const;

    TMetricsEnvironment environment;
    TKeyMap<TString> states;
    // A value of 0 or more is a stopped stopwatch's total; a running one is
    // kept as (total - start time), negative.
    TKeyMap<int32_t> stopwatches;
    uint32_t startTime = 0;
    int32_t timeOffset = 0;
    TString folder;
    TString outputFile = "/metrics.txt";
    TString outputPath;
    TString timeFilePath;
    // Set once a folder or an output file has been named.
    bool hasDestination = false;
};

// The quoting of one value on a metrics line: unquoted when it begins with a
// decimal digit and holds no comma, line break or double quote; otherwise in
// double quotes with inner double quotes doubled.
TString QuoteMetricsValue(const TString& value);
// The 24-character form of asctime (day padded with a blank).
TString FormatAscTime(const struct tm& when);

class TMetricsGameStateHandler : public TGameStateHandler
{
public:
    enum TBlockState
    {
        kOutside = 0,
        kInSession = 1,
        kInStatus = 2,
        kInElapsed = 3,
        kSkipping = 4
    };

    explicit TMetricsGameStateHandler(const TMetricsEnvironment& environment = {});
    ~TMetricsGameStateHandler() override;

    bool OnSetState(const TString& key, const TString& value) override;
    // "elapsed-time<c><name>": the stopwatch's current total as "%12d".
    TString OnGetState(const TString& key, const TString& value) override;
    bool QueryRestartMode() override { return FlushAndAnswerNo(); }
    bool QueryJumpToMenu() override { return FlushAndAnswerNo(); }
    bool QueryMuteGame() override { return FlushAndAnswerNo(); }
    bool IsHoldingGame() override { return FlushAndAnswerNo(); }
    // Writes every session block, in name order, then closes.
    void Shutdown() override;

    virtual void WriteBlock(const TStatusBlock& block, const SMetricsStore& store) = 0;

    // Writes the elapsed blocks that have fallen due, fewest minutes first.
    void FlushDueBlocks();

    int GetBlockState() const { return blockState_; }
    const SMetricsStore& GetStore() const { return store_; }

protected:
    // The shutdown tail: due blocks, the time file, the system report. Runs
    // from the destructor of the class that supplies WriteBlock, while its
    // line writer still exists.
    void Finish();
    // One error line "TFirstPeekHandlerError" with the message.
    void WriteError(const TString& message);

private:
    bool FlushAndAnswerNo();
    bool OnPlainKey(const TString& key, const TString& value);
    void OnBlockKey(const TString& key, const TString& value);
    void ApplyStopwatch(const TString& key, const TString& value);

    SMetricsStore store_;
    int blockState_ = kOutside;
    bool ready_ = false;
    bool finished_ = false;
    TStatusBlock* current_ = nullptr;
    std::unique_ptr<TStatusBlock> statusBlock_;
    std::map<TString, TStatusBlock> sessionBlocks_;
    std::map<uint32_t, TStatusBlock> elapsedBlocks_;
    TStatusBlock skipBlock_;
};

// The line writer.
class TFirstPeekHandler : public TMetricsGameStateHandler
{
public:
    using TMetricsGameStateHandler::TMetricsGameStateHandler;
    ~TFirstPeekHandler() override;
    void WriteBlock(const TStatusBlock& block, const SMetricsStore& store) override;
};

// The handler of "postmetrics" runs: a first-peek handler by another name.
class TPostMetricsHandler : public TFirstPeekHandler
{
public:
    using TFirstPeekHandler::TFirstPeekHandler;
};
