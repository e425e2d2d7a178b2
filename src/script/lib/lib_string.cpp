// The string library: len, sub, lower, upper, char, rep, byte, format, dump,
// find, gfind, gsub, lualex (pattern matching lives here too); the library
// table becomes the per-type table of strings, then pack/unpack join it.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "script/lang/TypeTable.h"
#include "script/lang/WideString.h"
#include "script/lang/object.h"
#include "script/lib/lib_pack.h"
#include "script/lib/auxlib.h"
#include "script/lib/lualib.h"

namespace
{

inline unsigned char uchar(char c)
{
    return static_cast<unsigned char>(c);
}

// Relative string positions: negative counts from the end.
long PosRelative(long pos, size_t len)
{
    return pos >= 0 ? pos : static_cast<long>(len) + pos + 1;
}

int S_len(lua_State* L)
{
    size_t l;
    luaL_checklstring(L, 1, &l);
    lua_pushnumber(L, static_cast<lua_Number>(l));
    return 1;
}

int S_sub(lua_State* L)
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    long start = PosRelative(luaL_checklong(L, 2), l);
    long end = PosRelative(luaL_optlong(L, 3, -1), l);
    if (start < 1) start = 1;
    if (end > static_cast<long>(l)) end = static_cast<long>(l);
    if (start <= end)
        lua_pushlstring(L, s + start - 1, static_cast<size_t>(end - start + 1));
    else
        lua_pushliteral(L, "");
    return 1;
}

// The argument with each byte mapped through a <cctype> case function.
int MapBytes(lua_State* L, int (*map)(int))
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    for (size_t i = 0; i < l; i++) luaL_putchar(&b, map(uchar(s[i])));
    luaL_pushresult(&b);
    return 1;
}

int S_lower(lua_State* L)
{
    return MapBytes(L, [](int c) { return std::tolower(c); });
}
int S_upper(lua_State* L)
{
    return MapBytes(L, [](int c) { return std::toupper(c); });
}

int S_rep(lua_State* L)
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    int n = luaL_checkint(L, 2);
    if (l == 0) n = 0;  // a huge count of nothing would only spin
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    for (; n > 0; n--) luaL_addlstring(&b, s, l);
    luaL_pushresult(&b);
    return 1;
}

int S_byte(lua_State* L)
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    long pos = PosRelative(luaL_optlong(L, 2, 1), l);
    if (pos <= 0 || static_cast<size_t>(pos) > l) return 0;
    lua_pushnumber(L, uchar(s[pos - 1]));
    return 1;
}

int S_char(lua_State* L)
{
    int n = lua_gettop(L);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    for (int i = 1; i <= n; i++)
    {
        int c = luaL_checkint(L, i);
        luaL_argcheck(L, uchar(static_cast<char>(c)) == c, i, "invalid value");
        luaL_putchar(&b, uchar(static_cast<char>(c)));
    }
    luaL_pushresult(&b);
    return 1;
}

int DumpWriter(lua_State*, const void* p, size_t size, void* B)
{
    luaL_addlstring(static_cast<luaL_Buffer*>(B), static_cast<const char*>(p), size);
    return 0;  // any other value stops the dump
}

int S_dump(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TFUNCTION);
    lua_settop(L, 1);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    if (!lua_dump(L, DumpWriter, &b)) luaL_error(L, "unable to dump given function");
    luaL_pushresult(&b);
    return 1;
}

// ---------------------------------------------------------------------------
// Pattern matching

constexpr int kMaxCaptures = 32;
constexpr long kCapUnfinished = -1;
constexpr long kCapPosition = -2;
constexpr char kEsc = '%';
constexpr const char* kSpecials = "^$*+?.([%-";
// Each pattern item nests one matcher call; a pattern long enough to run
// the native stack dry is refused instead.
constexpr int kMaxMatchDepth = 5000;

struct MatchState
{
    const char* src_init;
    const char* src_end;
    lua_State* L;
    int level;
    int depth;
    struct
    {
        const char* init;
        long len;
    } capture[kMaxCaptures];
};

int CheckCapture(MatchState* ms, int l)
{
    l -= '1';
    if (l < 0 || l >= ms->level || ms->capture[l].len == kCapUnfinished)
        return luaL_error(ms->L, "invalid capture index");
    return l;
}

