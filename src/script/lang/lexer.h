// lexer.h - turns script source (bytes or UTF-16LE units) into tokens for the
// parser, and formats the compiler's error messages.
//
// Errors never return: every lexical and syntax error throws CompileError
// carrying the finished message ("chunk:line: msg near `tok'") and status
// LUA_ERRSYNTAX; ParseChunk (parser.h) turns it into the engine's error.
#pragma once

#include <cstdint>
#include <string>

struct lua_State;

// Token codes: single characters stand for themselves.
enum RESERVED : int
{
    FIRST_RESERVED = 257,
    TK_AND = FIRST_RESERVED,
    TK_BREAK,
    TK_CONTINUE,
    TK_DO,
    TK_ELSE,
    TK_ELSEIF,
    TK_END,
    TK_FALSE,
    TK_FOR,
    TK_FUNCTION,
    TK_IF,
    TK_IN,
    TK_LOCAL,
    TK_NIL,
    TK_NOT,
    TK_OR,
    TK_REPEAT,
    TK_RETURN,
    TK_THEN,
    TK_TRUE,
    TK_UNTIL,
    TK_WHILE,
    TK_NAME,  // 279
    TK_CONCAT,
    TK_DOTS,
    TK_EQ,
    TK_GE,
    TK_LE,
    TK_NE,
    TK_NUMBER,
    TK_STRING,
    TK_WSTRING,
    TK_SHL,
    TK_SHR,
    TK_EOS,  // 291
};

enum : int
{
    NUM_RESERVED = TK_WHILE - FIRST_RESERVED + 1
};  // 22

// Texts of tokens 257..291 in messages (reserved words first).
extern const char* const luaX_tokens[TK_EOS - FIRST_RESERVED + 1];

// Interns the reserved words as fixed strings whose `reserved` field holds
// their 1-based index. Called once when a state is made; raises the memory
// error on failure.
void LexInitReserved(lua_State* L);

// The compiler's one error object. status is LUA_ERRSYNTAX for messages with
// a position, LUA_ERRRUN for the limit errors of vector growth.
struct CompileError
{
    int status;
    std::string message;
};

// Where the lexer reads from: next() returns the next byte 0..255 or -1 at
// the end. In UTF-16 mode the lexer pairs bytes itself (low byte first).
struct LexInput
{
    int (*next)(void* ud);
    void* ud;
};

struct Token
{
    int token = TK_EOS;
    double number = 0;
    std::string str;      // TK_NAME, TK_STRING
    std::u16string wstr;  // TK_WSTRING
    std::string raw;      // source text of a number or narrow string (messages)
};

struct FuncState;

struct LexState
{
    int current = -1;    // current character (-1 end of input)
    int linenumber = 1;  // line of `current'
    int lastline = 1;    // line of the last token consumed
    Token t;             // current token
    Token lookahead;     // look-ahead token (token == TK_EOS when empty)
    bool haslookahead = false;
    FuncState* fs = nullptr;
    LexInput z{};
    bool wide = false;
    std::string buff;    // token text being read
    std::string source;  // chunk name
    int nestlevel = 0;
};

// Prepares ls to read from z (UTF-16 units when wide); reads the first
// character and skips a first line that starts with '#'.
void LexSetInput(LexState* ls, LexInput z, bool wide, const std::string& source);

// Advances to the next token (from the look-ahead when one is held).
void LexNext(LexState* ls);
// Reads one token ahead into ls->lookahead; returns its code.
int LexLookahead(LexState* ls);

// "%c" for single characters, the table text for codes 257 and above.
std::string LexToken2Str(int token);

// Raises msg at the current token.
[[noreturn]] void LexSyntaxError(LexState* ls, const std::string& msg);
// Raises msg near the text of token (the token buffer, or "<eof>").
[[noreturn]] void LexError(LexState* ls, const std::string& msg, int token);
// Raises "too many <what> (limit=<limit>)" when val > limit.
void LexCheckLimit(LexState* ls, int val, int limit, const char* what);
