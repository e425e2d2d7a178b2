// TString bodies, copy on write, searching and editing, formatting, and the
// UTF-8 helpers.
#include "core/String.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "core/Collation.h"
#include "core/Log.h"
#include "core/SmallBlocks.h"

namespace
{

constexpr int32_t kMinCapacity = 16;
constexpr int kFormatBufferSize = 4096;

// Bodies are zero-filled, so bytes behind the text always read as NUL even
// when WriteAt leaves a gap or writes without terminating. The text follows
// its header in the same block: one allocation per body (strings are made
// by the thousand, a message name each); short ones come from the small
// blocks.
TStringRep* NewBlankRep(int32_t capacity)
{
    void* block = SmallBlockTake(sizeof(TStringRep) + static_cast<size_t>(capacity));
    auto* rep = new (block) TStringRep;
    rep->text = reinterpret_cast<char*>(rep + 1);
    rep->refs = 1;
    rep->capacity = capacity;
    return rep;
}

TStringRep* NewRep(int32_t capacity)
{
    TStringRep* rep = NewBlankRep(capacity);
    memset(rep->text, 0, static_cast<size_t>(capacity));
    return rep;
}

// A body holding count bytes (count < capacity) with zeros behind them: a
// copy writes each byte once, where zero-filling first would write the text
// twice.
TStringRep* NewRepOf(const char* bytes, int32_t count, int32_t capacity)
{
    TStringRep* rep = NewBlankRep(capacity);
    if (count > 0) memcpy(rep->text, bytes, static_cast<size_t>(count));
    memset(rep->text + count, 0, static_cast<size_t>(capacity - count));
    return rep;
}

void FreeRep(TStringRep* rep)
{
    const size_t size = sizeof(TStringRep) + static_cast<size_t>(rep->capacity);
    rep->~TStringRep();
    SmallBlockGive(rep, size);
}

int32_t AtLeastMin(int64_t size)
{
    return size < kMinCapacity ? kMinCapacity : static_cast<int32_t>(size);
}

// A computed size that does not fit the 32-bit capacity: the operation is
// abandoned rather than run on a buffer too small for it.
bool SizeFits(int64_t size)
{
    if (size >= 0 && size <= INT32_MAX) return true;
    LogPrintf("TString: size overflow (%lld bytes)", static_cast<long long>(size));
    return false;
}

int ScanLength(const char* text)
{
    size_t n = strlen(text);
    return n > static_cast<size_t>(INT32_MAX - 1) ? INT32_MAX - 1 : static_cast<int>(n);
}

int UpperByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and ownership

TString::TString(const char* text)
{
    if (text == nullptr)
    {
        rep_ = NewRep(kMinCapacity);
        return;
    }
    size_t n = strlen(text);
    if (!SizeFits(static_cast<int64_t>(n) + 1))
    {
        rep_ = NewRep(kMinCapacity);
        return;
    }
    // The text's own NUL fills the last byte.
    rep_ = NewBlankRep(static_cast<int32_t>(n + 1));
    memcpy(rep_->text, text, n + 1);
}

TString::TString(const char* bytes, int count)
{
    if (count < 0 || (bytes == nullptr && count > 0) || !SizeFits(int64_t{count} + 1))
    {
        rep_ = NewRep(kMinCapacity);
        return;
    }
    rep_ = NewRepOf(bytes, count, AtLeastMin(int64_t{count} + 1));
}

TString::TString(const TString& other) noexcept : rep_(other.rep_)
{
    if (rep_ != nullptr) ++rep_->refs;
}

// GCC 12 cannot see that a body freed here is never touched again through
// another handle and warns when destructors are inlined into each other.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
void TString::Release() noexcept
{
    TStringRep* rep = rep_;
    rep_ = nullptr;
    if (rep != nullptr && --rep->refs == 0) FreeRep(rep);
}

TString& TString::operator=(const TString& other) noexcept
{
    if (this == &other) return *this;
    TStringRep* keep = other.rep_;
    if (keep != nullptr) ++keep->refs;
    Release();
    rep_ = keep;
    return *this;
}

TString& TString::operator=(TString&& other) noexcept
{
    if (this == &other) return *this;
    Release();
    rep_ = other.rep_;
    other.rep_ = nullptr;
    return *this;
}

TString& TString::operator=(const char* text)
{
    // Built first: text may point into this string's own body.
    TString fresh(text);
    *this = std::move(fresh);
    return *this;
}

void TString::Detach()
{
    if (rep_ == nullptr || rep_->refs <= 1) return;
    TString own(rep_->text);
    *this = std::move(own);
}

// ---------------------------------------------------------------------------
// Access

int TString::Length() const
{
    return rep_ ? ScanLength(rep_->text) : 0;
}

char TString::CharAt(unsigned index) const
{
    return index < static_cast<unsigned>(Length()) ? rep_->text[index] : '\0';
}

int TString::ToInt() const
{
    if (rep_ == nullptr) return 0;
    // atoi's result is undefined out of range; saturate instead.
    long v = strtol(rep_->text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

float TString::ToFloat() const
{
    if (rep_ == nullptr) return 0.0f;
    double v = atof(rep_->text);
    if (std::isnan(v)) return NAN;
    if (v > FLT_MAX) return HUGE_VALF;
    if (v < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(v);
}

// ---------------------------------------------------------------------------
// Comparison

int TString::Compare(const TString& other) const
{
    if (rep_ == other.rep_) return 0;
    if (other.rep_ == nullptr) return rep_->text[0] != '\0' ? 1 : 0;
    if (rep_ == nullptr) return other.rep_->text[0] != '\0' ? -1 : 0;
    // Only the sign is meaningful: the low byte of e.g. 256 would read as equal.
    int r = CollateCompare(rep_->text, other.rep_->text);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Search

int TString::FindChar(char c, int flags, int start) const
{
    int length = Length();
    if (start < 0) start = 0;
    if (rep_ == nullptr || start >= length) return -1;
    const auto* text = reinterpret_cast<const unsigned char*>(rep_->text);
    bool fold = (flags & kFindIgnoreCase) != 0;
    int want = fold ? UpperByte(static_cast<unsigned char>(c)) : static_cast<unsigned char>(c);
    auto matches = [&](int i) { return (fold ? UpperByte(text[i]) : text[i]) == want; };
    if (flags & kFindBackwards)
    {
        for (int i = length - 1 - start; i >= 0; --i)
            if (matches(i)) return i;
    }
    else
    {
        for (int i = start; i < length; ++i)
            if (matches(i)) return i;
    }
    return -1;
}

int TString::Find(const TString& needle, int flags, int start) const
{
    int length = Length();
    if (start < 0) start = 0;
    if (rep_ == nullptr || start >= length) return -1;
    int needleLength = needle.Length();
    int last = length - needleLength;
    const auto* text = reinterpret_cast<const unsigned char*>(rep_->text);
    const auto* pat = reinterpret_cast<const unsigned char*>(needle.CStr());
    bool fold = (flags & kFindIgnoreCase) != 0;
    auto matchesAt = [&](int pos)
    {
        for (int k = 0; k < needleLength; ++k)
        {
            unsigned char a = text[pos + k];
            unsigned char b = pat[k];
            if (fold ? UpperByte(a) != UpperByte(b) : a != b) return false;
        }
        return true;
    };
    if (flags & kFindBackwards)
    {
        for (int pos = last - start; pos >= 0; --pos)
            if (matchesAt(pos)) return pos;
    }
    else
    {
        for (int pos = start; pos <= last; ++pos)
            if (matchesAt(pos)) return pos;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Building new strings

TString TString::operator+(const TString& other) const
{
    int a = Length();
    int b = other.Length();
    int64_t size = int64_t{a} + b + 1;
    if (!SizeFits(size)) return *this;
    TStringRep* rep = NewRep(AtLeastMin(size));
    memcpy(rep->text, CStr(), static_cast<size_t>(a));
    memcpy(rep->text + a, other.CStr(), static_cast<size_t>(b));
    return TString(rep);
}

TString TString::operator+(char c) const
{
    int a = Length();
    int64_t size = int64_t{a} + 2;
    if (!SizeFits(size)) return *this;
    TStringRep* rep = NewRep(AtLeastMin(size));
    memcpy(rep->text, CStr(), static_cast<size_t>(a));
    rep->text[a] = c;
    return TString(rep);
}

TString TString::Substring(int start, int count) const
{
    int length = Length();
    if (start < 0 || start >= length || count == 0) return TString();
    int available = length - start;
    if (count < 0 || count > available) count = available;
    return TString(rep_->text + start, count);
}

TString TString::FromCodePoint(uint32_t codePoint)
{
    char bytes[4];
    int n = Utf8Encode(codePoint, bytes);
    return n > 0 ? TString(bytes, n) : TString();
}

TString TString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TString result = FormatV(format, args);
    va_end(args);
    return result;
}

TString TString::FormatV(const char* format, va_list args)
{
    if (format == nullptr) return TString();
    char buffer[kFormatBufferSize];
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(buffer, sizeof(buffer), format, args);
    if (n < 0)
    {
        va_end(again);
        return TString();
    }
    if (n < kFormatBufferSize)
    {
        va_end(again);
        return TString(buffer);
    }
    if (!SizeFits(int64_t{n} + 1))
    {
        va_end(again);
        return TString();
    }
    TStringRep* rep = NewRep(AtLeastMin(int64_t{n} + 1));
    vsnprintf(rep->text, static_cast<size_t>(rep->capacity), format, again);
    va_end(again);
    return TString(rep);
}

// ---------------------------------------------------------------------------
// Changing in place

void TString::SetFormatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TString result = FormatV(format, args);
    va_end(args);
    *this = std::move(result);
}

void TString::ToLower()
{
    if (rep_ == nullptr) return;
    Detach();
    for (char* p = rep_->text; *p != '\0'; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
}

bool TString::Reserve(int capacity)
{
    if (capacity < 0) return false;
    int32_t size = AtLeastMin(capacity);
    if (rep_ != nullptr)
    {
        int needed = Length() + 1;
        if (size < needed) size = needed;
    }
    TStringRep* rep = NewRep(size);
    if (rep_ != nullptr)
    {
        // The whole old buffer, so bytes written past the NUL by WriteAt survive.
        int32_t keep = rep_->capacity < size ? rep_->capacity : size;
        memcpy(rep->text, rep_->text, static_cast<size_t>(keep));
        rep->text[size - 1] = '\0';
    }
    Release();
    rep_ = rep;
    return true;
}

int TString::WriteAt(int position, const void* bytes, int count, bool terminate)
{
    if (position < -1 || count < 0 || (bytes == nullptr && count > 0)) return -1;
    if (position == -1) position = Length();
    int64_t need = int64_t{position} + count + 1;
    if (!SizeFits(need)) return -1;
    if (rep_ != nullptr && rep_->refs == 1 && rep_->capacity >= need)
    {
        // The common case of byte-by-byte building: no copy, no growth.
        if (count > 0) memmove(rep_->text + position, bytes, static_cast<size_t>(count));
        if (terminate) rep_->text[position + count] = '\0';
        return position + count;
    }
    // bytes may point into this string's body, which may move below.
    TString keepAlive(*this);
    if (rep_ == nullptr)
    {
        Reserve(static_cast<int>(need));
    }
    else
    {
        // Shared with anyone besides keepAlive: growth starts from a private copy.
        bool shared = rep_->refs > 2;
        int64_t current = shared ? int64_t{Length()} + 1 : rep_->capacity;
        if (current < need)
        {
            // Doubling the current capacity (not the minimum) keeps the growth
            // sequence of a short text: 5, 10, 20, ... (Reserve lifts it to 16).
            int64_t grown = current < 1 ? 1 : current;
            while (grown < need) grown *= 2;
            if (grown > INT32_MAX) grown = need;
            Reserve(static_cast<int>(grown));
        }
        else if (shared)
        {
            // Room enough already: an ordinary detach (capacity length + 1).
            Detach();
        }
    }
    if (count > 0) memmove(rep_->text + position, bytes, static_cast<size_t>(count));
    if (terminate) rep_->text[position + count] = '\0';
    return position + count;
}

TString& TString::operator+=(const TString& other)
{
    // A copy keeps the source alive and unchanged even when it is *this.
    TString source(other);
    int a = Length();
    int b = source.Length();
    if (b == 0) return *this;
    int64_t sum = int64_t{a} + b + 1;
    if (!SizeFits(sum)) return *this;
    if (rep_ == nullptr || rep_->capacity < sum)
    {
        Reserve(static_cast<int>(sum));
    }
    else
    {
        Detach();
        if (rep_->capacity < sum) Reserve(static_cast<int>(sum));
    }
    memcpy(rep_->text + a, source.CStr(), static_cast<size_t>(b));
    rep_->text[a + b] = '\0';
    return *this;
}

TString& TString::operator+=(char c)
{
    Append(&c, 1);
    return *this;
}

void TString::Append(const char* bytes, int count)
{
    *this += TString(bytes, count);
}

int TString::Replace(const TString& searchIn, const TString& replacementIn, int flags, int start)
{
    if (rep_ == nullptr) return 0;
    // Copies: either may be this very string, whose body changes below.
    TString search(searchIn);
    TString replacement(replacementIn);
    int searchLength = search.Length();
    // An empty search text would match everywhere forever.
    if (searchLength == 0) return 0;
    int replacementLength = replacement.Length();
    int findFlags = flags & (kFindIgnoreCase | kFindBackwards);
    bool backwards = (flags & kFindBackwards) != 0;
    int done = 0;
    int position = start;
    for (;;)
    {
        int found = Find(search, findFlags, position);
        if (found < 0) break;
        int length = Length();
        int64_t newLength = int64_t{length} - searchLength + replacementLength;
        if (!SizeFits(newLength + 1)) break;
        Detach();
        if (rep_->capacity < newLength + 1) Reserve(static_cast<int>(newLength + 1));
        char* text = rep_->text;
        int tail = length - found - searchLength;
        memmove(text + found + replacementLength, text + found + searchLength,
                static_cast<size_t>(tail) + 1);
        memcpy(text + found, replacement.CStr(), static_cast<size_t>(replacementLength));
        ++done;
        if ((flags & kReplaceAll) == 0) break;
        if (backwards)
        {
            // Backwards, start counts from the end: continue only in front of the
            // found text, so the scan always moves towards the front and ends.
            if (found < searchLength) break;
            position = static_cast<int>(newLength) - found;
        }
        else
        {
            position = found + replacementLength;
        }
    }
    return done;
}

void TString::Erase(int start, int count)
{
    int length = Length();
    if (start < 0 || start >= length || count == 0) return;
    int available = length - start;
    if (count < 0 || count > available) count = available;
    Detach();
    memmove(rep_->text + start, rep_->text + start + count,
            static_cast<size_t>(available - count) + 1);
}

// ---------------------------------------------------------------------------
// UTF-8

int Utf8SequenceLength(const char* lead)
{
    auto c = static_cast<unsigned char>(*lead);
    if (c == 0) return 0;
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

int Utf8Encode(uint32_t cp, char* out)
{
    auto put = [&](int i, uint32_t v)
    { out[i] = static_cast<char>(static_cast<unsigned char>(v)); };
    if (cp < 0x80)
    {
        put(0, cp);
        return 1;
    }
    if (cp < 0x800)
    {
        put(0, 0xC0 | (cp >> 6));
        put(1, 0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp <= 0xFFFF)
    {
        if (cp == 0xFEFF || cp == 0xFFFE || cp == 0xFFFF) return 0;
        put(0, 0xE0 | (cp >> 12));
        put(1, 0x80 | ((cp >> 6) & 0x3F));
        put(2, 0x80 | (cp & 0x3F));
        return 3;
    }
    if (cp <= 0x10FFFF)
    {
        put(0, 0xF0 | (cp >> 18));
        put(1, 0x80 | ((cp >> 12) & 0x3F));
        put(2, 0x80 | ((cp >> 6) & 0x3F));
        put(3, 0x80 | (cp & 0x3F));
        return 4;
    }
    return 0;
}

uint32_t Utf8Decode(const char* p)
{
    static constexpr uint32_t kOffsets[5] = {0, 0, 0x3080u, 0xE2080u, 0x3C82080u};
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    int n = Utf8SequenceLength(p);
    if (n == 0) return 0;
    if (n == 1) return (b[0] & 0x80) ? 0 : b[0];
    // Checked one by one, so a NUL ends the check before reading past it.
    for (int i = 1; i < n; ++i)
        if ((b[i] & 0x80) == 0) return 0;
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = value * 64 + b[i];
    return value - kOffsets[n];
}

bool IsPlainTextBytes(const TString& text)
{
    for (const char* p = text.CStr(); *p != '\0'; ++p)
        if (static_cast<unsigned char>(*p) >= 0xC0) return false;
    return true;
}

size_t std::hash<TString>::operator()(const TString& s) const noexcept
{
    return std::hash<std::string_view>()(std::string_view(s.CStr()));
}
