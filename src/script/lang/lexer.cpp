// lexer.cpp - the scanner: characters in byte or UTF-16 mode, names and
// reserved words, numbers, narrow and wide string literals, long strings and
// comments, and the compiler's positioned error messages.
#include "script/lang/lexer.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "script/lang/lua.h"
#include "script/lang/object.h"

const char* const luaX_tokens[TK_EOS - FIRST_RESERVED + 1] = {
    "and",      "break", "continue", "do",      "else",     "elseif", "end", "false",  "for",
    "function", "if",    "in",       "local",   "nil",      "not",    "or",  "repeat", "return",
    "then",     "true",  "until",    "while",   "*name",    "..",     "...", "==",     ">=",
    "<=",       "~=",    "*number",  "*string", "*wstring", "<<",     ">>",  "<eof>",
};

namespace
{

// The chunk identification in compiler messages is wider than the one in
// run-time positions: long script paths stay readable.
constexpr size_t kMaxSrc = 80;

[[noreturn]] void ErrorNear(LexState* ls, const std::string& msg, const std::string& near)
{
    char id[kMaxSrc];
    ChunkId(id, ls->source.c_str(), sizeof id);
    std::string text = id;
    text += ':';
    text += std::to_string(ls->linenumber);
    text += ": ";
    text += msg;
    text += " near `";
    text += near;
    text += '\'';
    throw CompileError{LUA_ERRSYNTAX, std::move(text)};
}

int ReadChar(LexState* ls)
{
    int lo = ls->z.next(ls->z.ud);
    if (!ls->wide || lo < 0) return lo;
    int hi = ls->z.next(ls->z.ud);
    if (hi < 0) return -1;
    return lo | (hi << 8);
}

inline void Next(LexState* ls)
{
    ls->current = ReadChar(ls);
}

// The token buffer keeps one byte per character (the low 8 bits of a UTF-16
// unit), which is also what a narrow string stores.
inline void Save(LexState* ls, int c)
{
    ls->buff.push_back(static_cast<char>(c & 0xFF));
}
inline void SaveAndNext(LexState* ls)
{
    Save(ls, ls->current);
    Next(ls);
}

inline bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}
inline bool IsAlpha(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool IsAlnum(int c)
{
    return IsAlpha(c) || IsDigit(c);
}
inline int HexValue(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void IncLineNumber(LexState* ls)
{
    Next(ls);  // skip '\n'
    ++ls->linenumber;
    LexCheckLimit(ls, ls->linenumber, MAX_INT, "lines in a chunk");
}

int ReservedIndex(const std::string& name)
{
    // Reserved words are short lower-case ASCII; a linear scan over 22 entries
    // is cheaper than hashing for the typical identifier.
    if (name.size() < 2 || name.size() > 8 || name[0] < 'a' || name[0] > 'w') return -1;
    for (int i = 0; i < NUM_RESERVED; i++)
        if (name == luaX_tokens[i]) return i;
    return -1;
}

void ReadLongString(LexState* ls, Token* tok)
{
    int nest = 0;
    Save(ls, '[');
    SaveAndNext(ls);                             // second '['
    if (ls->current == '\n') IncLineNumber(ls);  // a first newline is not content
    for (;;)
    {
        switch (ls->current)
        {
            case -1:
                LexError(ls, tok ? "unfinished long string" : "unfinished long comment", TK_EOS);
            case '[':
                SaveAndNext(ls);
                if (ls->current == '[')
                {
                    nest++;
                    SaveAndNext(ls);
                }
                continue;
            case ']':
                SaveAndNext(ls);
                if (ls->current == ']')
                {
                    if (nest == 0)
                    {
                        SaveAndNext(ls);
                        if (tok)
                        {
                            tok->str.assign(ls->buff, 2, ls->buff.size() - 4);
                            tok->raw = ls->buff;
                        }
                        return;
                    }
                    nest--;
                    SaveAndNext(ls);
                }
                continue;
            case '\n':
                Save(ls, '\n');
                IncLineNumber(ls);
                if (!tok) ls->buff.clear();  // a comment's text is never needed
                continue;
            default:
                SaveAndNext(ls);
        }
    }
}

// Reads the escape after a backslash (already skipped). Returns the value to
// store, or -2 for backslash-newline (already stored by the caller's rule),
// or -3 when the end of input follows (the caller's loop reports it).
int ReadEscape(LexState* ls, int maxhex)
{
    switch (ls->current)
    {
        case 'a':
            Next(ls);
            return 7;
        case 'b':
            Next(ls);
            return 8;
        case 'f':
            Next(ls);
            return 12;
        case 'n':
            Next(ls);
            return 10;
        case 'r':
            Next(ls);
            return 13;
        case 't':
            Next(ls);
            return 9;
        case 'v':
            Next(ls);
            return 11;
        case '\n':
            IncLineNumber(ls);
            return 10;
        case -1:
            return -3;
        case 'x':
        {
            Next(ls);
            int v = 0, n = 0;
            while (n < maxhex && HexValue(ls->current) >= 0)
            {
                v = v * 16 + HexValue(ls->current);
                Next(ls);
                n++;
            }
            return n == 0 ? 'x' : v;
        }
        default:
        {
            if (!IsDigit(ls->current))
            {
                int c = ls->current;
                Next(ls);
                return c;
            }
            int c = 0, i = 0;
            do
            {
                c = 10 * c + (ls->current - '0');
                Next(ls);
            } while (++i < 3 && IsDigit(ls->current));
            if (c > 255) LexError(ls, "escape sequence too large", TK_STRING);
            return c;
        }
    }
}

void ReadString(LexState* ls, int del, Token* tok)
{
    SaveAndNext(ls);  // opening quote
    std::string value;
    while (ls->current != del)
    {
        switch (ls->current)
        {
            case -1:
                LexError(ls, "unfinished string", TK_EOS);
            case '\n':
                LexError(ls, "unfinished string", TK_STRING);
            case '\\':
            {
                Next(ls);
                int c = ReadEscape(ls, 2);
                if (c == -3) continue;  // end of input: reported by the loop
                Save(ls, c);
                value.push_back(static_cast<char>(c & 0xFF));
                break;
            }
            default:
                value.push_back(static_cast<char>(ls->current & 0xFF));
                SaveAndNext(ls);
        }
    }
    SaveAndNext(ls);  // closing quote
    tok->str = std::move(value);
    tok->raw = ls->buff;
}

void ReadWideString(LexState* ls, Token* tok)
{
    // 'L' is in the buffer; current is the opening '"'.
    SaveAndNext(ls);
    std::u16string value;
    while (ls->current != '"')
    {
        switch (ls->current)
        {
            case -1:
                LexError(ls, "unfinished string", TK_EOS);
            case '\n':
                LexError(ls, "unfinished string", TK_STRING);
            case '\\':
            {
                Next(ls);
                int c = ReadEscape(ls, 4);
                if (c == -3) continue;
                Save(ls, c);
                value.push_back(static_cast<char16_t>(c));
                break;
            }
            default:
                value.push_back(static_cast<char16_t>(ls->current));
                SaveAndNext(ls);
        }
    }
    SaveAndNext(ls);
    tok->wstr = std::move(value);
    tok->raw = ls->buff;
}

void ReadNumber(LexState* ls, bool startsWithPoint, Token* tok)
{
    if (startsWithPoint) Save(ls, '.');
    if (!startsWithPoint && ls->current == '0')
    {
        SaveAndNext(ls);
        if (ls->current == 'x')
        {
            SaveAndNext(ls);
            uint32_t v = 0;
            int n = 0;
            // At most eight digits: a ninth starts the next token.
            while (n < 8 && HexValue(ls->current) >= 0)
            {
                v = (v << 4) | static_cast<uint32_t>(HexValue(ls->current));
                SaveAndNext(ls);
                n++;
            }
            if (n == 0) LexError(ls, "malformed number", TK_NUMBER);
            tok->number = v;
            tok->raw = ls->buff;
            return;
        }
    }
    bool fractional = startsWithPoint;
    while (IsDigit(ls->current)) SaveAndNext(ls);
    if (ls->current == '.')
    {
        fractional = true;
        SaveAndNext(ls);
        if (ls->current == '.')
        {
            SaveAndNext(ls);
            LexError(ls, "ambiguous syntax (decimal point x string concatenation)", TK_NUMBER);
        }
    }
    while (IsDigit(ls->current)) SaveAndNext(ls);
    if (ls->current == 'e' || ls->current == 'E')
    {
        fractional = true;
        SaveAndNext(ls);
        if (ls->current == '+' || ls->current == '-') SaveAndNext(ls);
        while (IsDigit(ls->current)) SaveAndNext(ls);
    }
    const char* b = ls->buff.data();
    const char* e = b + ls->buff.size();
    double v = 0;
    auto r = std::from_chars(b, e, v, std::chars_format::general);
    // Out-of-range values convert to infinity as the C conversion does.
    if (r.ec == std::errc::result_out_of_range && r.ptr == e)
    {
        v = std::strtod(ls->buff.c_str(), nullptr);
    }
    else if (r.ec != std::errc() || r.ptr != e)
    {
        LexError(ls, fractional ? "malformed number" : "malformed integer", TK_NUMBER);
    }
    tok->number = v;
    tok->raw = ls->buff;
}

// After '<' or '>' (c): the doubled character is a shift, one followed by
// '=' a comparison, otherwise c alone.
int ReadAngle(LexState* ls, int c, int doubled, int withEqual)
{
    Next(ls);
    if (ls->current == c)
    {
        Next(ls);
        return doubled;
    }
    if (ls->current == '=')
    {
        Next(ls);
        return withEqual;
    }
    return c;
}

int Lex(LexState* ls, Token* tok)
{
    ls->buff.clear();
    for (;;)
    {
        int c = ls->current;
        switch (c)
        {
            case '\n':
                IncLineNumber(ls);
                continue;
            case '\t':
            case 11:
            case 12:
            case '\r':
            case ' ':
                Next(ls);
                continue;
            case '-':
                Next(ls);
                if (ls->current != '-') return '-';
                Next(ls);
                if (ls->current == '[')
                {
                    Next(ls);
                    if (ls->current == '[')
                    {
                        ReadLongString(ls, nullptr);
                        ls->buff.clear();
                        continue;
                    }
                }
                while (ls->current != '\n' && ls->current != -1) Next(ls);
                continue;
            case '[':
                Next(ls);
                if (ls->current != '[') return '[';
                ReadLongString(ls, tok);
                return TK_STRING;
            case '=':
                Next(ls);
                if (ls->current != '=') return '=';
                Next(ls);
                return TK_EQ;
            case '<':
                return ReadAngle(ls, '<', TK_SHL, TK_LE);
            case '>':
                return ReadAngle(ls, '>', TK_SHR, TK_GE);
            case '~':
                Next(ls);
                if (ls->current != '=') return '~';
                Next(ls);
                return TK_NE;
            case '"':
            case '\'':
                ReadString(ls, c, tok);
                return TK_STRING;
            case '.':
                Next(ls);
                if (ls->current == '.')
                {
                    Next(ls);
                    if (ls->current == '.')
                    {
                        Next(ls);
                        return TK_DOTS;
                    }
                    return TK_CONCAT;
                }
                if (!IsDigit(ls->current)) return '.';
                ReadNumber(ls, true, tok);
                return TK_NUMBER;
            case -1:
                return TK_EOS;
            default:
                if (IsDigit(c))
                {
                    ReadNumber(ls, false, tok);
                    return TK_NUMBER;
                }
                if (IsAlpha(c))
                {
                    SaveAndNext(ls);
                    if (c == 'L' && ls->current == '"')
                    {
                        ReadWideString(ls, tok);
                        return TK_WSTRING;
                    }
                    while (IsAlnum(ls->current)) SaveAndNext(ls);
                    int r = ReservedIndex(ls->buff);
                    if (r >= 0) return FIRST_RESERVED + r;
                    tok->str = ls->buff;
                    return TK_NAME;
                }
                if (c >= 255) ErrorNear(ls, "invalid wide char", "char(" + std::to_string(c) + ")");
                if (c < 32 || c == 127)
                    ErrorNear(ls, "invalid control char", "char(" + std::to_string(c) + ")");
                Next(ls);
                return c;
        }
    }
}

void ReadToken(LexState* ls, Token* tok)
{
    tok->str.clear();
    tok->wstr.clear();
    tok->raw.clear();
    tok->token = Lex(ls, tok);
}

}  // namespace

void LexSetInput(LexState* ls, LexInput z, bool wide, const std::string& source)
{
    ls->z = z;
    ls->wide = wide;
    ls->source = source;
    ls->linenumber = 1;
    ls->lastline = 1;
    ls->nestlevel = 0;
    ls->haslookahead = false;
    ls->lookahead.token = TK_EOS;
    ls->fs = nullptr;
    ls->buff.clear();
    Next(ls);
    if (ls->current == '#')
    {  // a "#!" interpreter line is not script text
        while (ls->current != '\n' && ls->current != -1) Next(ls);
    }
}

void LexNext(LexState* ls)
{
    ls->lastline = ls->linenumber;
    if (ls->haslookahead)
    {
        std::swap(ls->t, ls->lookahead);
        ls->haslookahead = false;
        ls->lookahead.token = TK_EOS;
    }
    else
    {
        ReadToken(ls, &ls->t);
    }
}

int LexLookahead(LexState* ls)
{
    ReadToken(ls, &ls->lookahead);
    ls->haslookahead = true;
    return ls->lookahead.token;
}

std::string LexToken2Str(int token)
{
    if (token < FIRST_RESERVED) return std::string(1, static_cast<char>(token));
    if (token > TK_EOS) return "?";
    return luaX_tokens[token - FIRST_RESERVED];
}

void LexSyntaxError(LexState* ls, const std::string& msg)
{
    switch (ls->t.token)
    {
        case TK_NAME:
            ErrorNear(ls, msg, ls->t.str);
        case TK_STRING:
        case TK_NUMBER:
            ErrorNear(ls, msg, ls->t.raw);
        default:
            ErrorNear(ls, msg, LexToken2Str(ls->t.token));
    }
}

void LexError(LexState* ls, const std::string& msg, int token)
{
    if (token == TK_EOS) ErrorNear(ls, msg, LexToken2Str(TK_EOS));
    ErrorNear(ls, msg, ls->buff);
}

void LexCheckLimit(LexState* ls, int val, int limit, const char* what)
{
    if (val > limit)
        LexSyntaxError(ls,
                       std::string("too many ") + what + " (limit=" + std::to_string(limit) + ")");
}
