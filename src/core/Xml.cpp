// The XML reader (character sources, tokens, references, elements and
// content), the ZXML container and the writer.
#include "core/Xml.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Log.h"
#include "core/XmlFileAccess.h"

// ---------------------------------------------------------------------------
// Character sources

int TGetChar::ReadUtf8Char(unsigned char group[4], int& groupLen)
{
    groupLen = 0;
    const int c = stop ? -1 : GetChar();
    if (c < 0) return -1;
    group[groupLen++] = static_cast<unsigned char>(c);
    const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    for (int i = 0; i < more; ++i)
    {
        const int d = stop ? -1 : GetChar();
        if (d < 0) break;
        group[groupLen++] = static_cast<unsigned char>(d);
    }
    return c;
}

void TGetChar::PushBack(const unsigned char group[4], int groupLen)
{
    for (int i = groupLen - 1; i >= 0; --i) UngetChar(group[i]);
}

int TGetCharString::UngetChar(int byte)
{
    if (pos_ == 0) return -1;
    --pos_;
    return byte;
}

int TGetCharString::GetChar()
{
    if (pos_ >= size_) return -1;
    return data_[pos_++];
}

TGetCharFile::TGetCharFile(const TString& fileName) : fileName_(fileName)
{
    file_ = XmlOpenFile(fileName_);
}

TGetCharFile::~TGetCharFile()
{
    XmlCloseFile(file_);
}

int TGetCharFile::UngetChar(int byte)
{
    if (!file_ || !XmlStepBack(file_)) return -1;
    return byte;
}

int TGetCharFile::GetChar()
{
    return file_ ? XmlReadByte(file_) : -1;
}

void TGetCharFile::Rewind()
{
    if (file_) XmlRewindFile(file_);
}

bool TGetCharFile::Reopen()
{
    XmlCloseFile(file_);
    file_ = XmlOpenFile(fileName_);
    return file_ != nullptr;
}

// ---------------------------------------------------------------------------
// Tokens and references

namespace
{

struct XmlToken
{
    std::string bytes;  // grows as needed: long tokens are never cut
    int length = 0;
    bool quoted = false;
    bool fromEntity = false;

    XmlToken() { bytes.reserve(256); }
    TString Text() const { return TString(bytes.data(), length); }
    bool Is(char c) const { return length == 1 && bytes[0] == c && !fromEntity; }
    bool BeginsWith(char c) const { return length > 0 && bytes[0] == c && !fromEntity; }
};

bool IsSpaceGroup(int c, const unsigned char* group, int groupLen)
{
    if (c < 128 && std::isspace(c)) return true;
    // The U+FEFF signature counts as blank wherever it appears.
    return groupLen == 3 && group[0] == 0xEF && group[1] == 0xBB && group[2] == 0xBF;
}

void ReadXmlToken(TGetChar& src, XmlToken& token)
{
    token.bytes.clear();
    token.length = 0;
    token.quoted = false;
    token.fromEntity = false;

    unsigned char group[4];
    int groupLen = 0;
    int c;
    do
    {
        c = src.ReadUtf8Char(group, groupLen);
        if (c < 0) return;
    } while (IsSpaceGroup(c, group, groupLen));

    if (c == '<' || c == '>' || c == '=')
    {
        token.bytes.push_back(static_cast<char>(c));
        token.length = 1;
        return;
    }
    if (c == '"')
    {
        token.quoted = true;
        for (;;)
        {
            c = src.ReadUtf8Char(group, groupLen);
            if (c < 0 || c == '"') break;
            token.bytes.append(reinterpret_cast<const char*>(group), static_cast<size_t>(groupLen));
        }
    }
    else
    {
        token.bytes.append(reinterpret_cast<const char*>(group), static_cast<size_t>(groupLen));
        for (;;)
        {
            c = src.ReadUtf8Char(group, groupLen);
            if (c < 0 || IsSpaceGroup(c, group, groupLen)) break;
            if (c == '<' || c == '>' || c == '=')
            {
                src.PushBack(group, groupLen);
                // "/>" must reach the element reader as "/" then ">".
                if (c == '>' && token.bytes.size() > 1 && token.bytes.back() == '/')
                {
                    src.UngetChar('/');
                    token.bytes.pop_back();
                }
                break;
            }
            token.bytes.append(reinterpret_cast<const char*>(group), static_cast<size_t>(groupLen));
        }
    }
    int len = static_cast<int>(token.bytes.size());
    bool fromEntity = false;
    DecodeXmlEntities(token.bytes.data(), len, fromEntity);
    token.bytes.resize(static_cast<size_t>(len));
    token.length = len;
    token.fromEntity = fromEntity;
}

struct NamedEntity
{
    const char* name;
    char value;
};

const NamedEntity kEntities[] = {
    {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''},
};

// The number of a numeric reference between "&#" and ";": decimal as atoi
// reads it, or hexadecimal after "x". False when no digit is there.
bool ParseCharReference(const char* p, const char* end, unsigned& value)
{
    value = 0;
    bool digits = false;
    if (p < end && (*p == 'x' || *p == 'X'))
    {
        for (++p; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p)
        {
            const int d = std::isdigit(static_cast<unsigned char>(*p))
                              ? *p - '0'
                              : (std::tolower(static_cast<unsigned char>(*p)) - 'a' + 10);
            value = value * 16 + static_cast<unsigned>(d);
            digits = true;
        }
        return digits;
    }
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Unsigned wrap-around keeps the low 8 bits exact for any digit count.
    for (; p < end && std::isdigit(static_cast<unsigned char>(*p)); ++p)
    {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        digits = true;
    }
    if (negative) value = 0u - value;
    return digits;
}

}  // namespace

