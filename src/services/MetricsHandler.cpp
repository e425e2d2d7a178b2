// The play-metrics recorder: its key language, stopwatches, blocks, the
// line writer and the play-time file.
#include "services/MetricsHandler.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/FileReplace.h"
#include "core/Clock.h"

namespace
{

constexpr char kElapsedTimeKey[] = "elapsed-time";
constexpr int kElapsedTimeLength = 12;
constexpr char kBeginElapsedKey[] = "begin-elapsed";
constexpr int kBeginElapsedLength = 13;
constexpr char kErrorName[] = "TFirstPeekHandlerError";
constexpr uint32_t kMsPerMinute = 60000;

bool StartsWith(const TString& text, const char* prefix)
{
    return std::strncmp(text.CStr(), prefix, std::strlen(prefix)) == 0;
}

// Every key passes these tests: comparing with a literal must not build a
// string for it.
bool Is(const TString& text, const char* literal)
{
    return std::strcmp(text.CStr(), literal) == 0;
}

// The name behind "elapsed-time" and its one separator character.
TString StopwatchNameOf(const TString& key)
{
    return key.Substring(kElapsedTimeLength + 1);
}

// Stopwatch arithmetic wraps as 32-bit signed values do on the machine the
// file format was made for, without the overflow being undefined here.
int32_t Wrapped(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace

bool TBytewiseEqual::operator()(const TString& a, const TString& b) const
{
    return a.SharesBodyWith(b) || std::strcmp(a.CStr(), b.CStr()) == 0;
}

// --- Column values -----------------------------------------------------------

TString TConstValue::GetValue(const SMetricsStore&) const
{
    return argument_;
}

TString TStatusValue::GetValue(const SMetricsStore& store) const
{
    auto it = store.states.find(argument_);
    return it == store.states.end() ? TString() : it->second;
}

TString TElapsedTimeValue::GetValue(const SMetricsStore& store) const
{
    return TString::Format("%d", store.StopwatchTotal(argument_));
}

// --- The store -----------------------------------------------------------------

SMetricsStore::SMetricsStore(const TMetricsEnvironment& env) : environment(env)
{
    if (!environment.appTime) environment.appTime = &GetClockSourceTime;
    if (!environment.wallTime) environment.wallTime = [] { return std::time(nullptr); };
    startTime = Now();
    SetFolder(TString());
}

uint32_t SMetricsStore::Now() const
{
    return environment.appTime();
}

int32_t SMetricsStore::ElapsedPlayTime() const
{
    return Wrapped(static_cast<int64_t>(Now() - startTime) + timeOffset);
}

int32_t SMetricsStore::StopwatchTotal(const TString& name) const
{
    auto it = stopwatches.find(name);
    if (it == stopwatches.end()) return 0;
    return it->second < 0 ? Wrapped(static_cast<int64_t>(it->second) + Now()) : it->second;
}

void SMetricsStore::SetFolder(const TString& value)
{
    folder = value;
    hasDestination = hasDestination || !folder.IsEmpty();
    outputPath = folder + outputFile;
    timeFilePath = folder + "/time.dat";
}

void SMetricsStore::SetOutputFile(const TString& name)
{
    outputFile = name.CharAt(0) == '/' ? name : "/" + name;
    outputPath = folder + outputFile;
    hasDestination = true;
}

void SMetricsStore::ReadTimeFile()
{
    // Without a folder the path would point at the file-system root.
    if (folder.IsEmpty()) return;
    FILE* file = std::fopen(timeFilePath.CStr(), "rb");
    if (!file) return;
    unsigned char bytes[4];
    size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (got != sizeof bytes) return;
    int32_t ms = Wrapped(static_cast<int64_t>(bytes[0]) | static_cast<int64_t>(bytes[1]) << 8 |
                         static_cast<int64_t>(bytes[2]) << 16 | static_cast<int64_t>(bytes[3]) << 24);
    if (ms >= 0) timeOffset = ms;
}

void SMetricsStore::WriteTimeFile() const
{
    if (folder.IsEmpty()) return;
    const uint32_t ms = static_cast<uint32_t>(ElapsedPlayTime());
    const unsigned char bytes[4] = {static_cast<unsigned char>(ms), static_cast<unsigned char>(ms >> 8),
                                    static_cast<unsigned char>(ms >> 16),
                                    static_cast<unsigned char>(ms >> 24)};
    ReplaceFileAtPath("metrics", timeFilePath.CStr(), bytes, sizeof bytes);
}

TString FormatAscTime(const struct tm& when)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int day = when.tm_wday >= 0 && when.tm_wday < 7 ? when.tm_wday : 0;
    const int month = when.tm_mon >= 0 && when.tm_mon < 12 ? when.tm_mon : 0;
    return TString::Format("%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[day], kMonths[month],
                           when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec,
                           1900 + when.tm_year);
}

TString QuoteMetricsValue(const TString& value)
{
    const char* text = value.CStr();
    const bool digit = text[0] >= '0' && text[0] <= '9';
    // A line break or a double quote left bare would end or garble the line.
    if (digit && std::strpbrk(text, ",\"\r\n") == nullptr) return value;
    std::string quoted = "\"";
    for (const char* p = text; *p; ++p)
    {
        if (*p == '"') quoted += '"';
        quoted += *p;
    }
    quoted += '"';
    return TString(quoted.data(), static_cast<int>(quoted.size()));
}

bool SMetricsStore::WriteLine(const TString& name, const std::vector<TString>& values) const
{
    if (!hasDestination) return false;
    const time_t now = environment.wallTime();
    struct tm local;
    if (!localtime_r(&now, &local)) std::memset(&local, 0, sizeof local);
    std::string line = name.CStr();
    line += ",The current date/time is: ";
    line += FormatAscTime(local).CStr();
    line += '\n';
    for (const TString& value : values)
    {
        line += ',';
        line += QuoteMetricsValue(value).CStr();
    }
    line += "\r\n";
    FILE* file = std::fopen(outputPath.CStr(), "ab");
    if (!file) return false;
    const bool whole = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && whole;
}

// --- The recorder ----------------------------------------------------------------

TMetricsGameStateHandler::TMetricsGameStateHandler(const TMetricsEnvironment& environment)
    : store_(environment)
{
}

TMetricsGameStateHandler::~TMetricsGameStateHandler() = default;

void TMetricsGameStateHandler::Finish()
{
    if (finished_) return;
    finished_ = true;
    FlushDueBlocks();
    store_.WriteTimeFile();
    if (store_.hasDestination)
        WriteSystemReport([this](const TString& name, const std::vector<TString>& values)
                          { store_.WriteLine(name, values); },
                          store_.environment.systemFacts);
    current_ = nullptr;
    statusBlock_.reset();
    sessionBlocks_.clear();
    elapsedBlocks_.clear();
}

void TMetricsGameStateHandler::WriteError(const TString& message)
{
    store_.WriteLine(kErrorName, {message});
}

void TMetricsGameStateHandler::FlushDueBlocks()
{
    while (ready_ && !elapsedBlocks_.empty())
    {
        auto first = elapsedBlocks_.begin();
        const int32_t played = store_.ElapsedPlayTime();
        if (played < 0 || static_cast<uint32_t>(played) / kMsPerMinute < first->first) return;
        // The block being filled is written as it stands and forgotten.
        if (current_ == &first->second) current_ = &skipBlock_;
        WriteBlock(first->second, store_);
        elapsedBlocks_.erase(first);
    }
}

bool TMetricsGameStateHandler::OnSetState(const TString& key, const TString& value)
{
    FlushDueBlocks();
    if (blockState_ == kOutside) return OnPlainKey(key, value);
    OnBlockKey(key, value);
    return true;
}

bool TMetricsGameStateHandler::OnPlainKey(const TString& key, const TString& value)
{
    if (Is(key, "begin-status"))
    {
        blockState_ = kInStatus;
        statusBlock_ = std::make_unique<TStatusBlock>();
        statusBlock_->name = value;
        current_ = statusBlock_.get();
        return true;
    }
    if (Is(key, "begin-session"))
    {
        blockState_ = kInSession;
        current_ = &sessionBlocks_[value];
        current_->name = value;
        return true;
    }
    if (StartsWith(key, kBeginElapsedKey))
    {
        // The character after the key word is a separator.
        const int minutes = key.Substring(kBeginElapsedLength + 1).ToInt();
        if (minutes <= 0)
        {
            WriteError("Incorrect time value in: " + key);
            blockState_ = kSkipping;
            current_ = &skipBlock_;
        }
        else if (store_.timeOffset / static_cast<int32_t>(kMsPerMinute) < minutes)
        {
            blockState_ = kInElapsed;
            current_ = &elapsedBlocks_[static_cast<uint32_t>(minutes)];
            current_->name = value;
        }
        else
        {
            blockState_ = kSkipping;
            current_ = &skipBlock_;
        }
        return true;
    }
    if (Is(key, "commondatadir")) return false;
    if (Is(key, "userdatadir"))
    {
        store_.SetFolder(value);
        RequestDxDiagReport(value);
        store_.ReadTimeFile();
        ready_ = true;
        return false;
    }
    if (Is(key, "outputfile"))
    {
        store_.SetOutputFile(value);
        store_.ReadTimeFile();
        ready_ = true;
        return false;
    }
    ApplyStopwatch(key, value);
    store_.states[key] = value;
    return false;
}

void TMetricsGameStateHandler::OnBlockKey(const TString& key, const TString& value)
{
    if (StartsWith(key, "end-"))
    {
        if (blockState_ == kInStatus && statusBlock_)
        {
            WriteBlock(*statusBlock_, store_);
            statusBlock_.reset();
        }
        current_ = nullptr;
        blockState_ = kOutside;
        return;
    }
    if (blockState_ == kSkipping || !current_ || current_ == &skipBlock_) return;
    std::shared_ptr<TGameStateValue> column;
    if (Is(key, "add-state"))
        column = std::make_shared<TStatusValue>(value);
    else if (Is(key, "add-timer"))
        column = std::make_shared<TElapsedTimeValue>(value);
    else if (Is(key, "add-value"))
        column = std::make_shared<TConstValue>(value);
    if (column) current_->values.push_back(std::move(column));
}

void TMetricsGameStateHandler::ApplyStopwatch(const TString& key, const TString& value)
{
    const int64_t now = store_.Now();
    if (StartsWith(key, kElapsedTimeKey))
    {
        store_.stopwatches[StopwatchNameOf(key)] = value.ToInt();
        return;
    }
    int32_t& watch = store_.stopwatches[key];
    const int32_t old = watch;
    if (Is(value, "0"))
    {
        if (old < 0) watch = Wrapped(old + now);
    }
    else if (StartsWith(value, "restart"))
    {
        watch = Wrapped(-now);
    }
    else if (old >= 0)
    {
        watch = Wrapped(old - now);
    }
}

TString TMetricsGameStateHandler::OnGetState(const TString& key, const TString& value)
{
    FlushDueBlocks();
    if (!StartsWith(key, kElapsedTimeKey)) return value;
    return TString::Format("%12d", store_.StopwatchTotal(StopwatchNameOf(key)));
}

// The recorder answers no to every question; being asked is its chance to
// write the elapsed blocks that have fallen due.
bool TMetricsGameStateHandler::FlushAndAnswerNo()
{
    FlushDueBlocks();
    return false;
}

void TMetricsGameStateHandler::Shutdown()
{
    for (auto& [name, block] : sessionBlocks_) WriteBlock(block, store_);
    TGameStateHandler::Shutdown();
}

// --- The line writer ---------------------------------------------------------------

TFirstPeekHandler::~TFirstPeekHandler()
{
    Finish();
}

void TFirstPeekHandler::WriteBlock(const TStatusBlock& block, const SMetricsStore& store)
{
    std::vector<TString> values;
    values.reserve(block.values.size());
    for (const auto& value : block.values) values.push_back(value->GetValue(store));
    store.WriteLine(block.name, values);
}
