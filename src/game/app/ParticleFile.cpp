// The particle-system file reader.
#include "game/app/ParticleFile.h"

#include <cstring>

#include "core/FileData.h"
#include "core/FileHandle.h"
#include "core/Log.h"

namespace
{

// Bytes still to read; every read either takes all it asks for or nothing.
class TByteReader
{
public:
    TByteReader(const uint8_t* data, size_t size) : data_(data), left_(size) {}

    bool Byte(uint8_t& out)
    {
        if (left_ < 1) return false;
        out = *data_++;
        --left_;
        return true;
    }
    bool Word(uint32_t& out)
    {
        if (left_ < 4) return false;
        out = LoadLittle32(data_);
        data_ += 4;
        left_ -= 4;
        return true;
    }
    bool Int(int32_t& out)
    {
        uint32_t w;
        if (!Word(w)) return false;
        out = static_cast<int32_t>(w);
        return true;
    }
    bool Float(float& out)
    {
        uint32_t w;
        if (!Word(w)) return false;
        std::memcpy(&out, &w, 4);
        return true;
    }
    bool Pair(int32_t& a, int32_t& b)
    {
        if (left_ < 8) return false;
        return Int(a) && Int(b);
    }
    bool TwoFloats(float& a, float& b)
    {
        if (left_ < 8) return false;
        return Float(a) && Float(b);
    }

private:
    const uint8_t* data_;
    size_t left_;
};

// A count of pairs, then the pairs. A count far beyond the file stops at
// its end instead of trying every missing pair.
bool ReadPoints(TByteReader& in, std::vector<SParticlePoint>& points)
{
    int32_t count;
    if (!in.Int(count)) return false;
    for (int32_t i = 0; i < count; ++i)
    {
        SParticlePoint p;
        if (!in.Pair(p.x, p.y)) return false;
        points.push_back(p);
    }
    return true;
}

void ReadRecords(TByteReader& in, SParticleFile& out)
{
    for (;;)
    {
        uint8_t tag;
        if (!in.Byte(tag)) return;
        switch (tag)
        {
            case kParticleTagEnd:
            {
                uint8_t flag;
                if (in.Byte(flag)) out.blend = flag != 0;
                return;
            }
            case kParticleTagPosition:
            {
                float x, y;
                if (!in.TwoFloats(x, y)) return;
                out.hasPosition = true;
                out.positionX = x;
                out.positionY = y;
                break;
            }
            case kParticleTagExtraPoints:
                if (!ReadPoints(in, out.extraPoints)) return;
                break;
            case kParticleTagPathPoints:
                if (!ReadPoints(in, out.pathPoints)) return;
                break;
            case kParticleTagPathValues:
            {
                int32_t a, b;
                if (!in.Pair(a, b)) return;
                out.hasPathValues = true;
                out.pathValues[0] = a;
                out.pathValues[1] = b;
                break;
            }
            default:
                break;  // the next byte is the next tag
        }
    }
}

}  // namespace

bool ParseParticleFile(const uint8_t* data, size_t size, bool readRecords, const char* name,
                       SParticleFile& out)
{
    out = SParticleFile();
    if (size < kParticleParamsSize)
    {
        LogPrintf("ERROR: particle file %s: the parameter block has %zu of 128 bytes", name, size);
        return false;
    }
    if (const int replaced = DecodeParticleParams(data, out.params); replaced > 0)
    {
        LogPrintf("ERROR: particle file %s: %d parameters are not finite numbers, read as 0", name,
                  replaced);
    }
    if (readRecords)
    {
        TByteReader in(data + kParticleParamsSize, size - kParticleParamsSize);
        ReadRecords(in, out);
    }
    return true;
}

bool ReadParticleFile(const TString& name, bool readRecords, SParticleFile& out)
{
    out = SParticleFile();
    TFileHandle file;
    if (!file.Open(name, kFileReadBinary))
    {
        LogPrintf("ERROR: particle file %s cannot be opened", name.CStr());
        return false;
    }
    const int length = file.GetLength();
    std::vector<uint8_t> bytes(length > 0 ? static_cast<size_t>(length) : 0);
    const int got = bytes.empty() ? 0 : file.Read(bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return ParseParticleFile(bytes.data(), bytes.size(), readRecords, name.CStr(), out);
}