void DecodeXmlEntities(char* token, int& len, bool& beganWithEntity)
{
    beganWithEntity = false;
    int r = 0, w = 0;
    // Where the next ';' at or after the scan stands (len: none). Searching
    // afresh at every "&#" would make a long run of them quadratic.
    int semi = -1;
    while (r < len)
    {
        if (token[r] == '&')
        {
            if (r + 1 < len && token[r + 1] == '#')
            {
                if (semi < r + 2)
                {
                    const void* found =
                        std::memchr(token + r + 2, ';', static_cast<size_t>(len - r - 2));
                    semi = found ? static_cast<int>(static_cast<const char*>(found) - token) : len;
                }
                unsigned value = 0;
                if (semi < len && ParseCharReference(token + r + 2, token + semi, value))
                {
                    if (w == 0) beganWithEntity = true;
                    token[w++] = static_cast<char>(value & 0xFF);
                    r = semi + 1;
                    continue;
                }
            }
            else
            {
                bool matched = false;
                for (const NamedEntity& e : kEntities)
                {
                    const int n = static_cast<int>(std::strlen(e.name));
                    if (len - r - 1 >= n &&
                        std::memcmp(token + r + 1, e.name, static_cast<size_t>(n)) == 0)
                    {
                        if (w == 0) beganWithEntity = true;
                        token[w++] = e.value;
                        r += 1 + n;
                        matched = true;
                        break;
                    }
                }
                if (matched) continue;
            }
        }
        token[w++] = token[r++];
    }
    len = w;
}

// ---------------------------------------------------------------------------
// TXmlNode

TString XmlAttributeValue(const XmlAttribute& attribute)
{
    return attribute.value;
}

TXmlNode::TXmlNode() = default;

TXmlNode::TXmlNode(const char* nodeName) : name(nodeName) {}

TXmlNode::~TXmlNode()
{
    for (TXmlNode* child : children_) delete child;
    for (XmlAttribute* attribute : attributes_) delete attribute;
}

TXmlNode* TXmlNode::AddChild(const TString& childName)
{
    TXmlNode* child = new TXmlNode;
    child->name = childName;
    children_.push_back(child);
    return child;
}

void TXmlNode::OnElementClosed(const TString&) {}

void TXmlNode::AppendText(const TString& token, int len)
{
    if (textLength != 0)
    {
        const int end = text.WriteAt(textLength, " ", 1, true);
        if (end < 0) return;
        textLength = end;
    }
    const int end = text.WriteAt(textLength, token.CStr(), len, true);
    if (end >= 0) textLength = end;
}

void TXmlNode::AddAttribute(const TString& attributeName, const TString& value, bool quoted)
{
    attributes_.push_back(new XmlAttribute{attributeName, value, quoted});
}

TXmlNode* TXmlNode::ReadElement(TGetChar& src, bool& endTag)
{
    endTag = false;
    int state = 0;
    TString pending;
    bool pendingSlashOrQuestion = false;
    bool declaration = false;
    TXmlNode* child = nullptr;
    XmlToken token;
    for (;;)
    {
        ReadXmlToken(src, token);
        if (token.length == 0 && !(token.quoted && state == 2))
        {
            src.error = true;
            return child;
        }
        if (token.Is('>'))
        {
            if (pendingSlashOrQuestion || declaration)
            {
                if (child) child->OnElementClosed(pending);
                return nullptr;
            }
            return child;
        }
        switch (state)
        {
            case 0:
                if (token.BeginsWith('/'))
                {
                    endTag = true;
                    OnElementClosed(token.Text());
                    do ReadXmlToken(src, token);
                    while (token.length != 0 && !token.Is('>'));
                    if (token.length == 0) src.error = true;
                    return nullptr;
                }
                child = AddChild(token.Text());
                declaration = std::strcmp(child->name.CStr(), "?xml") == 0 ||
                              std::strcmp(child->name.CStr(), "!DOCTYPE") == 0 ||
                              std::strncmp(child->name.CStr(), "!--", 3) == 0;
                state = 1;
                break;
            case 1:
                if (token.Is('='))
                {
                    state = 2;
                }
                else
                {
                    pending = token.Text();
                    pendingSlashOrQuestion =
                        token.length > 0 && (token.bytes[0] == '/' || token.bytes[0] == '?');
                }
                break;
            default:
                child->AddAttribute(pending, token.Text(), token.quoted);
                pending = TString();
                pendingSlashOrQuestion = false;
                state = 1;
                break;
        }
    }
}

