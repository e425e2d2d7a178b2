// string.pack and string.unpack: values to and from binary byte strings
// under a format of codes with repeat counts, a wide prefix, byte-order
// switches and fixed-width fields.
#include "script/lib/lib_pack.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "script/lang/WideString.h"
#include "script/lang/object.h"
#include "script/lib/auxlib.h"

float DoubleToFloat(double d)
{
    if (std::isnan(d)) return static_cast<float>(d);
    if (d > FLT_MAX) return INFINITY;
    if (d < -FLT_MAX) return -INFINITY;
    return static_cast<float>(d);
}

namespace
{

// One parsed item of a format string.
struct FormatItem
{
    char code = 0;
    bool wide = false;
    bool hasDigits = false;
    int digits = 0;  // the raw number after the code
    int Count() const { return digits > 0 ? digits : 1; }
};

class FormatReader
{
public:
    FormatReader(const char* f, size_t n) : p_(f), end_(f + n) {}

    // False at the end of the format.
    bool Next(FormatItem* item)
    {
        while (p_ < end_ && (*p_ == ' ' || *p_ == ',')) p_++;
        if (p_ >= end_) return false;
        *item = FormatItem();
        if (*p_ == 'w' && p_ + 1 < end_)
        {
            item->wide = true;
            p_++;
        }
        item->code = *p_++;
        item->hasDigits = ReadNumber(&item->digits);
        return true;
    }

    // A ":F" directly after the item's digits, when F is a digit run.
    bool ReadFill(int* fill)
    {
        if (p_ + 1 < end_ && *p_ == ':' && IsDigit(p_[1]))
        {
            p_++;
            ReadNumber(fill);
            return true;
        }
        return false;
    }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    bool ReadNumber(int* out)
    {
        long v = 0;
        bool any = false;
        while (p_ < end_ && IsDigit(*p_))
        {
            any = true;
            v = v * 10 + (*p_++ - '0');
            if (v > INT_MAX) v = INT_MAX;
        }
        *out = static_cast<int>(v);
        return any;
    }

    const char* p_;
    const char* end_;
};

int BadCode(lua_State* L, char code)
{
    char msg[] = "bad code `?'";
    msg[10] = code;
    return luaL_argerror(L, 1, msg);
}

// ---------------------------------------------------------------------------
// pack

// The packed result is built in a string buffer, so its memory is the
// state's own (a huge field width ends in the memory error, not in an
// allocation outside the state). Field positions count every byte written,
// including those already flushed from the buffer.
class Packer
{
public:
    explicit Packer(lua_State* L) { luaL_buffinit(L, &b_); }

    void Integer(uint64_t v, int width)
    {
        unsigned char bytes[8];
        for (int i = 0; i < width; i++) bytes[i] = static_cast<unsigned char>(v >> (8 * i));
        Raw(bytes, width);
    }

    // Bytes given in little-endian order; reversed under big-endian.
    void Raw(const unsigned char* bytes, int width)
    {
        for (int i = 0; i < width; i++)
            luaL_putchar(&b_, static_cast<char>(bytes[bigEndian_ ? width - 1 - i : i]));
        total_ += static_cast<size_t>(width);
    }

    void Bytes(const char* s, size_t n)
    {
        luaL_addlstring(&b_, s, n);
        total_ += n;
    }

    void Units(const lua_WChar* w, size_t n)
    {
        for (size_t i = 0; i < n; i++) Integer(w[i], 2);
    }

    void Fill(size_t n, char c)
    {
        char block[LUAL_BUFFERSIZE];
        std::memset(block, c, sizeof block);
        while (n > 0)
        {
            size_t k = n < sizeof block ? n : sizeof block;
            Bytes(block, k);
            n -= k;
        }
    }

    size_t Total() const { return total_; }
    void PushResult() { luaL_pushresult(&b_); }

    bool bigEndian_ = false;

private:
    luaL_Buffer b_;
    size_t total_ = 0;
};

// Width in bytes of the length prefix of a counted-string code.
int PrefixWidth(char code)
{
    return code == 'p' ? 1 : code == 'P' ? 2 : 4;
}

void PackString(lua_State* L, Packer* pk, const FormatItem& it, int arg)
{
    size_t n;
    const char* s = nullptr;
    const lua_WChar* w = nullptr;
    if (it.wide)
        w = luaL_checklwstring(L, arg, &n);
    else
        s = luaL_checklstring(L, arg, &n);
    if (it.code == 'p' || it.code == 'P' || it.code == 'a')
    {
        int width = PrefixWidth(it.code);
        // A length the prefix cannot hold would make the record unreadable.
        uint64_t limit = width == 4 ? 0xFFFFFFFFull : (1ull << (8 * width)) - 1;
        if (n > limit) luaL_argerror(L, arg, "string too long for its length prefix");
        pk->Integer(n, width);
    }
    if (it.wide)
        pk->Units(w, n);
    else
        pk->Bytes(s, n);
    if (it.code == 'z') pk->Integer(0, it.wide ? 2 : 1);
}

}  // namespace

