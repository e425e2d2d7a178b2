// The string table's file scanner, lookup with escapes, and start-up loading.
#include "core/StringTable.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/FileNames.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/Xml.h"
#include "core/XmlFileAccess.h"

namespace
{

const char kMissing[] = "#####";

// Finds needle in [from, end); end when absent.
const char* FindIn(const char* from, const char* end, const char* needle)
{
    const size_t n = std::strlen(needle);
    if (from >= end || static_cast<size_t>(end - from) < n) return end;
    for (const char* p = from; p + n <= end; ++p)
    {
        if (std::memcmp(p, needle, n) == 0) return p;
    }
    return end;
}

const char* FindCharIn(const char* from, const char* end, char c)
{
    if (from >= end) return end;
    const void* p = std::memchr(from, c, static_cast<size_t>(end - from));
    return p ? static_cast<const char*>(p) : end;
}

// One cell from `from` within the row: its decoded text and the position
// just behind the text. False when the row has no further cell.
bool ReadCell(const char* from, const char* rowEnd, TString& text, const char*& after)
{
    const char* data = FindIn(from, rowEnd, "<Data");
    if (data == rowEnd) return false;
    const char* open = FindCharIn(data + 5, rowEnd, '>');
    if (open == rowEnd) return false;
    const char* begin = open + 1;
    const char* close = FindCharIn(begin, rowEnd, '<');
    std::string bytes(begin, close);
    int len = static_cast<int>(bytes.size());
    bool fromEntity = false;
    DecodeXmlEntities(bytes.data(), len, fromEntity);
    text = TString(bytes.data(), len);
    after = close;
    return true;
}

bool IsAllDigits(const std::string& s)
{
    for (char c : s)
    {
        if (c < '0' || c > '9') return false;
    }
    return !s.empty();
}

// The argument number of an all-digit escape; leading zeros count for
// nothing, and numbers too large for any argument list stay large.
int ArgumentNumber(const std::string& digits)
{
    long long n = 0;
    for (char c : digits)
    {
        n = n * 10 + (c - '0');
        if (n > 1000000) return 1000000;
    }
    return static_cast<int>(n);
}

}  // namespace

bool TStringTable::LoadFile(const char* fileName)
{
    table_.clear();
    return AddFile(fileName);
}

bool TStringTable::AddFile(const char* fileName)
{
    std::vector<unsigned char> data;
    if (!fileName || !XmlReadWholeFile(TString(fileName), data)) return false;
    // The container's own message cannot say which file it came from.
    if (!AddBuffer(data.data(), data.size()))
        LogPrintf("string table %s: damaged container, no strings read", fileName);
    return true;
}

bool TStringTable::AddBuffer(const void* data, size_t size)
{
    std::vector<unsigned char> inflated;
    const char* text = static_cast<const char*>(data);
    if (size >= 4 && std::memcmp(data, "ZXML", 4) == 0)
    {
        if (!InflateZxml(data, size, inflated)) return false;
        text = reinterpret_cast<const char*>(inflated.data());
        size = inflated.size();
    }
    if (!text || size == 0) return true;
    // The text ends at its first NUL, as the scanner always read it.
    const char* end = FindCharIn(text, text + size, '\0');

    const char* row = FindIn(text, end, "<Row");
    while (row != end)
    {
        const char* rowEnd = FindIn(row + 4, end, "<Row");
        TString label;
        const char* after = nullptr;
        if (ReadCell(row + 4, rowEnd, label, after))
        {
            TString value;
            const char* ignored = nullptr;
            ReadCell(after, rowEnd, value, ignored);
            table_[label] = value;
        }
        row = rowEnd;
    }
    return true;
}

bool TStringTable::LoadStartupFiles()
{
    const bool ok = LoadFile("strings.xml");
    for (const char* folder : {"user:", "common:"})
    {
        const size_t prefix = std::strlen(folder);
        TString name;
        while (FindNextAssetName(TString(folder), name, false))
        {
            const char* file =
                name.CStr() + (name.Length() >= static_cast<int>(prefix) ? prefix : 0);
            if (std::strncmp(file, "string", 6) == 0 && std::strstr(file, ".xml"))
                AddFile(name.CStr());
        }
    }
    return ok;
}

TString TStringTable::GetString(const TString& label, const TString& a1, const TString& a2,
                                const TString& a3, const TString& a4, const TString& a5) const
{
    const TString args[5] = {a1, a2, a3, a4, a5};
    return Lookup(label, 5, args);
}

bool TStringTable::GetRaw(const TString& label, TString& text) const
{
    auto it = table_.find(label);
    if (it == table_.end()) return false;
    text = it->second;
    return true;
}

TString TStringTable::Lookup(const TString& label, int count, const TString* args) const
{
    TString source;
    bool ok = GetRaw(label, source);
    std::string result;
    if (ok)
    {
        const char* text = source.CStr();
        const size_t len = std::strlen(text);
        size_t i = 0;
        while (ok && i < len)
        {
            if (text[i] != '%')
            {
                result.push_back(text[i++]);
                continue;
            }
            const char* close =
                static_cast<const char*>(std::memchr(text + i + 1, '%', len - i - 1));
            if (!close)
            {
                LogPrintf("Non-matched percent (%%) escape found in string %s, '%s'", label.CStr(),
                          text);
                // A lone percent sign ("50% off", "100%") is plain text.
                result.push_back('%');
                ++i;
                continue;
            }
            const std::string content(text + i + 1, close);
            i = static_cast<size_t>(close - text) + 1;
            if (content.empty())
            {
                result.push_back('%');
            }
            else if (IsAllDigits(content))
            {
                const int n = ArgumentNumber(content);
                if (n < 1 || n > count || !args)
                {
                    ok = false;
                    break;
                }
                const TString& arg = args[n - 1];
                const char* a = arg.CStr();
                const size_t alen = std::strlen(a);
                if (alen == 0 || a[0] != '%')
                {
                    result.append(a, alen);
                }
                else if (std::strcmp(a, "%%") == 0)
                {
                    result.push_back('%');
                }
                else if (alen >= 3 && a[alen - 1] == '%')
                {
                    TString named;
                    if (!GetRaw(TString(a + 1, static_cast<int>(alen - 2)), named))
                        ok = false;
                    else
                        result.append(named.CStr());
                }
                else
                {
                    ok = false;
                }
            }
            else
            {
                TString named;
                if (!GetRaw(TString(content.data(), static_cast<int>(content.size())), named))
                    ok = false;
                else
                    result.append(named.CStr());
            }
        }
    }
    if (!ok)
    {
        LogPrintf(" ##### : Missing string for label '%s'", label.CStr());
        return TString(kMissing);
    }
    if (GetSettingBool(kSettingStringTest))
    {
        for (char& c : result)
        {
            if (c != ' ') c = 'x';
        }
    }
    return TString(result.data(), static_cast<int>(result.size()));
}

void TStringTable::GetFlashStrings(TStringMap& out) const
{
    bool any = false;
    for (const auto& [label, text] : table_)
    {
        if (std::strncmp(label.CStr(), "FLASH_", 6) == 0)
        {
            out[label] = text;
            any = true;
        }
    }
    if (any) return;
    for (const auto& [label, text] : table_)
    {
        int a = 0, b = 0;
        if (std::sscanf(label.CStr(), "flash%2d_%2d", &a, &b) >= 1) out[label] = text;
    }
}
