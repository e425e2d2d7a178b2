// FormatDataText and FormatThousands.
#include "game/app/TextFormat.h"

#include <string>

#include "core/StringTable.h"
#include "ui/WindowAppLink.h"

TString FormatDataText(const TString& format, std::initializer_list<TDataArg> args)
{
    const char* p = format.CStr();
    const TDataArg* next = args.begin();
    std::string out;
    while (*p != '\0')
    {
        if (p[0] != '%' || (p[1] != 'd' && p[1] != 's' && p[1] != '%'))
        {
            out += *p++;
            continue;
        }
        const char conversion = p[1];
        p += 2;
        if (conversion == '%')
        {
            out += '%';
            continue;
        }
        if (next == args.end()) continue;
        const TDataArg& arg = *next++;
        if (conversion == 'd' && !arg.isText)
            out += std::to_string(arg.number);
        else if (conversion == 's' && arg.isText)
            out += arg.text.CStr();
    }
    return TString(out.c_str(), static_cast<int>(out.size()));
}

TString FormatThousands(int32_t n, const TString& templ, const TString& delimiter)
{
    // The magnitude in 64 bits, so that INT32_MIN has one.
    int64_t magnitude = n < 0 ? -static_cast<int64_t>(n) : n;
    std::string groups;
    do
    {
        const int64_t group = magnitude % 1000;
        magnitude /= 1000;
        std::string digits = std::to_string(group);
        if (magnitude > 0)
        {
            digits.insert(0, 3 - digits.size(), '0');
            groups.insert(0, std::string(delimiter.CStr()) + digits);
        }
        else
        {
            groups.insert(0, digits);
        }
    } while (magnitude > 0);
    if (n < 0) groups.insert(0, "-");

    std::string out;
    for (const char* p = templ.CStr(); *p != '\0';)
    {
        if (p[0] == '%' && (p[1] == 'd' || p[1] == 's'))
        {
            out += groups;
            p += 2;
        }
        else
        {
            out += *p++;
        }
    }
    return TString(out.c_str(), static_cast<int>(out.size()));
}

TString FormatThousands(int32_t n, const TString& templ)
{
    TString delimiter(",");
    if (const TStringTable* strings = GetWindowAppLink().GetStringTable())
    {
        TString raw;
        if (strings->GetRaw("number_delimiter", raw)) delimiter = raw;
    }
    return FormatThousands(n, templ, delimiter);
}
