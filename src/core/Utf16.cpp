// UTF-8 <-> UTF-16 conversion with the shared conversion buffer used at the
// boundary to wide-character interfaces.
#include "core/Utf16.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace
{
char16_t* gWideBuffer = nullptr;
int gWideCapacity = 0;
const char16_t kEmptyWide[1] = {0};

constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, uint32_t cp)
{
    char bytes[4];
    int n;
    if (cp < 0x80)
    {
        bytes[0] = static_cast<char>(cp);
        n = 1;
    }
    else if (cp < 0x800)
    {
        bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
        bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 2;
    }
    else if (cp < 0x10000)
    {
        bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
        bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 3;
    }
    else
    {
        bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
        bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 4;
    }
    out.append(bytes, static_cast<size_t>(n));
}

// Decodes one strict UTF-8 sequence at p (bytes left: avail); returns the
// code point (U+FFFD for a malformed sequence) and stores its length.
uint32_t DecodeOne(const unsigned char* p, int avail, int& used)
{
    size_t n = 1;
    const int32_t cp = DecodeUtf8Sequence(p, avail > 0 ? static_cast<size_t>(avail) : 0, n, false);
    used = static_cast<int>(n);
    return cp < 0 ? kReplacement : static_cast<uint32_t>(cp);
}
}  // namespace

TString WideToUtf8(const char16_t* text)
{
    if (text == nullptr || text[0] == 0) return TString();
    // Collected in a growing buffer: appending to a TString reserves the
    // exact size each time, which would make long texts quadratic.
    std::string out;
    for (const char16_t* p = text; *p != 0; ++p)
    {
        uint32_t unit = *p;
        if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            uint32_t low = p[1];
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++p;
                continue;
            }
            AppendUtf8(out, kReplacement);
        }
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            AppendUtf8(out, kReplacement);
        else
            AppendUtf8(out, unit);
    }
    return TString(out.data(), static_cast<int>(out.size()));
}

const char16_t* Utf8ToWide(const TString& text)
{
    int length = text.Length();
    if (length == 0)
    {
        FreeWideConversionBuffer();
        return kEmptyWide;
    }
    // Every UTF-16 unit comes from at least one byte, so the old rule of
    // 2 * length + 1 is more than enough; kept for its growth behaviour.
    long long needed = 2LL * length + 1;
    if (needed > INT_MAX) needed = static_cast<long long>(length) + 1;
    if (gWideCapacity < needed)
    {
        char16_t* grown =
            static_cast<char16_t*>(std::realloc(gWideBuffer, sizeof(char16_t) * needed));
        if (grown == nullptr) return kEmptyWide;
        gWideBuffer = grown;
        gWideCapacity = static_cast<int>(needed);
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.CStr());
    int out = 0;
    int i = 0;
    while (i < length)
    {
        int used;
        uint32_t cp = DecodeOne(p + i, length - i, used);
        i += used;
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            gWideBuffer[out++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            gWideBuffer[out++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
        else
            gWideBuffer[out++] = static_cast<char16_t>(cp);
    }
    gWideBuffer[out] = 0;
    return gWideBuffer;
}

void FreeWideConversionBuffer()
{
    std::free(gWideBuffer);
    gWideBuffer = nullptr;
    gWideCapacity = 0;
}

int GetWideConversionCapacity()
{
    return gWideCapacity;
}

int32_t DecodeUtf8Sequence(const unsigned char* p, size_t avail, size_t& used, bool allowSurrogates)
{
    used = 1;
    if (avail == 0) return -1;
    const unsigned char lead = p[0];
    if (lead < 0x80) return lead;
    size_t n;
    int32_t cp;
    int32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        n = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        n = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        n = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    }
    else
        return -1;
    if (avail < n) return -1;
    for (size_t i = 1; i < n; ++i)
    {
        if ((p[i] & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF) return -1;
    if (!allowSurrogates && cp >= 0xD800 && cp <= 0xDFFF) return -1;
    used = n;
    return cp;
}