void TXmlNode::ReadContent(TGetChar& src)
{
    XmlToken token;
    for (;;)
    {
        ReadXmlToken(src, token);
        if (token.length == 0)
        {
            // Only the document itself may end with the input.
            if (src.nestingDepth > 0) src.error = true;
            return;
        }
        if (!token.BeginsWith('<'))
        {
            AppendText(token.Text(), token.length);
            continue;
        }
        bool endTag = false;
        TXmlNode* child = ReadElement(src, endTag);
        if (child)
        {
            if (src.nestingDepth >= kMaxDepth)
            {
                LogPrintf(
                    "XML: elements nested deeper than %d; the rest of the document is ignored",
                    kMaxDepth);
                src.stop = true;
                return;
            }
            ++src.nestingDepth;
            child->ReadContent(src);
            --src.nestingDepth;
        }
        if (endTag) return;
    }
}

bool TXmlNode::Parse(const char* buffer)
{
    if (!buffer) return false;
    return Parse(buffer, std::strlen(buffer));
}

bool TXmlNode::Parse(const void* data, size_t size)
{
    if (!data) return false;
    if (size >= 4 && std::memcmp(data, "ZXML", 4) == 0) return ParseZxml(data, size);
    TGetCharString src(data, size);
    ReadContent(src);
    return !src.error && !src.stop;
}

