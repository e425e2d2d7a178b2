// Helpers for the compiler tests: compile a snippet and read back its code
// as text, or the message of the error it raises.
#pragma once

#include <string>
#include <vector>

#include "script/lang/codegen.h"
#include "script/lang/opcodes.h"
#include "script/lang/parser.h"

// Instructions of the main function (or of its nested function `nested'),
// one "OPNAME a b c" per element.
inline std::vector<std::string> Listing(const CompiledProto& f)
{
    std::vector<std::string> out;
    for (Instruction i : f.code) out.push_back(luaP_format(i));
    return out;
}

inline std::vector<std::string> CompileListing(const std::string& src)
{
    return Listing(*CompileString(src, src));
}

// The error message of compiling src, or "" when it compiles.
inline std::string CompileErrorOf(const std::string& src, const std::string& name = "=t",
                                  int* status = nullptr)
{
    try
    {
        CompileString(src, name);
    }
    catch (CompileError& e)
    {
        if (status) *status = e.status;
        return e.message;
    }
    return "";
}

// Little-endian UTF-16 bytes of a text given as 16-bit units.
inline std::string Utf16Bytes(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
    {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}