int CaptureToClose(MatchState* ms)
{
    int level = ms->level;
    for (level--; level >= 0; level--)
        if (ms->capture[level].len == kCapUnfinished) return level;
    return luaL_error(ms->L, "invalid pattern capture");
}

const char* ClassEnd(MatchState* ms, const char* p)
{
    switch (*p++)
    {
        case kEsc:
            if (*p == '\0') luaL_error(ms->L, "malformed pattern (ends with `%%')");
            return p + 1;
        case '[':
            if (*p == '^') p++;
            do
            {
                if (*p == '\0') luaL_error(ms->L, "malformed pattern (missing `]')");
                if (*(p++) == kEsc && *p != '\0') p++;
            } while (*p != ']');
            return p + 1;
        default:
            return p;
    }
}

bool MatchClass(int c, int cl)
{
    bool res;
    // Class letters are ASCII; folding them here avoids a library call per byte.
    bool upper = cl >= 'A' && cl <= 'Z';
    switch (upper ? cl + ('a' - 'A') : cl)
    {
        case 'a':
            res = std::isalpha(c);
            break;
        case 'c':
            res = std::iscntrl(c);
            break;
        case 'd':
            res = std::isdigit(c);
            break;
        case 'l':
            res = std::islower(c);
            break;
        case 'p':
            res = std::ispunct(c);
            break;
        case 's':
            res = std::isspace(c);
            break;
        case 'u':
            res = std::isupper(c);
            break;
        case 'w':
            res = std::isalnum(c);
            break;
        case 'x':
            res = std::isxdigit(c);
            break;
        case 'z':
            res = (c == 0);
            break;
        default:
            return cl == c;
    }
    return upper ? !res : res;
}

bool MatchBracketClass(int c, const char* p, const char* ec)
{
    bool sig = true;
    if (*(p + 1) == '^')
    {
        sig = false;
        p++;
    }
    while (++p < ec)
    {
        if (*p == kEsc)
        {
            p++;
            if (MatchClass(c, uchar(*p))) return sig;
        }
        else if (*(p + 1) == '-' && p + 2 < ec)
        {
            p += 2;
            if (uchar(*(p - 2)) <= c && c <= uchar(*p)) return sig;
        }
        else if (uchar(*p) == c)
        {
            return sig;
        }
    }
    return !sig;
}

bool SingleMatch(int c, const char* p, const char* ep)
{
    switch (*p)
    {
        case '.':
            return true;
        case kEsc:
            return MatchClass(c, uchar(*(p + 1)));
        case '[':
            return MatchBracketClass(c, p, ep - 1);
        default:
            return uchar(*p) == c;
    }
}

const char* Match(MatchState* ms, const char* s, const char* p);

const char* MatchBalance(MatchState* ms, const char* s, const char* p)
{
    if (*p == 0 || *(p + 1) == 0) luaL_error(ms->L, "unbalanced pattern");
    if (s >= ms->src_end || *s != *p) return nullptr;
    int b = *p, e = *(p + 1), cont = 1;
    while (++s < ms->src_end)
    {
        if (*s == e)
        {
            if (--cont == 0) return s + 1;
        }
        else if (*s == b)
        {
            cont++;
        }
    }
    return nullptr;
}

const char* MaxExpand(MatchState* ms, const char* s, const char* p, const char* ep)
{
    long i = 0;
    while (s + i < ms->src_end && SingleMatch(uchar(*(s + i)), p, ep)) i++;
    while (i >= 0)
    {  // try with the longest run first
        const char* res = Match(ms, s + i, ep + 1);
        if (res) return res;
        i--;
    }
    return nullptr;
}

const char* MinExpand(MatchState* ms, const char* s, const char* p, const char* ep)
{
    for (;;)
    {
        const char* res = Match(ms, s, ep + 1);
        if (res != nullptr) return res;
        if (s < ms->src_end && SingleMatch(uchar(*s), p, ep))
            s++;
        else
            return nullptr;
    }
}

const char* StartCapture(MatchState* ms, const char* s, const char* p, long what)
{
    int level = ms->level;
    if (level >= kMaxCaptures) luaL_error(ms->L, "too many captures");
    ms->capture[level].init = s;
    ms->capture[level].len = what;
    ms->level = level + 1;
    const char* res = Match(ms, s, p);
    if (res == nullptr) ms->level--;
    return res;
}

