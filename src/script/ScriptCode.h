// TScriptCode: the compiled form of a script file (a precompiled chunk),
// cached as a weakly held asset so that a file in use is compiled once.
#pragma once

#include <memory>
#include <vector>

#include "core/Asset.h"
#include "core/String.h"

class TScriptCode : public TAsset
{
public:
    explicit TScriptCode(std::vector<char> bytes);
    ~TScriptCode() override;

    const char* GetClassName() const override { return "TScriptCode"; }
    bool IsKindOf(TClassId id) const override { return id == ClassId() || TAsset::IsKindOf(id); }
    static TClassId ClassId();

    const char* GetBytes() const { return bytes_.data(); }
    size_t GetSize() const { return bytes_.size(); }

    // The compiled script for a file: the live cached one when the asset
    // manager has it, else compiled now in a scratch state (path empty means
    // "assets/?;../?;?") and registered under the name. Empty on failure (an
    // empty name, a missing file, a syntax error, no memory); error, when
    // given, then receives the message.
    static std::shared_ptr<TScriptCode> Get(const TString& name, const TString& path,
                                            TString* error = nullptr);

private:
    std::vector<char> bytes_;
};

// Installs the script kind's loader in the asset map's loader table (once at
// start-up).
void RegisterScriptCodeLoader();
