// TFontRegistry: every vector font the text engine uses, loaded once by name
// and kept until shutdown. "__DEFAULT" is the built-in font (the bundled
// fonts/default.mvec, compiled in); any other name is a file read through the
// framework's file layer.
//
// Failure: a name that cannot be opened, or whose image is refused, is served
// by "fonts/default.mvec" and then by the built-in font, and remembered under
// the requested name; when no font could be made the name maps to null and
// "Font not found: %s" is logged once.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "core/String.h"
#include "graphics/VecFont.h"

class TFontRegistry
{
public:
    // The font for name (an empty name is "__DEFAULT"), or null.
    TVecFont* GetFont(const TString& name);
    // Frees every font. The vector drawer's span cache holds shape addresses
    // of these fonts, so it is emptied too.
    void Clear();
    size_t GetCount() const { return fonts_.size(); }

    // A font from the built-in image (tests and tools); never null.
    static std::unique_ptr<TVecFont> MakeBuiltInFont();

private:
    std::map<std::string, std::unique_ptr<TVecFont>> fonts_;
};

// The program's registry (graphics side; the display link empties it at
// shutdown).
TFontRegistry& GetFontRegistry();