const char* EndCapture(MatchState* ms, const char* s, const char* p)
{
    int l = CaptureToClose(ms);
    ms->capture[l].len = s - ms->capture[l].init;
    const char* res = Match(ms, s, p);
    if (res == nullptr) ms->capture[l].len = kCapUnfinished;
    return res;
}

const char* MatchCapture(MatchState* ms, const char* s, int l)
{
    l = CheckCapture(ms, l);
    size_t len = static_cast<size_t>(ms->capture[l].len);
    if (static_cast<size_t>(ms->src_end - s) >= len &&
        std::memcmp(ms->capture[l].init, s, len) == 0)
        return s + len;
    return nullptr;
}

struct DepthGuard
{
    MatchState* ms;
    explicit DepthGuard(MatchState* m) : ms(m)
    {
        if (++ms->depth > kMaxMatchDepth) luaL_error(ms->L, "pattern too complex");
    }
    ~DepthGuard() { ms->depth--; }
};

const char* Match(MatchState* ms, const char* s, const char* p)
{
    DepthGuard guard(ms);
init:
    switch (*p)
    {
        case '(':
            if (*(p + 1) == ')') return StartCapture(ms, s, p + 2, kCapPosition);
            return StartCapture(ms, s, p + 1, kCapUnfinished);
        case ')':
            return EndCapture(ms, s, p + 1);
        case kEsc:
            switch (*(p + 1))
            {
                case 'b':
                    s = MatchBalance(ms, s, p + 2);
                    if (s == nullptr) return nullptr;
                    p += 4;
                    goto init;
                case 'f':
                {
                    p += 2;
                    if (*p != '[') luaL_error(ms->L, "missing `[' after `%%f' in pattern");
                    const char* ep = ClassEnd(ms, p);
                    char previous = (s == ms->src_init) ? '\0' : *(s - 1);
                    char current = (s < ms->src_end) ? *s : '\0';
                    if (MatchBracketClass(uchar(previous), p, ep - 1) ||
                        !MatchBracketClass(uchar(current), p, ep - 1))
                        return nullptr;
                    p = ep;
                    goto init;
                }
                default:
                    if (std::isdigit(uchar(*(p + 1))))
                    {
                        s = MatchCapture(ms, s, uchar(*(p + 1)));
                        if (s == nullptr) return nullptr;
                        p += 2;
                        goto init;
                    }
                    break;
            }
            break;
        case '\0':
            return s;
        case '$':
            if (*(p + 1) == '\0') return (s == ms->src_end) ? s : nullptr;
            break;
        default:
            break;
    }
    const char* ep = ClassEnd(ms, p);
    bool m = s < ms->src_end && SingleMatch(uchar(*s), p, ep);
    switch (*ep)
    {
        case '?':
        {
            if (m)
            {
                const char* res = Match(ms, s + 1, ep + 1);
                if (res != nullptr) return res;
            }
            p = ep + 1;
            goto init;
        }
        case '*':
            return MaxExpand(ms, s, p, ep);
        case '+':
            return m ? MaxExpand(ms, s + 1, p, ep) : nullptr;
        case '-':
            return MinExpand(ms, s, p, ep);
        default:
            if (!m) return nullptr;
            s++;
            p = ep;
            goto init;
    }
}

void PushOneCapture(MatchState* ms, int i)
{
    long l = ms->capture[i].len;
    if (l == kCapUnfinished) luaL_error(ms->L, "unfinished capture");
    if (l == kCapPosition)
        lua_pushnumber(ms->L, static_cast<lua_Number>(ms->capture[i].init - ms->src_init + 1));
    else
        lua_pushlstring(ms->L, ms->capture[i].init, static_cast<size_t>(l));
}

int PushCaptures(MatchState* ms, const char* s, const char* e)
{
    int nlevels = (ms->level == 0 && s) ? 1 : ms->level;
    luaL_checkstack(ms->L, nlevels, "too many captures");
    for (int i = 0; i < nlevels; i++)
    {
        if (i == 0 && ms->level == 0)
            lua_pushlstring(ms->L, s, static_cast<size_t>(e - s));
        else
            PushOneCapture(ms, i);
    }
    return nlevels;
}