int StringPack(lua_State* L)
{
    size_t flen;
    const char* fmt = luaL_checklstring(L, 1, &flen);
    FormatReader reader(fmt, flen);
    Packer pk(L);
    int arg = 2;
    bool fieldOpen = false;
    size_t fieldStart = 0, fieldWidth = 0;
    int fieldFill = 0;
    FormatItem it;
    while (reader.Next(&it))
    {
        switch (it.code)
        {
            case '<':
            case '=':
                pk.bigEndian_ = false;
                continue;
            case '>':
                pk.bigEndian_ = true;
                continue;
            case '@':
                if (!fieldOpen)
                {
                    fieldOpen = true;
                    fieldStart = pk.Total();
                    fieldWidth = static_cast<size_t>(it.digits);
                    fieldFill = 0;
                    reader.ReadFill(&fieldFill);
                }
                else
                {
                    fieldOpen = false;
                    size_t grown = pk.Total() - fieldStart;
                    if (grown < fieldWidth)
                        pk.Fill(fieldWidth - grown, static_cast<char>(fieldFill & 0xFF));
                }
                continue;
            default:
                break;
        }
        for (int rep = it.Count(); rep > 0; rep--, arg++)
        {
            switch (it.code)
            {
                case 'b':
                case 'c':
                    pk.Integer(static_cast<uint64_t>(NumberToInt64(luaL_checknumber(L, arg))), 1);
                    break;
                case 'h':
                case 'H':
                    pk.Integer(static_cast<uint64_t>(NumberToInt64(luaL_checknumber(L, arg))), 2);
                    break;
                case 'i':
                case 'I':
                case 'l':
                case 'L':
                    pk.Integer(static_cast<uint64_t>(NumberToInt64(luaL_checknumber(L, arg))), 4);
                    break;
                case 'B':
                    if (lua_type(L, arg) != LUA_TBOOLEAN) luaL_error(L, "expected a boolean");
                    pk.Integer(lua_toboolean(L, arg) ? 1 : 0, 1);
                    break;
                case 'f':
                {
                    float f = DoubleToFloat(luaL_checknumber(L, arg));
                    unsigned char bytes[4];
                    std::memcpy(bytes, &f, 4);
                    pk.Raw(bytes, 4);
                    break;
                }
                case 'd':
                case 'n':
                {
                    double d = luaL_checknumber(L, arg);
                    unsigned char bytes[8];
                    std::memcpy(bytes, &d, 8);
                    pk.Raw(bytes, 8);
                    break;
                }
                case 'A':
                case 'z':
                case 'p':
                case 'P':
                case 'a':
                    PackString(L, &pk, it, arg);
                    break;
                default:
                    return BadCode(L, it.code);
            }
        }
    }
    pk.PushResult();
    return 1;
}

// ---------------------------------------------------------------------------
// unpack

namespace
{

class Unpacker
{
public:
    Unpacker(const char* s, size_t len, size_t pos) : s_(s), len_(len), pos_(pos) {}

    size_t Left() const { return len_ - pos_; }
    size_t Pos() const { return pos_; }

    uint64_t Integer(int width)
    {
        unsigned char bytes[8];
        Raw(bytes, width);
        uint64_t v = 0;
        for (int i = width - 1; i >= 0; i--) v = (v << 8) | bytes[i];
        return v;
    }

    // Reads width bytes into little-endian order.
    void Raw(unsigned char* bytes, int width)
    {
        for (int i = 0; i < width; i++)
            bytes[bigEndian_ ? width - 1 - i : i] = static_cast<unsigned char>(s_[pos_ + i]);
        pos_ += static_cast<size_t>(width);
    }

    const char* Take(size_t n)
    {
        const char* p = s_ + pos_;
        pos_ += n;
        return p;
    }

