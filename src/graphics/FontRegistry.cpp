// The font registry and its fall-backs.
#include "graphics/FontRegistry.h"

#include <vector>

#include "core/FileHandle.h"
#include "core/FileData.h"
#include "core/Log.h"
#include "graphics/VecDraw.h"

extern const unsigned char kDefaultFontData[];
extern const size_t kDefaultFontData_size;

namespace
{

const char* kDefaultName = "__DEFAULT";
const char* kDefaultFile = "fonts/default.mvec";

std::unique_ptr<TVecFont> LoadFontFile(const TString& name, bool* opened)
{
    TFileHandle file;
    *opened = file.Open(name, kFileReadBinary);
    if (!*opened) return nullptr;
    const int length = file.GetLength();
    std::vector<uint8_t> bytes(size_t(length > 0 ? length : 0));
    const int got = length > 0 ? file.Read(bytes.data(), length) : 0;
    bytes.resize(size_t(got > 0 ? got : 0));
    return TVecFont::Load(std::move(bytes), name);
}

}  // namespace

std::unique_ptr<TVecFont> TFontRegistry::MakeBuiltInFont()
{
    return std::make_unique<TVecFont>(
        std::vector<uint8_t>(kDefaultFontData, kDefaultFontData + kDefaultFontData_size));
}

TVecFont* TFontRegistry::GetFont(const TString& requested)
{
    const TString name = requested.IsEmpty() ? TString(kDefaultName) : requested;
    auto found = fonts_.find(name.CStr());
    if (found != fonts_.end()) return found->second.get();

    std::unique_ptr<TVecFont> font;
    if (name == kDefaultName)
    {
        font = MakeBuiltInFont();
    }
    else
    {
        bool opened = false;
        font = LoadFontFile(name, &opened);
        // A missing or refused file falls back the same way.
        if (!font) font = LoadFontFile(kDefaultFile, &opened);
        if (!font) font = MakeBuiltInFont();
    }
    if (font && !font->IsUsable()) font.reset();
    if (!font) LogPrintf("Font not found: %s", name.CStr());
    TVecFont* result = font.get();
    fonts_[name.CStr()] = std::move(font);
    return result;
}

void TFontRegistry::Clear()
{
    if (TQvMiniVecDraw* draw = GetVecDraw()) draw->ClearCache();
    fonts_.clear();
}

TFontRegistry& GetFontRegistry()
{
    static TFontRegistry registry;
    return registry;
}