void InitMatch(MatchState* ms, lua_State* L, const char* s, size_t len)
{
    ms->L = L;
    ms->src_init = s;
    ms->src_end = s + len;
    ms->level = 0;
    ms->depth = 0;
}

const char* MemFind(const char* s1, size_t l1, const char* s2, size_t l2)
{
    if (l2 == 0) return s1;
    if (l2 > l1) return nullptr;
    l2--;  // the first byte is found by memchr
    l1 = l1 - l2;
    const char* init;
    while (l1 > 0 && (init = static_cast<const char*>(std::memchr(s1, *s2, l1))) != nullptr)
    {
        init++;
        if (std::memcmp(init, s2 + 1, l2) == 0) return init - 1;
        l1 -= static_cast<size_t>(init - s1);
        s1 = init;
    }
    return nullptr;
}

int S_find(lua_State* L)
{
    size_t l1, l2;
    const char* s = luaL_checklstring(L, 1, &l1);
    const char* p = luaL_checklstring(L, 2, &l2);
    long init = PosRelative(luaL_optlong(L, 3, 1), l1) - 1;
    luaL_argcheck(L, 0 <= init && static_cast<size_t>(init) <= l1, 3, "out of range");
    if (lua_toboolean(L, 4) || std::strpbrk(p, kSpecials) == nullptr)
    {
        const char* s2 = MemFind(s + init, l1 - static_cast<size_t>(init), p, l2);
        if (s2 != nullptr)
        {
            lua_pushnumber(L, static_cast<lua_Number>(s2 - s + 1));
            lua_pushnumber(L, static_cast<lua_Number>(s2 - s + static_cast<long>(l2)));
            return 2;
        }
    }
    else
    {
        MatchState ms;
        bool anchor = (*p == '^');
        if (anchor) p++;
        const char* s1 = s + init;
        InitMatch(&ms, L, s, l1);
        do
        {
            ms.level = 0;
            const char* res = Match(&ms, s1, p);
            if (res != nullptr)
            {
                lua_pushnumber(L, static_cast<lua_Number>(s1 - s + 1));
                lua_pushnumber(L, static_cast<lua_Number>(res - s));
                return PushCaptures(&ms, nullptr, nullptr) + 2;
            }
        } while (s1++ < ms.src_end && !anchor);
    }
    lua_pushnil(L);
    return 1;
}

int GfindAux(lua_State* L)
{
    // Copies of the upvalues on the stack: their texts stay put while matching.
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, lua_upvalueindex(2));
    const char* s = lua_tostring(L, -2);
    size_t ls = lua_strlen(L, -2);
    const char* p = lua_tostring(L, -1);
    MatchState ms;
    InitMatch(&ms, L, s, ls);
    for (const char* src = s + static_cast<size_t>(lua_tonumber(L, lua_upvalueindex(3)));
         src <= ms.src_end; src++)
    {
        ms.level = 0;
        const char* e = Match(&ms, src, p);
        if (e != nullptr)
        {
            lua_Number newstart = static_cast<lua_Number>(e - s);
            if (e == src) newstart++;  // an empty match moves on by one
            lua_pushnumber(L, newstart);
            lua_replace(L, lua_upvalueindex(3));
            return PushCaptures(&ms, src, e);
        }
    }
    return 0;
}

int S_gfind(lua_State* L)
{
    luaL_checkstring(L, 1);
    luaL_checkstring(L, 2);
    lua_settop(L, 2);
    lua_pushnumber(L, 0);
    lua_pushcclosure(L, GfindAux, 3);
    return 1;
}

void AddReplacement(MatchState* ms, luaL_Buffer* b, const char* s, const char* e)
{
    lua_State* L = ms->L;
    if (lua_type(L, 3) != LUA_TFUNCTION)
    {
        const char* news = lua_tostring(L, 3);
        size_t l = lua_strlen(L, 3);
        for (size_t i = 0; i < l; i++)
        {
            if (news[i] != kEsc)
            {
                luaL_putchar(b, news[i]);
            }
            else
            {
                i++;  // the escape itself; a trailing one adds the terminating zero
                if (!std::isdigit(uchar(news[i])))
                {
                    luaL_putchar(b, news[i]);
                }
                else
                {
                    int level = CheckCapture(ms, news[i]);
                    PushOneCapture(ms, level);
                    luaL_addvalue(b);
                }
            }
        }
    }
    else
    {
        lua_pushvalue(L, 3);
        int n = PushCaptures(ms, s, e);
        lua_call(L, n, 1);
        int t = lua_type(L, -1);
        if (t == LUA_TSTRING || t == LUA_TNUMBER)
            luaL_addvalue(b);
        else
            lua_pop(L, 1);  // anything else deletes the match
    }
}