    bool bigEndian_ = false;

private:
    const char* s_;
    size_t len_;
    size_t pos_;
};

void PushUnits(lua_State* L, Unpacker* up, size_t units)
{
    std::vector<lua_WChar> w(units);
    for (size_t i = 0; i < units; i++) w[i] = static_cast<lua_WChar>(up->Integer(2));
    PushWideStringLen(L, w.data(), units);
}

// Reads one value of a string code; false when the data runs out.
bool UnpackString(lua_State* L, Unpacker* up, const FormatItem& it, size_t count)
{
    size_t unit = it.wide ? 2 : 1;
    size_t n;
    if (it.code == 'A')
    {
        n = count;
    }
    else if (it.code == 'z')
    {
        if (up->Left() < unit) return false;
        const char* start = up->Take(0);
        size_t avail = up->Left() / unit;
        n = 0;
        while (n < avail &&
               (it.wide ? (start[2 * n] != 0 || start[2 * n + 1] != 0) : start[n] != 0))
            n++;
        if (it.wide)
            PushUnits(L, up, n);
        else
            lua_pushlstring(L, up->Take(n), n);
        if (n < avail) up->Take(unit);  // the terminator
        return true;
    }
    else
    {
        int width = PrefixWidth(it.code);
        if (up->Left() < static_cast<size_t>(width)) return false;
        n = static_cast<size_t>(up->Integer(width));
    }
    if (n > up->Left() / unit) return false;
    if (it.wide)
        PushUnits(L, up, n);
    else
        lua_pushlstring(L, up->Take(n), n);
    return true;
}

}  // namespace

int StringUnpack(lua_State* L)
{
    size_t len, flen;
    const char* s = luaL_checklstring(L, 1, &len);
    const char* fmt = luaL_checklstring(L, 2, &flen);
    int init = luaL_optint(L, 3, 1);
    luaL_argcheck(L, init >= 1 && static_cast<size_t>(init) <= len + 1, 3, "out of range");
    Unpacker up(s, len, static_cast<size_t>(init - 1));
    FormatReader reader(fmt, flen);
    lua_pushnil(L);  // the place of the next position, set at the end
    int placeholder = lua_gettop(L);
    int values = 0;
    FormatItem it;
    bool more = true;
    while (more && reader.Next(&it))
    {
        switch (it.code)
        {
            case '<':
            case '=':
                up.bigEndian_ = false;
                continue;
            case '>':
                up.bigEndian_ = true;
                continue;
            case '@':
            {
                int fill;
                reader.ReadFill(&fill);  // fields only shape packed output
                continue;
            }
            default:
                break;
        }
        int reps = it.code == 'A' ? 1 : it.Count();
        for (int rep = 0; rep < reps && more; rep++)
        {
            luaL_checkstack(L, 1, "too many values to unpack");
            int width = 0;
            switch (it.code)
            {
                case 'b':
                case 'c':
                case 'B':
                    width = 1;
                    break;
                case 'h':
                case 'H':
                    width = 2;
                    break;
                case 'i':
                case 'I':
                case 'l':
                case 'L':
                case 'f':
                    width = 4;
                    break;
                case 'd':
                case 'n':
                    width = 8;
                    break;
                case 'A':
                case 'z':
                case 'p':
                case 'P':
                case 'a':
                    width = -1;
                    break;
                default:
                    return BadCode(L, it.code);
            }
            if (width < 0)
            {
                size_t count = it.hasDigits && it.digits > 0 ? static_cast<size_t>(it.digits) : 1;
                more = UnpackString(L, &up, it, count);
                if (more) values++;
                continue;
            }
            if (up.Left() < static_cast<size_t>(width))
            {
                more = false;
                break;
            }
            switch (it.code)
            {
                case 'b':
                    lua_pushnumber(L, static_cast<lua_Number>(static_cast<uint8_t>(up.Integer(1))));
                    break;
                case 'c':
                    lua_pushnumber(L, static_cast<lua_Number>(static_cast<int8_t>(up.Integer(1))));
                    break;
                case 'B':
                    lua_pushboolean(L, up.Integer(1) != 0);
                    break;
                case 'h':
                    lua_pushnumber(L, static_cast<lua_Number>(static_cast<int16_t>(up.Integer(2))));
                    break;
                case 'H':
                    lua_pushnumber(L,
                                   static_cast<lua_Number>(static_cast<uint16_t>(up.Integer(2))));
                    break;
                case 'i':
                case 'l':
                    lua_pushnumber(L, static_cast<lua_Number>(static_cast<int32_t>(up.Integer(4))));
                    break;
                case 'I':
                case 'L':
                    lua_pushnumber(L,
                                   static_cast<lua_Number>(static_cast<uint32_t>(up.Integer(4))));
                    break;
                case 'f':
                {
                    unsigned char bytes[4];
                    up.Raw(bytes, 4);
                    float f;
                    std::memcpy(&f, bytes, 4);
                    lua_pushnumber(L, static_cast<lua_Number>(f));
                    break;
                }
                default:
                {
                    unsigned char bytes[8];
                    up.Raw(bytes, 8);
                    double d;
                    std::memcpy(&d, bytes, 8);
                    lua_pushnumber(L, d);
                    break;
                }
            }
            values++;
        }
    }
    lua_pushnumber(L, static_cast<lua_Number>(up.Pos() + 1));
    lua_replace(L, placeholder);
    return values + 1;
}