bool InflateZxml(const void* container, size_t size, std::vector<unsigned char>& text)
{
    text.clear();
    const auto* bytes = static_cast<const unsigned char*>(container);
    if (!bytes || size < 12 || std::memcmp(bytes, "ZXML", 4) != 0)
    {
        LogPrintf("ZXML: container too short or without its magic (%zu bytes)", size);
        return false;
    }
    auto le32 = [bytes](size_t at)
    {
        return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
               (static_cast<uint32_t>(bytes[at + 2]) << 16) |
               (static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    size_t compressed = le32(4);
    const size_t declared = le32(8);
    if (compressed > size - 12) compressed = size - 12;
    if (declared > TXmlNode::kMaxZxmlText)
    {
        LogPrintf("ZXML: declared text of %zu bytes is above the limit", declared);
        return false;
    }
    if (declared == 0) return true;

    // Inflate in steps rather than trusting the declared length up front.
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
    {
        LogPrintf("ZXML: inflation could not start");
        return false;
    }
    zs.next_in = const_cast<Bytef*>(bytes + 12);
    zs.avail_in = static_cast<uInt>(compressed);
    int rc = Z_OK;
    while (rc == Z_OK)
    {
        const size_t have = text.size();
        if (have >= declared)
        {
            // Output beyond the declared length: the header lied.
            rc = Z_BUF_ERROR;
            break;
        }
        // Grow geometrically: a lying header costs no more than the real output.
        const size_t step = std::min<size_t>(declared - have, std::max<size_t>(16384, have));
        text.resize(have + step);
        zs.next_out = text.data() + have;
        zs.avail_out = static_cast<uInt>(step);
        rc = inflate(&zs, Z_NO_FLUSH);
        text.resize(have + step - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) break;  // input ran out
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
    {
        LogPrintf("ZXML: inflation failed (zlib %d); the document is read as empty", rc);
        text.clear();
        return false;
    }
    // The stream itself is whole, so its text is kept; the header still lied.
    if (text.size() != declared)
        LogPrintf("ZXML: header declares %zu bytes of text, the container holds %zu", declared,
                  text.size());
    return true;
}

bool TXmlNode::ParseZxml(const void* container, size_t size)
{
    std::vector<unsigned char> text;
    if (!InflateZxml(container, size, text)) return false;
    TGetCharString src(text.data(), text.size());
    ReadContent(src);
    return !src.error && !src.stop;
}

bool TXmlNode::LoadFile(const char* fileName, bool* whole)
{
    std::vector<unsigned char> data;
    if (whole) *whole = false;
    if (!XmlReadWholeFile(TString(fileName), data)) return false;
    const bool complete = Parse(data.data(), data.size());
    if (whole) *whole = complete;
    return true;
}

TXmlNode* TXmlNode::FindChild(const char* childName) const
{
    if (!childName) return nullptr;
    for (TXmlNode* child : children_)
    {
        if (std::strcmp(child->name.CStr(), childName) == 0) return child;
    }
    return nullptr;
}

bool TXmlNode::NextChild(TString& childName, TXmlNode*& node)
{
    if (childWalk_ >= children_.size()) return false;
    node = children_[childWalk_++];
    childName = node->name;
    return true;
}

TString TXmlNode::GetAttribute(const char* attributeName, bool* quoted) const
{
    if (!attributeName) return TString();
    for (const XmlAttribute* attribute : attributes_)
    {
        if (std::strcmp(attribute->name.CStr(), attributeName) == 0)
        {
            if (quoted) *quoted = attribute->quoted;
            return attribute->value;
        }
    }
    return TString();
}

void TXmlNode::SetAttribute(const TString& attributeName, const TString& value)
{
    for (XmlAttribute* attribute : attributes_)
    {
        if (std::strcmp(attribute->name.CStr(), attributeName.CStr()) == 0)
        {
            attribute->value = value;
            attribute->quoted = true;
            return;
        }
    }
    attributes_.push_back(new XmlAttribute{attributeName, value, true});
}

bool TXmlNode::NextAttribute(TString& attributeName, TString& value)
{
    if (attributeWalk_ >= attributes_.size()) return false;
    const XmlAttribute* attribute = attributes_[attributeWalk_++];
    attributeName = attribute->name;
    value = attribute->value;
    return true;
}

// ---------------------------------------------------------------------------
// Writing

TString EscapeXml(const char* input)
{
    TString out;
    if (!input) return out;
    const size_t len = std::strlen(input);
    if (len < (1u << 29)) out.Reserve(static_cast<int>(2 * len));
    int pos = 0;
    char number[8];
    for (size_t i = 0; i < len; ++i)
    {
        const signed char c = static_cast<signed char>(input[i]);
        const char* piece = nullptr;
        int n = 1;
        if (c < 32)
        {
            n = std::snprintf(number, sizeof number, "&#%d;", static_cast<unsigned char>(c));
            piece = number;
        }
        else
        {
            switch (c)
            {
                case '&':
                    piece = "&amp;";
                    break;
                case '<':
                    piece = "&lt;";
                    break;
                case '>':
                    piece = "&gt;";
                    break;
                case '"':
                    piece = "&quot;";
                    break;
                case '\'':
                    piece = "&apos;";
                    break;
                default:
                    piece = input + i;
                    break;
            }
            if (piece != input + i) n = static_cast<int>(std::strlen(piece));
        }
        const int end = out.WriteAt(pos, piece, n, true);
        if (end < 0) break;
        pos = end;
    }
    return out;
}

namespace
{

void Put(TString& out, int& pos, const char* bytes, int count)
{
    const int end = out.WriteAt(pos, bytes, count, true);
    if (end >= 0) pos = end;
}

void Put(TString& out, int& pos, const char* text)
{
    Put(out, pos, text, static_cast<int>(std::strlen(text)));
}

void Put(TString& out, int& pos, const TString& text)
{
    Put(out, pos, text.CStr(), text.Length());
}

void Indent(TString& out, int& pos, int count)
{
    static const char kSpaces[] = "                                ";
    while (count > 0)
    {
        const int n = count < 32 ? count : 32;
        Put(out, pos, kSpaces, n);
        count -= n;
    }
}

}  // namespace

void TXmlNode::Write(TString& out, int& position, int indent) const
{
    Indent(out, position, indent);
    Put(out, position, "<");
    Put(out, position, name);
    for (const XmlAttribute* attribute : attributes_)
    {
        Put(out, position, "\n");
        Indent(out, position, indent + 4);
        Put(out, position, EscapeXml(attribute->name.CStr()));
        Put(out, position, "=");
        if (attribute->quoted) Put(out, position, "\"");
        Put(out, position, EscapeXml(attribute->value.CStr()));
        if (attribute->quoted) Put(out, position, "\"");
    }
    Put(out, position, ">\n");
    if (textLength != 0)
    {
        Indent(out, position, indent);
        Put(out, position, EscapeXml(text.CStr()));
        Put(out, position, "\n");
    }
    for (const TXmlNode* child : children_) child->Write(out, position, indent + 4);
    Indent(out, position, indent);
    Put(out, position, "</");
    Put(out, position, EscapeXml(name.CStr()));
    Put(out, position, ">\n");
}

TString TXmlNode::ToString()
{
    TString out;
    out.Reserve(sizeHint);
    int position = 0;
    Write(out, position, 0);
    if (position > sizeHint) sizeHint = position + 1;
    return out;
}