int S_gsub(lua_State* L)
{
    size_t srcl;
    const char* src = luaL_checklstring(L, 1, &srcl);
    const char* p = luaL_checkstring(L, 2);
    int max_s = luaL_optint(L, 4, static_cast<int>(srcl + 1));
    bool anchor = (*p == '^');
    if (anchor) p++;
    int t3 = lua_type(L, 3);
    luaL_argcheck(L, t3 == LUA_TSTRING || t3 == LUA_TNUMBER || t3 == LUA_TFUNCTION, 3,
                  "string or function expected");
    MatchState ms;
    InitMatch(&ms, L, src, srcl);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    int n = 0;
    while (n < max_s)
    {
        ms.level = 0;
        const char* e = Match(&ms, src, p);
        if (e != nullptr)
        {
            n++;
            AddReplacement(&ms, &b, src, e);
        }
        if (e != nullptr && e > src)
            src = e;
        else if (src < ms.src_end)
            luaL_putchar(&b, *src++);
        else
            break;
        if (anchor) break;
    }
    luaL_addlstring(&b, src, static_cast<size_t>(ms.src_end - src));
    luaL_pushresult(&b);
    lua_pushnumber(L, static_cast<lua_Number>(n));
    return 2;
}

// ---------------------------------------------------------------------------
// format

constexpr size_t kMaxItem = 512;
constexpr size_t kMaxFormat = 20;

void AddQuoted(lua_State* L, luaL_Buffer* b, int arg)
{
    size_t l;
    const char* s = luaL_checklstring(L, arg, &l);
    luaL_putchar(b, '"');
    for (; l > 0; l--, s++)
    {
        switch (*s)
        {
            case '"':
            case '\\':
            case '\n':
                luaL_putchar(b, '\\');
                luaL_putchar(b, *s);
                break;
            case '\0':
                luaL_addlstring(b, "\\000", 4);
                break;
            default:
                luaL_putchar(b, *s);
                break;
        }
    }
    luaL_putchar(b, '"');
}

// The escape of %Q for one character, or 0 when it is copied as it is.
char ControlEscape(unsigned c)
{
    switch (c)
    {
        case 7:
            return 'a';
        case 8:
            return 'b';
        case 9:
            return 't';
        case 10:
            return 'n';
        case 11:
            return 'v';
        case 12:
            return 'f';
        case 13:
            return 'r';
        case '"':
            return '"';
        case '\\':
            return '\\';
        default:
            return 0;
    }
}

// One character of %Q: its escape, itself when printable, else its code in
// hexadecimal with the given number of digits (2 for bytes, 4 for units).
void AddEscapedChar(luaL_Buffer* b, unsigned c, int hexDigits)
{
    char esc = ControlEscape(c);
    if (esc)
    {
        luaL_putchar(b, '\\');
        luaL_putchar(b, esc);
    }
    else if (c >= 32 && c <= 126)
    {
        luaL_putchar(b, static_cast<char>(c));
    }
    else
    {
        char hex[12];
        std::snprintf(hex, sizeof hex, "\\x%0*x", hexDigits, c);
        luaL_addstring(b, hex);
    }
}

void AddEscaped(lua_State* L, luaL_Buffer* b, int arg)
{
    if (lua_type(L, arg) == LUA_TWSTRING)
    {
        size_t n = lua_strlen(L, arg);
        const lua_WChar* w = ToWideString(L, arg);
        luaL_addlstring(b, "L\"", 2);
        for (size_t i = 0; i < n; i++) AddEscapedChar(b, w[i], 4);
    }
    else
    {
        size_t n;
        const char* s = luaL_checklstring(L, arg, &n);
        luaL_putchar(b, '"');
        for (size_t i = 0; i < n; i++) AddEscapedChar(b, uchar(s[i]), 2);
    }
    luaL_putchar(b, '"');
}

