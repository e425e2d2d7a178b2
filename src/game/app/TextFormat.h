// Numbers and data texts as the game shows them. Texts that come from data
// (string tables, scripts) are used as formats only through FormatDataText,
// never through a printf-style call.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/String.h"

// One argument of FormatDataText: an integer or a text.
struct TDataArg
{
    TDataArg(int32_t n) : isText(false), number(n) {}  // NOLINT(google-explicit-constructor)
    TDataArg(const TString& s) : isText(true), text(s) {}  // NOLINT(google-explicit-constructor)
    TDataArg(const char* s) : isText(true), text(s) {}  // NOLINT(google-explicit-constructor)

    bool isText = false;
    int32_t number = 0;
    TString text;
};

// The format with its conversions filled in, left to right: "%d" takes the
// next argument when it is an integer, "%s" when it is a text, "%%" writes
// "%". A conversion whose argument is of the other kind writes nothing and
// uses the argument up; one without an argument left writes nothing. Any
// other "%" (flags, widths, other letters: "%5d", "%x") is copied as written
// and uses no argument. Never fails.
TString FormatDataText(const TString& format, std::initializer_list<TDataArg> args);

// The number in groups of three digits ("1,005", "-1,005", "0"), groups after
// the first zero-padded, joined by delimiter; every "%d" and "%s" of the
// template is replaced by it (the digits are not scanned again; "%%" is not
// special). Never fails.
TString FormatThousands(int32_t n, const TString& templ, const TString& delimiter);
// The same with the string table's "number_delimiter" (a comma when there is
// no table or no such label).
TString FormatThousands(int32_t n, const TString& templ);
