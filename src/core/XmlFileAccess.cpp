// File access for the XML reader and its neighbours, over logical names.
#include "core/XmlFileAccess.h"

#include <sys/stat.h>

#include "core/AssetIndex.h"
#include "core/FileHandle.h"
#include "core/FileNames.h"
#include "core/Log.h"

namespace
{

// Whether something stands on disk under name even though it cannot be
// opened (no permission, not a regular file). A missing data file is normal;
// one that is there but unusable is worth a log line. Only looks: resolving
// for writing would enter new names into the index.
bool IsPresentOnDisk(const TString& name)
{
    TString path;
    if (NameStartsWith(name, "::"))
    {
        path = name.Substring(2);
    }
    else
    {
        TFileNameIndex& index = GetFileNameIndex();
        auto hit = index.find(LowerCaseName(name).CStr());
        if (hit == index.end() || hit->second.kind != TFileKind::kDisk) return false;
        path = hit->second.text;
    }
    struct stat info;
    return !path.IsEmpty() && lstat(path.CStr(), &info) == 0;
}

}  // namespace

TFileHandle* XmlOpenFile(const TString& name)
{
    return OpenFileByName(name, kFileReadBinary);
}

void XmlCloseFile(TFileHandle* file)
{
    CloseFileHandle(file);
}

int XmlReadByte(TFileHandle* file)
{
    return GetFileHandleByte(file);
}

bool XmlStepBack(TFileHandle* file)
{
    const int at = TellFileHandle(file);
    if (at <= 0) return false;
    SeekFileHandle(file, at - 1, kSeekStart);
    return true;
}

void XmlRewindFile(TFileHandle* file)
{
    SeekFileHandle(file, 0, kSeekStart);
}

bool XmlReadWholeFile(const TString& name, std::vector<unsigned char>& data)
{
    data.clear();
    TFileHandle* file = XmlOpenFile(name);
    if (!file)
    {
        if (IsPresentOnDisk(name)) LogPrintf("Cannot open %s", name.CStr());
        return false;
    }
    SeekFileHandle(file, 0, kSeekEnd);
    const int length = TellFileHandle(file);
    SeekFileHandle(file, 0, kSeekStart);
    if (length < 0 || length > kMaxWholeFile)
    {
        LogPrintf("Cannot read %s whole (%d bytes)", name.CStr(), length);
        CloseFileHandle(file);
        return false;
    }
    data.resize(static_cast<size_t>(length));
    const int got = length ? ReadFileHandle(file, data.data(), length) : 0;
    CloseFileHandle(file);
    if (got != length)
    {
        LogPrintf("Cannot read %s whole (%d of %d bytes)", name.CStr(), got, length);
        data.clear();
        return false;
    }
    return true;
}