void AddRawNumber(lua_State* L, luaL_Buffer* b, int arg, char size)
{
    lua_Number d = luaL_checknumber(L, arg);
    switch (size)
    {
        case 'F':
            luaL_addlstring(b, reinterpret_cast<const char*>(&d), sizeof d);
            break;
        case 'f':
        {
            float f = DoubleToFloat(d);
            luaL_addlstring(b, reinterpret_cast<const char*>(&f), sizeof f);
            break;
        }
        case 'd':
        {
            uint32_t v = static_cast<uint32_t>(NumberToInt64(d));
            unsigned char bytes[4] = {uchar(static_cast<char>(v)), uchar(static_cast<char>(v >> 8)),
                                      uchar(static_cast<char>(v >> 16)),
                                      uchar(static_cast<char>(v >> 24))};
            luaL_addlstring(b, reinterpret_cast<const char*>(bytes), 4);
            break;
        }
        case 'w':
        {
            uint32_t v = static_cast<uint32_t>(NumberToInt64(d));
            luaL_putchar(b, static_cast<char>(v & 0xFF));
            luaL_putchar(b, static_cast<char>((v >> 8) & 0xFF));
            break;
        }
        case 'b':
            luaL_putchar(b, static_cast<char>(NumberToInt64(d) & 0xFF));
            break;
        default:
            break;  // an unknown size takes its argument and writes nothing
    }
}

const char* ScanFormat(lua_State* L, const char* strfrmt, const char* end, char* form,
                       bool* hasprecision)
{
    const char* p = strfrmt;
    auto at = [&](const char* q) { return q < end ? *q : '\0'; };
    while (at(p) != '\0' && std::strchr("-+ #0", at(p)) != nullptr) p++;
    if (std::isdigit(uchar(at(p)))) p++;
    if (std::isdigit(uchar(at(p)))) p++;
    if (at(p) == '.')
    {
        p++;
        *hasprecision = true;
        if (std::isdigit(uchar(at(p)))) p++;
        if (std::isdigit(uchar(at(p)))) p++;
    }
    if (std::isdigit(uchar(at(p)))) luaL_error(L, "invalid format (width or precision too long)");
    if (static_cast<size_t>(p - strfrmt) + 2 > kMaxFormat)
        luaL_error(L, "invalid format (too long)");
    if (p >= end) luaL_error(L, "invalid option to `format'");
    form[0] = '%';
    std::memcpy(form + 1, strfrmt, static_cast<size_t>(p - strfrmt) + 1);
    form[p - strfrmt + 2] = 0;
    return p;
}

// Adds a printf-style item; its length comes from the formatter, so a %c
// of zero keeps its byte.
template <typename T>
void AddFormatted(luaL_Buffer* b, const char* form, T value)
{
    char buff[kMaxItem];
    int n = std::snprintf(buff, sizeof buff, form, value);
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) >= sizeof buff) n = sizeof buff - 1;
    luaL_addlstring(b, buff, static_cast<size_t>(n));
}

int S_format(lua_State* L)
{
    int arg = 1;
    size_t sfl;
    const char* strfrmt = luaL_checklstring(L, arg, &sfl);
    const char* strfrmt_end = strfrmt + sfl;
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    while (strfrmt < strfrmt_end)
    {
        if (*strfrmt != kEsc)
        {
            luaL_putchar(&b, *strfrmt++);
            continue;
        }
        if (++strfrmt < strfrmt_end && *strfrmt == kEsc)
        {
            luaL_putchar(&b, *strfrmt++);
            continue;
        }
        char form[kMaxFormat + 1];
        bool hasprecision = false;
        if (strfrmt + 1 < strfrmt_end && std::isdigit(uchar(*strfrmt)) && *(strfrmt + 1) == '$')
            return luaL_error(L, "obsolete option (d$) to `format'");
        arg++;
        strfrmt = ScanFormat(L, strfrmt, strfrmt_end, form, &hasprecision);
        switch (*strfrmt++)
        {
            case 'c':
            case 'd':
            case 'i':
                AddFormatted(&b, form, luaL_checkint(L, arg));
                break;
            case 'o':
            case 'u':
            case 'x':
            case 'X':
                AddFormatted(&b, form,
                             static_cast<unsigned int>(NumberToInt64(luaL_checknumber(L, arg))));
                break;
            case 'e':
            case 'E':
            case 'f':
            case 'g':
            case 'G':
                AddFormatted(&b, form, static_cast<double>(luaL_checknumber(L, arg)));
                break;
            case 'q':
                AddQuoted(L, &b, arg);
                break;
            case 's':
            {
                size_t l;
                const char* s = luaL_checklstring(L, arg, &l);
                if (!hasprecision && l >= 100)
                {
                    lua_pushvalue(L, arg);  // too long to format: kept whole
                    luaL_addvalue(&b);
                }
                else
                {
                    AddFormatted(&b, form, s);
                }
                break;
            }
            case 'B':
            {
                int t = lua_type(L, arg);
                if (t != LUA_TBOOLEAN && t != LUA_TNIL) luaL_typerror(L, arg, "boolean");
                luaL_addstring(&b, lua_toboolean(L, arg) ? "true" : "false");
                break;
            }
            case 'Q':
                AddEscaped(L, &b, arg);
                break;
            case 'b':
                if (strfrmt >= strfrmt_end) return luaL_error(L, "invalid option to `format'");
                AddRawNumber(L, &b, arg, *strfrmt++);
                break;
            default:
                return luaL_error(L, "invalid option to `format'");
        }
    }
    luaL_pushresult(&b);
    return 1;
}

