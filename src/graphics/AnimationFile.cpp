// The XML and binary readers of animation descriptions.
#include "graphics/AnimationFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"
#include "core/Xml.h"

// Larger descriptions are not animations; nothing reads them whole.
static constexpr int kMaxBinarySize = 64 << 20;

TString MakeDefaultAnimationScript(int frameCount)
{
    TString text = "function DoAnim()\n    delay(60);\n";
    if (frameCount > 0)
    {
        text += "    frames{";
        for (int i = 1; i <= frameCount; ++i) text += TString::Format(i == 1 ? "%d" : ",%d", i);
        text += "};\n";
    }
    return text + "end\n";
}

// ---------------------------------------------------------------------------
// XML

namespace
{

int Int(const TXmlNode& node, const char* name)
{
    return node.GetAttribute(name).ToInt();
}

void NoteMaxSize(TAnimationData& out, const TAnimationFrame& f)
{
    out.maxWidth = std::max(out.maxWidth, f.w);
    out.maxHeight = std::max(out.maxHeight, f.h);
}

// Up to six numbers separated by spaces, in order; the rest keep their values.
void ReadTransform(const TString& text, float xform[6])
{
    const char* p = text.CStr();
    for (int i = 0; i < 6; ++i)
    {
        while (*p == ' ') ++p;
        if (*p == '\0') return;
        xform[i] = float(std::atof(p));
        while (*p != '\0' && *p != ' ') ++p;
    }
}

void ReadXmlFrames(const TXmlNode& framelist, TAnimationData& out)
{
    int count = 0;
    for (const TXmlNode* child : framelist.Children())
        if (child->name == "frame") ++count;
    out.frames.assign(size_t(count), TAnimationFrame());
    int index = 0;
    for (const TXmlNode* child : framelist.Children())
    {
        if (!(child->name == "frame")) continue;
        const TXmlNode& node = *child;
        TAnimationFrame& f = out.frames[size_t(index)];
        const TAnimationFrame* previous = index > 0 ? &out.frames[size_t(index) - 1] : nullptr;
        f.x = Int(node, "x");
        f.y = Int(node, "y");
        f.w = Int(node, "w");
        f.h = Int(node, "h");
        f.name = node.GetAttribute("name");
        const TString alpha = node.GetAttribute("alpha");
        f.alpha = alpha.IsEmpty() ? 1.0f : alpha.ToFloat();
        if (!node.GetAttribute("regx").IsEmpty())
        {
            f.regX = Int(node, "regx");
            f.regY = Int(node, "regy");
        }
        else if (previous)
        {
            f.regX = previous->regX;
            f.regY = previous->regY;
        }
        const TString xform = node.GetAttribute("xform");
        if (!xform.IsEmpty() || !previous)
            ReadTransform(xform, f.xform);
        else
            std::copy(previous->xform, previous->xform + 6, f.xform);
        for (const TXmlNode* a : node.Children())
        {
            if (!(a->name == "anchor")) continue;
            TAnimationAnchor anchor;
            anchor.name = a->GetAttribute("name");
            anchor.x = Int(*a, "x");
            anchor.y = Int(*a, "y");
            f.anchors.push_back(anchor);
        }
        NoteMaxSize(out, f);
        ++index;
    }
}

}  // namespace

