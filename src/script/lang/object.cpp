// Value helpers shared by every module: raw equality, the number/text
// conversions (narrow and wide), safe float-to-integer truncation, formatted
// messages and chunk identification.
#include "script/lang/object.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "script/lang/do.h"
#include "script/lang/strings.h"

const TValue kNilObject = {{nullptr}, LUA_TNIL};

bool RawEqualObj(const TValue* a, const TValue* b)
{
    if (a->tt != b->tt) return false;
    switch (a->tt)
    {
        case LUA_TNIL:
            return true;
        case LUA_TNUMBER:
            return a->value.n == b->value.n;
        case LUA_TBOOLEAN:
            return a->value.b == b->value.b;
        case LUA_TLIGHTUSERDATA:
            return a->value.p == b->value.p;
        default:
            return a->value.gc == b->value.gc;
    }
}

int64_t NumberToInt64(lua_Number n)
{
    // 2^63 is exactly representable; anything at or beyond it (or NaN) would be
    // undefined behaviour in C++.
    if (!(n >= -9223372036854775808.0 && n < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<int64_t>(n);
}

int32_t NumberToInt32(lua_Number n)
{
    if (!(n > -2147483649.0 && n < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(n);
}

int NumberToIntClamped(lua_Number n, int lo, int hi)
{
    if (!(n >= lo)) return lo;  // NaN lands here too
    if (n >= hi) return hi;
    return static_cast<int>(n);
}

namespace
{

bool IsSpaceUnit(unsigned c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigitUnit(unsigned c)
{
    return c >= '0' && c <= '9';
}
int HexValue(unsigned c)
{
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    return -1;
}

}  // namespace

bool TextToNumber(const char* s, size_t len, lua_Number* result)
{
    // Validate the decimal syntax ourselves: the runtime's strtod would also
    // take hexadecimal, "inf" and "nan", which script texts must not become.
    size_t i = 0;
    while (i < len && IsSpaceUnit(static_cast<unsigned char>(s[i]))) i++;
    size_t start = i;
    if (i < len && (s[i] == '+' || s[i] == '-')) i++;
    size_t digits = 0;
    while (i < len && IsDigitUnit(static_cast<unsigned char>(s[i]))) i++, digits++;
    if (i < len && s[i] == '.')
    {
        i++;
        while (i < len && IsDigitUnit(static_cast<unsigned char>(s[i]))) i++, digits++;
    }
    if (digits == 0) return false;
    if (i < len && (s[i] == 'e' || s[i] == 'E'))
    {
        size_t j = i + 1;
        if (j < len && (s[j] == '+' || s[j] == '-')) j++;
        size_t edigits = 0;
        while (j < len && IsDigitUnit(static_cast<unsigned char>(s[j]))) j++, edigits++;
        if (edigits == 0) return false;
        i = j;
    }
    size_t end = i;
    while (i < len && IsSpaceUnit(static_cast<unsigned char>(s[i]))) i++;
    if (i != len) return false;
    // strtod needs a terminated copy; short numbers (nearly all) stay off the
    // heap.
    char small[64];
    size_t n = end - start;
    if (n < sizeof small)
    {
        std::memcpy(small, s + start, n);
        small[n] = '\0';
        *result = std::strtod(small, nullptr);
    }
    else
    {
        std::string text(s + start, n);
        *result = std::strtod(text.c_str(), nullptr);
    }
    return true;
}

bool WideToNumber(const lua_WChar* s, size_t len, lua_Number* result)
{
    size_t i = 0;
    lua_Number value = 0;
    if (len >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    {
        i = 2;
        int d;
        while (i < len && (d = HexValue(s[i])) >= 0) value = value * 16 + d, i++;
        if (i < len && s[i] == '.')
        {
            i++;
            lua_Number scale = 1.0 / 16;
            while (i < len && (d = HexValue(s[i])) >= 0) value += d * scale, scale /= 16, i++;
            if (i < len && (s[i] == 'p' || s[i] == 'P'))
            {
                i++;
                bool neg = false;
                if (i < len && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
                long e = 0;
                while (i < len && IsDigitUnit(s[i]))
                {
                    if (e < 100000) e = e * 10 + (s[i] - '0');
                    i++;
                }
                value = std::ldexp(value, neg ? -static_cast<int>(e) : static_cast<int>(e));
            }
        }
    }
    else
    {
        // Decimal: gather the accepted parts and let strtod round them exactly.
        std::string text;
        bool neg = false;
        if (i < len && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
        std::string intpart, frac, expo;
        while (i < len && IsDigitUnit(s[i])) intpart += static_cast<char>(s[i++]);
        if (i < len && s[i] == '.')
        {
            i++;
            while (i < len && IsDigitUnit(s[i])) frac += static_cast<char>(s[i++]);
        }
        bool eneg = false;
        if (i < len && (s[i] == 'e' || s[i] == 'E'))
        {
            i++;
            if (i < len && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
            while (i < len && IsDigitUnit(s[i])) expo += static_cast<char>(s[i++]);
        }
        if (i == 0) return false;
        text = (intpart.empty() ? "0" : intpart) + "." + frac + "e" + (eneg ? "-" : "") +
               (expo.empty() ? "0" : expo);
        value = std::strtod(text.c_str(), nullptr);
        if (neg) value = -value;
    }
    if (i == 0) return false;
    while (i < len && s[i] < 256 && IsSpaceUnit(s[i])) i++;
    if (i != len) return false;
    *result = value;
    return true;
}

int NumberToText(lua_Number n, char* buff)
{
    // Integers of up to 14 digits print the same under "%.14g" as in decimal;
    // they are by far the most common case (keys, counters, concatenated
    // indices), and the runtime's float formatting is slow.
    if (n > -1e14 && n < 1e14)
    {
        int64_t i = static_cast<int64_t>(n);
        if (static_cast<lua_Number>(i) == n && !(i == 0 && std::signbit(n)))
        {
            char digits[16];
            uint64_t u = i < 0 ? static_cast<uint64_t>(-i) : static_cast<uint64_t>(i);
            int len = 0;
            do
            {
                digits[len++] = static_cast<char>('0' + u % 10);
                u /= 10;
            } while (u != 0);
            int out = 0;
            if (i < 0) buff[out++] = '-';
            while (len > 0) buff[out++] = digits[--len];
            buff[out] = '\0';
            return out;
        }
    }
    return std::snprintf(buff, 32, "%.14g", n);
}

int Log2Ceil(uint32_t x)
{
    int l = 0;
    uint32_t v = 1;
    while (v < x && l < 31) v <<= 1, l++;
    return l;
}

// ---------------------------------------------------------------------------
// Formatted messages

const char* PushVFString(lua_State* L, const char* fmt, va_list argp)
{
    std::string out;
    for (const char* p = fmt; *p; p++)
    {
        if (*p != '%' || p[1] == '\0')
        {
            out += *p;
            continue;
        }
        p++;
        switch (*p)
        {
            case 's':
            {
                const char* s = va_arg(argp, const char*);
                out += s ? s : "(null)";
                break;
            }
            case 'c':
                out += static_cast<char>(va_arg(argp, int));
                break;
            case 'd':
                out += std::to_string(va_arg(argp, int));
                break;
            case 'f':
            {
                char buff[32];
                NumberToText(static_cast<lua_Number>(va_arg(argp, double)), buff);
                out += buff;
                break;
            }
            case 'p':
            {
                char buff[32];
                std::snprintf(buff, sizeof buff, "%p", va_arg(argp, void*));
                out += buff;
                break;
            }
            case '%':
                out += '%';
                break;
            default:
                out += '%';
                out += *p;
                break;
        }
    }
    LString* ts = StrNew(L, out.data(), out.size());
    L->top->SetStr(ts);
    DoIncrTop(L);
    return ts->Data();
}

const char* PushFString(lua_State* L, const char* fmt, ...)
{
    va_list argp;
    va_start(argp, fmt);
    const char* msg = PushVFString(L, fmt, argp);
    va_end(argp);
    return msg;
}

void ChunkId(char* out, const char* source, size_t bufflen)
{
    if (bufflen == 0) return;
    if (*source == '=')
    {
        std::snprintf(out, bufflen, "%s", source + 1);
        return;
    }
    if (*source == '@')
    {
        source++;
        size_t l = std::strlen(source);
        size_t room = bufflen - 1;
        if (l > room)
        {
            // Keep the tail of a long file name: it is the informative part.
            if (room < 3)
            {
                out[0] = '\0';
                return;
            }
            std::snprintf(out, bufflen, "...%s", source + l - (room - 3));
        }
        else
        {
            std::snprintf(out, bufflen, "%s", source);
        }
        return;
    }
    // [string "first line..."]
    const char* nl = std::strchr(source, '\n');
    size_t len = nl ? static_cast<size_t>(nl - source) : std::strlen(source);
    const size_t overhead = std::strlen("[string \"...\"]");
    size_t room = bufflen > overhead + 1 ? bufflen - overhead - 1 : 0;
    bool cut = nl != nullptr || len > room;
    if (len > room) len = room;
    std::snprintf(out, bufflen, "[string \"%.*s%s\"]", static_cast<int>(len), source,
                  cut ? "..." : "");
}
