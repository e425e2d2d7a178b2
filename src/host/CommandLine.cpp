// Command-line joining, switch search and "options=" pairs.
#include "host/CommandLine.h"

#include <cstring>
#include <string>

TString JoinCommandLine(int argc, const char* const* argv)
{
    std::string out;
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i] ? argv[i] : "";
        if (!out.empty()) out += ' ';
        const char* blank = std::strpbrk(arg, " \t");
        if (arg[0] != '\0' && !blank)
        {
            out += arg;
            continue;
        }
        // A switch keeps its name in front of the quotes, as it is written
        // on the command line (-wd="My Games"): its reader expects the value
        // right after the '=' to open the quotes.
        const char* eq = arg[0] == '-' ? std::strchr(arg, '=') : nullptr;
        size_t head = eq && eq < blank ? static_cast<size_t>(eq - arg) + 1 : 0;
        out.append(arg, head);
        out += '"';
        out += arg + head;
        out += '"';
    }
    return TString(out.c_str());
}

bool HasSwitch(const TString& commandLine, const char* switchText)
{
    return switchText && std::strstr(commandLine.CStr(), switchText) != nullptr;
}

TString WordAfterSwitch(const TString& commandLine, const char* switchText)
{
    if (!switchText) return TString();
    const char* at = std::strstr(commandLine.CStr(), switchText);
    if (!at) return TString();
    const char* start = at + std::strlen(switchText);
    const char* end = start;
    while (*end && *end != ' ') ++end;
    return TString(start, static_cast<int>(end - start));
}

TString CheatCodeOf(const TString& commandLine)
{
    const char* text = commandLine.CStr();
    const char* at = std::strstr(text, "--cheat");
    if (!at) return TString();
    // The code starts one separator after the switch; a switch at the very
    // end (or followed by one character) has no code at all.
    size_t rest = std::strlen(at);
    if (rest <= 8) return TString();
    const char* start = at + 8;
    const char* end = start;
    while (*end && *end != ' ') ++end;
    return TString(start, static_cast<int>(end - start));
}

std::vector<std::pair<TString, TString>> ParseOptions(const TString& commandLine)
{
    std::vector<std::pair<TString, TString>> pairs;
    const char* at = std::strstr(commandLine.CStr(), "options=");
    if (!at) return pairs;
    const char* p = at + 8;
    while (*p && *p != ' ')
    {
        const char* eq = std::strchr(p, '=');
        if (!eq) break;
        TString key(p, static_cast<int>(eq - p));
        const char* value = eq + 1;
        const char* amp = std::strchr(value, '&');
        const char* end;
        if (amp)
        {
            end = amp;
        }
        else
        {
            end = std::strchr(value, ' ');
            if (!end) end = value + std::strlen(value);
        }
        pairs.emplace_back(key, TString(value, static_cast<int>(end - value)));
        if (*end == '\0') break;
        p = end + 1;
    }
    return pairs;
}
