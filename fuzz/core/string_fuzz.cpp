// Runs a byte-coded sequence of TString edits and searches against a
// std::string model, with a shared copy that must never change, and feeds
// the raw bytes to the UTF-8 decoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/String.h"

namespace
{

// Reads the input as a stream of small numbers.
struct Reader
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    int Byte() { return at < size ? data[at++] : 0; }
    // Text over a four-letter alphabet in both cases, so searches hit often.
    std::string Text(int maxLength)
    {
        int n = Byte() % (maxLength + 1);
        std::string s;
        for (int i = 0; i < n; ++i) s += "abAB"[Byte() % 4];
        return s;
    }
};

void Check(bool ok)
{
    if (!ok) abort();
}

int ModelFind(const std::string& s, const std::string& needle, int flags, int start)
{
    int length = static_cast<int>(s.size());
    if (start < 0) start = 0;
    if (start >= length) return -1;
    std::string hay = s;
    std::string pat = needle;
    if (flags & kFindIgnoreCase)
    {
        for (char& c : hay) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        for (char& c : pat) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    int last = length - static_cast<int>(pat.size());
    if (flags & kFindBackwards)
    {
        int from = last - start;
        if (from < 0) return -1;
        size_t r = hay.rfind(pat, static_cast<size_t>(from));
        return r == std::string::npos ? -1 : static_cast<int>(r);
    }
    if (start > last) return -1;
    size_t r = hay.find(pat, static_cast<size_t>(start));
    return r == std::string::npos ? -1 : static_cast<int>(r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The decoder must never read past the NUL of any byte sequence.
    std::string raw(reinterpret_cast<const char*>(data), size);
    for (size_t i = 0; i < raw.size(); ++i) Utf8Decode(raw.c_str() + i);

    Reader in{data, size};
    TString s;
    std::string model;
    TString frozen;
    std::string frozenModel;
    int steps = 0;
    while (in.More() && steps++ < 200)
    {
        int length = static_cast<int>(model.size());
        int op = in.Byte() % 9;
        // Replace-all can quadruple the text per step: past a few KB only cut.
        if (length > 4096) op = 2;
        switch (op)
        {
            case 0:
            {
                std::string t = in.Text(12);
                s += TString(t.c_str());
                model += t;
                break;
            }
            case 1:
            {
                int position = in.Byte() % (length + 2) - 1;  // -1 .. length
                std::string t = in.Text(40);
                int at = position < 0 ? length : position;
                // Unterminated writes only inside the text: past it, stale bytes of
                // earlier texts would show, which the model does not keep.
                bool terminate = at + static_cast<int>(t.size()) >= length || (in.Byte() & 1);
                int r = s.WriteAt(position, t.data(), static_cast<int>(t.size()), terminate);
                Check(r == at + static_cast<int>(t.size()));
                if (terminate)
                    model = model.substr(0, static_cast<size_t>(at)) + t;
                else
                    model.replace(static_cast<size_t>(at), t.size(), t);
                break;
            }
            case 2:
            {
                int start = in.Byte() % (length + 3) - 1;
                int count = in.Byte() % (length + 3) - 1;
                s.Erase(start, count);
                if (start >= 0 && start < length && count != 0)
                    model.erase(static_cast<size_t>(start),
                                count < 0 ? std::string::npos : static_cast<size_t>(count));
                break;
            }
            case 3:
            {
                std::string search = in.Text(3);
                std::string replacement = in.Text(4);
                int flags = in.Byte() & (kFindIgnoreCase | kReplaceAll);
                int start = in.Byte() % (length + 2);
                s.Replace(search.c_str(), replacement.c_str(), flags, start);
                if (!search.empty())
                {
                    int position = start;
                    for (;;)
                    {
                        int found = ModelFind(model, search, flags & kFindIgnoreCase, position);
                        if (found < 0) break;
                        model.replace(static_cast<size_t>(found), search.size(), replacement);
                        if (!(flags & kReplaceAll)) break;
                        position = found + static_cast<int>(replacement.size());
                    }
                }
                break;
            }
            case 4:
            {
                std::string needle = in.Text(3);
                int flags = in.Byte() & (kFindIgnoreCase | kFindBackwards);
                int start = in.Byte() % (length + 2) - 1;
                Check(s.Find(needle.c_str(), flags, start) ==
                      ModelFind(model, needle, flags, start));
                if (!needle.empty())
                    Check(s.FindChar(needle[0], flags, start) ==
                          ModelFind(model, needle.substr(0, 1), flags, start));
                break;
            }
            case 5:
            {
                int start = in.Byte() % (length + 3) - 1;
                int count = in.Byte() % (length + 3) - 1;
                TString sub = s.Substring(start, count);
                std::string expected;
                if (start >= 0 && start < length && count != 0)
                    expected =
                        model.substr(static_cast<size_t>(start),
                                     count < 0 ? std::string::npos : static_cast<size_t>(count));
                Check(expected == sub.CStr());
                break;
            }
            case 6:
                frozen = s;
                frozenModel = model;
                break;
            case 7:
                s.ToLower();
                for (char& c : model) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
                break;
            case 8:
                s.Reserve(in.Byte());
                break;
        }
        Check(model == s.CStr());
        Check(frozenModel == frozen.CStr());
        Check(s.Capacity() == 0 || s.Capacity() > s.Length());
    }
    return 0;
}
