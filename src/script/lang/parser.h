// parser.h - the one-pass compiler entry points: source text in, function
// prototype out.
//
// Failures: CompileSource throws CompileError (lexer.h) for every syntax or
// limit error and std::bad_alloc when memory runs out. ParseChunk raises the
// engine's error instead (DoThrow: status 3 with the positioned message for
// syntax errors, 1 for the vector-limit errors, 4 for memory) and never
// returns a null prototype.
#pragma once

#include <memory>
#include <string>

#include "script/lang/codegen.h"

struct lua_State;
struct Proto;
struct Stream;
struct TextBuffer;
struct LString;

// Compiles a whole chunk read from in (UTF-16LE units when wide) named
// source; the result is the main function (vararg, no parameters).
std::unique_ptr<CompiledProto> CompileSource(LexInput in, bool wide, const std::string& source);

// Convenience for tools and tests: compiles the bytes of text.
std::unique_ptr<CompiledProto> CompileString(const std::string& text, const std::string& source,
                                             bool wide = false);

// Builds engine prototypes (strings interned, memory charged to L) from a
// compiled tree. Raises the memory error on failure.
Proto* MakeProto(lua_State* L, const CompiledProto& f, LString* parentSource);

// The loader's entry: compiles the source text of z (its `wide' flag set
// when the chunk began with FF FE) and returns the main prototype.
Proto* ParseChunk(lua_State* L, Stream* z, TextBuffer* buff);
