// Tag decoding and the tag state.
#include "graphics/TextTags.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// "%x" of a colour value with or without '#': RRGGBB (alpha 255), or
// RRGGBBAA when exactly eight digits are given and eight are allowed.
TFloatVector4 ParseColour(const TString& value, bool allowAlpha)
{
    const char* s = value.CStr();
    if (*s == '#') ++s;
    unsigned v = 0;
    std::sscanf(s, "%x", &v);
    if (allowAlpha && std::strlen(s) == 8)
        return TFloatVector4(float((v >> 24) & 255) / 255.0f, float((v >> 16) & 255) / 255.0f,
                             float((v >> 8) & 255) / 255.0f, float(v & 255) / 255.0f);
    return TFloatVector4(float((v >> 16) & 255) / 255.0f, float((v >> 8) & 255) / 255.0f,
                         float(v & 255) / 255.0f, 1.0f);
}

}  // namespace

uint32_t DecodeUtf8(const char* text, int length, int* index)
{
    const int i = *index;
    const uint8_t lead = uint8_t(text[i]);
    int extra = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    if (i + extra >= length)
    {
        // The continuation bytes are not there: nothing is read past the end.
        *index = length - 1;
        return extra ? 0 : lead;
    }
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text + i);
    *index = i + extra;
    switch (extra)
    {
        case 0:
            return lead;
        case 1:
            return ((uint32_t(lead) << 6) & 0x7FF) | (p[1] & 0x3F);
        case 2:
            return ((uint32_t(lead) << 12) & 0xFFFF) | ((uint32_t(p[1]) << 6) & 0xFFF) | (p[2] & 0x3F);
        default:
            return ((uint32_t(lead) << 18) & 0x1FFFFF) | ((uint32_t(p[1]) << 12) & 0x3FFFF) |
                   ((uint32_t(p[2]) << 6) & 0xFFF) | (p[3] & 0x3F);
    }
}

int NormalizeTag(const char* text, int length, char out[129])
{
    out[0] = 0;
    if (length <= 0 || text[0] != '<') return 0;
    const void* close = std::memchr(text, '>', size_t(length));
    if (!close) return 0;
    bool quoted = false, value = false;
    int n = 0, i = 0;
    for (; i < length && n < 128; ++i)
    {
        const char c = text[i];
        if (c == '"' || c == '\'') quoted = !quoted;
        if (c == ' ' && !quoted)
        {
            value = false;
            continue;
        }
        if (c == '=') value = true;
        out[n++] = (value || quoted) ? c : char(std::tolower(uint8_t(c)));
        if (c == '>' && !quoted)
        {
            ++i;
            break;
        }
    }
    out[n] = 0;
    return i;
}

bool TagIs(const char* tag, const char* name)
{
    return tag[0] == '<' && std::strncmp(tag + 1, name, std::strlen(name)) == 0;
}

bool GetTagAttribute(const char* tag, const char* name, TString* value)
{
    const char* at = std::strstr(tag, name);
    if (!at) return false;
    at += std::strlen(name);
    char quote = '"';
    const char* open = std::strchr(at, '"');
    if (!open)
    {
        quote = '\'';
        open = std::strchr(at, '\'');
    }
    if (!open) return false;
    const char* end = std::strchr(open + 1, quote);
    if (!end) return false;
    *value = TString(open + 1, int(end - open - 1));
    return true;
}

bool ColorsDiffer(const TFloatVector4& a, const TFloatVector4& b)
{
    return a.x != b.x || a.y != b.y || a.z != b.z || a.w != b.w;
}

bool NearlyEqual(float a, float b)
{
    return b > a - 0.0001f && b < a + 0.0001f;
}

void TTagState::Reset(const TextAttributes& base)
{
    for (TextAttributes& a : fontStack) a = TextAttributes();
    fontStack[0] = base;
    fontTop = 0;
    bold = italic = underline = false;
    for (int& a : alignStack) a = 0;
    alignStack[0] = -1;
    alignTop = 0;
    linkId = TString();
    linkColor = base.color;
    outlineSize = 0.0f;
    outlineColor = TFloatVector4();
}

int ParseTag(const char* text, int length, TTagState& s, TTagEffects* fx)
{
    char tag[129];
    const int used = NormalizeTag(text, length, tag);
    if (used == 0) return 0;
    *fx = TTagEffects();
    TString v;
    auto pushAlign = [&](int value)
    {
        fx->endsLine = fx->alignChanged = true;
        if (s.alignTop + 1 < TTagState::kDepth) s.alignStack[s.alignTop + 1] = value;
        ++s.alignTop;
    };
    auto popAlign = [&]()
    {
        fx->endsLine = fx->alignChanged = true;
        if (s.alignTop > 0) --s.alignTop;
    };
    if (TagIs(tag, "br"))
    {
        fx->endsLine = true;
        if (GetTagAttribute(tag, "pad", &v)) fx->pad = v.ToInt();
    }
    else if (TagIs(tag, "/p"))
        fx->endsLine = true;
    else if (TagIs(tag, "a"))
    {
        if (GetTagAttribute(tag, "id", &v)) s.linkId = v;
        s.linkColor = GetTagAttribute(tag, "color", &v) ? ParseColour(v, false) : s.Font().color;
    }
    else if (TagIs(tag, "/a"))
    {
        s.linkId = TString();
        s.linkColor = s.Font().color;
    }
    else if (TagIs(tag, "b"))
        s.bold = true;
    else if (TagIs(tag, "/b"))
        s.bold = false;
    else if (TagIs(tag, "i"))
        s.italic = true;
    else if (TagIs(tag, "/i"))
        s.italic = false;
    else if (TagIs(tag, "u"))
        s.underline = true;
    else if (TagIs(tag, "/u"))
        s.underline = false;
    else if (TagIs(tag, "cursor"))
        fx->cursor = true;
    else if (TagIs(tag, "center"))
        pushAlign(1);
    else if (TagIs(tag, "left"))
        pushAlign(0);
    else if (TagIs(tag, "right"))
        pushAlign(2);
    else if (TagIs(tag, "/center") || TagIs(tag, "/left") || TagIs(tag, "/right"))
        popAlign();
    else if (TagIs(tag, "font"))
    {
        if (s.fontTop + 1 < TTagState::kDepth)
        {
            TextAttributes a = s.Font();
            if (GetTagAttribute(tag, "size", &v)) a.size = v.ToInt();
            if (GetTagAttribute(tag, "color", &v)) a.color = ParseColour(v, true);
            if (GetTagAttribute(tag, "face", &v)) a.face = v;
            s.fontStack[s.fontTop + 1] = a;
        }
        ++s.fontTop;
    }
    else if (TagIs(tag, "/font"))
    {
        if (s.fontTop > 0) --s.fontTop;
    }
    else if (TagIs(tag, "outline"))
    {
        if (GetTagAttribute(tag, "color", &v)) s.outlineColor = ParseColour(v, false);
        s.outlineSize = GetTagAttribute(tag, "size", &v) ? float(v.ToInt()) : 2.0f;
    }
    else if (TagIs(tag, "/outline"))
    {
        s.outlineSize = 0.0f;
        s.outlineColor = TFloatVector4();
    }
    else if (TagIs(tag, "tab"))
    {
        fx->tab = true;
        if (GetTagAttribute(tag, "pos", &v)) fx->tabPos = v.ToInt();
    }
    return used;
}