bool ReadAnimationXml(const TXmlNode& document, const TString& logName, TAnimationData& out)
{
    const TXmlNode* sequence = document.FindChild("sequence");
    if (!sequence)
    {
        LogPrintf("Animation %s does not contain a sequence node", logName.CStr());
        return false;
    }
    bool ok = true;
    out.sequenceName = sequence->GetAttribute("name");
    out.source = sequence->GetAttribute("source");

    if (const TXmlNode* img = sequence->FindChild("img"))
    {
        if (!img->GetAttribute("regx").IsEmpty())
        {
            out.imageRegX = Int(*img, "regx");
            out.imageRegY = Int(*img, "regy");
        }
        out.imageWidth = Int(*img, "w");
        out.imageHeight = Int(*img, "h");
        out.imageName = img->GetAttribute("name");
        out.maskName = img->GetAttribute("mask");
    }
    else
    {
        LogPrintf("Animation %s does not contain an img node", logName.CStr());
        ok = false;
    }

    if (const TXmlNode* framelist = sequence->FindChild("framelist"))
    {
        ReadXmlFrames(*framelist, out);
        if (out.frames.empty())
        {
            LogPrintf("Animation %s does not contain any frames!", logName.CStr());
            ok = false;
        }
    }
    else
    {
        LogPrintf("Animation %s does not contain a framelist node", logName.CStr());
        ok = false;
    }

    if (const TXmlNode* script = sequence->FindChild("script"))
    {
        out.script = script->GetAttribute("luascript");
        if (out.script.IsEmpty()) out.script = script->text;
    }
    else
    {
        out.script = MakeDefaultAnimationScript(int(out.frames.size()));
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Binary

namespace
{

// A bounds-checked little-endian cursor: every read fails once the bytes
// run out, and later reads keep failing.
class TByteReader
{
public:
    TByteReader(const void* bytes, size_t size)
        : p_(static_cast<const unsigned char*>(bytes)), left_(bytes ? size : 0)
    {
    }
    size_t Left() const { return left_; }
    bool Tag(const char tag[4])
    {
        if (left_ < 4 || std::memcmp(p_, tag, 4) != 0) return false;
        Skip(4);
        return true;
    }
    bool Int(int32_t& v)
    {
        if (left_ < 4) return false;
        v = int32_t(uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 |
                    uint32_t(p_[3]) << 24);
        Skip(4);
        return true;
    }
    bool Float(float& v)
    {
        int32_t bits = 0;
        if (!Int(bits)) return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool String(TString& v)
    {
        int32_t n = 0;
        if (!Int(n) || n < 0 || size_t(n) > left_) return false;
        v = TString(reinterpret_cast<const char*>(p_), n);
        Skip(size_t(n));
        return true;
    }
    // A count of records of at least minSize bytes each that the bytes left
    // can hold.
    bool Count(int32_t& n, size_t minSize)
    {
        return Int(n) && n >= 0 && size_t(n) <= left_ / minSize;
    }
    bool Skip(size_t n)
    {
        if (n > left_) return false;
        p_ += n;
        left_ -= n;
        return true;
    }

private:
    const unsigned char* p_;
    size_t left_;
};

bool ReadBinaryFrame(TByteReader& r, int32_t version, TAnimationFrame& f)
{
    if (!r.Int(f.regX) || !r.Int(f.regY) || !r.Int(f.x) || !r.Int(f.y) || !r.Int(f.w) ||
        !r.Int(f.h))
        return false;
    if (version > 1 && !r.Float(f.alpha)) return false;
    for (float& v : f.xform)
        if (!r.Float(v)) return false;
    int32_t anchors = 0;
    if (!r.String(f.name) || !r.Count(anchors, 12)) return false;
    f.anchors.resize(size_t(anchors));
    for (TAnimationAnchor& a : f.anchors)
        if (!r.Int(a.x) || !r.Int(a.y) || !r.String(a.name)) return false;
    return true;
}

}  // namespace

bool ReadAnimationBinary(const void* bytes, size_t size, TAnimationData& out)
{
    TByteReader r(bytes, size);
    int32_t ignored = 0, version = 0;
    if (!r.Tag("ANIM") || !r.Int(ignored) || !r.Int(version) || !r.String(out.sequenceName) ||
        !r.String(out.source))
        return false;
    if (!r.Tag("IMGN") || !r.Int(out.imageRegX) || !r.Int(out.imageRegY) ||
        !r.Int(out.imageWidth) || !r.Int(out.imageHeight))
        return false;
    if (version == 1 && !r.Skip(16)) return false;
    if (!r.String(out.imageName) || !r.String(out.maskName)) return false;

    // The smallest frame: six ints, six floats, the name and anchor counts.
    const size_t minFrame = 6 * 4 + 6 * 4 + 4 + 4 + (version > 1 ? 4 : 0);
    int32_t count = 0;
    if (!r.Tag("FRMS") || !r.Count(count, minFrame)) return false;
    out.frames.assign(size_t(count), TAnimationFrame());
    for (TAnimationFrame& f : out.frames)
    {
        if (!ReadBinaryFrame(r, version, f)) return false;
        NoteMaxSize(out, f);
    }
    if (r.Tag("SCRP")) return r.String(out.script);
    out.script = MakeDefaultAnimationScript(count);
    return true;
}

// ---------------------------------------------------------------------------
// Files

namespace
{

bool ReadBinaryFile(const TString& fileName, TAnimationData& out)
{
    TFileHandle* file = OpenFileByName(fileName, 0);
    if (!file) return false;
    const int length = file->GetLength();
    bool ok = false;
    if (length >= 0 && length <= kMaxBinarySize)
    {
        std::vector<unsigned char> bytes(static_cast<size_t>(length));
        ok = file->Read(bytes.data(), length) == length &&
             ReadAnimationBinary(bytes.data(), bytes.size(), out);
    }
    CloseFileHandle(file);
    return ok;
}

}  // namespace

bool LoadAnimationFile(const TString& name, const TString& logName, TAnimationData& out)
{
    TString file = name;
    if (!FileExists(file))
    {
        file = name + ".xml";
        if (!FileExists(file))
        {
            file = name + ".anm";
            if (!FileExists(file)) return false;
        }
    }
    if (file.Find(".xml", kFindIgnoreCase) >= 0)
    {
        TXmlNode document;
        return document.LoadFile(file.CStr()) && ReadAnimationXml(document, logName, out);
    }
    if (file.Find(".anm", kFindIgnoreCase) >= 0) return ReadBinaryFile(file, out);
    return false;
}