// ---------------------------------------------------------------------------
// lualex

int HexValue(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Resolves the escapes of a string literal's body: one byte per character,
// or in wide mode one little-endian 16-bit unit per character.
int S_lualex(lua_State* L)
{
    size_t l;
    const char* s = luaL_checklstring(L, 1, &l);
    bool wide = luaL_optnumber(L, 2, 0) != 0;
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    auto emit = [&](unsigned v)
    {
        luaL_putchar(&b, static_cast<char>(v & 0xFF));
        if (wide) luaL_putchar(&b, static_cast<char>((v >> 8) & 0xFF));
    };
    size_t i = 0;
    while (i < l)
    {
        unsigned char c = uchar(s[i++]);
        if (c != '\\' || i >= l)
        {
            emit(c);
            continue;
        }
        c = uchar(s[i++]);
        switch (c)
        {
            case 'a':
                emit(7);
                break;
            case 'b':
                emit(8);
                break;
            case 'f':
                emit(12);
                break;
            case 'n':
                emit(10);
                break;
            case 'r':
                emit(13);
                break;
            case 't':
                emit(9);
                break;
            case 'v':
                emit(11);
                break;
            case 'x':
            {
                if (i >= l || HexValue(uchar(s[i])) < 0)
                {
                    emit('x');
                    break;
                }
                unsigned v = 0;
                size_t maxDigits = wide ? 4 : 2;
                for (size_t k = 0; k < maxDigits && i < l && HexValue(uchar(s[i])) >= 0; k++)
                    v = v * 16 + static_cast<unsigned>(HexValue(uchar(s[i++])));
                emit(v);
                break;
            }
            default:
                if (std::isdigit(c))
                {
                    unsigned v = c - '0';
                    for (int k = 1; k < 3 && i < l && std::isdigit(uchar(s[i])); k++)
                        v = v * 10 + (uchar(s[i++]) - '0');
                    emit(v % 256);
                }
                else
                {
                    emit(c);
                }
                break;
        }
    }
    luaL_pushresult(&b);
    return 1;
}

const luaL_reg kStringFuncs[] = {
    {"len", S_len},       {"sub", S_sub},     {"lower", S_lower}, {"upper", S_upper},
    {"char", S_char},     {"rep", S_rep},     {"byte", S_byte},   {"format", S_format},
    {"dump", S_dump},     {"find", S_find},   {"gfind", S_gfind}, {"gsub", S_gsub},
    {"lualex", S_lualex}, {nullptr, nullptr},
};

const luaL_reg kPackFuncs[] = {
    {"pack", StringPack},
    {"unpack", StringUnpack},
    {nullptr, nullptr},
};

}  // namespace

int luaopen_string(lua_State* L)
{
    luaL_openlib(L, LUA_STRLIBNAME, kStringFuncs, 0);
    lua_pushvalue(L, -1);
    SetTypeMetatable(L, LUA_TSTRING);
    // The base library published the strings' previous table; keep the
    // registry's name for it pointing at the table now in use.
    lua_pushliteral(L, "_string");
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    luaL_openlib(L, nullptr, kPackFuncs, 0);
    return 1;
}
