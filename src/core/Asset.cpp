// The TAsset base behaviour.
#include "core/Asset.h"

TAsset::~TAsset() = default;

const char* TAsset::GetClassName() const
{
    return "TAsset";
}

bool TAsset::IsKindOf(TClassId id) const
{
    return id == ClassId();
}

void TAsset::ReleaseDeviceData() {}

void TAsset::RestoreDeviceData() {}

TClassId TAsset::ClassId()
{
    static const char id = 0;
    return &id;
}
