// TLog: the game's three data folders under its per-user data folder.
#include "game/app/Log.h"

#include <filesystem>
#include <system_error>

#include "core/Folders.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"

namespace
{

bool IsFolder(const TString& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path.CStr(), error);
}

}  // namespace

TLog::TLog()
{
    TString folder;
    if (GetAppDataFolder(false, folder, GetSetting(kSettingGameName)) != 0)
    {
        LogPrintf("TLog: no per-user data folder; the data folders stay as they are");
        return;
    }
    while (folder.Length() > 1 && folder.CStr()[folder.Length() - 1] == '/')
        folder = TString(folder.CStr(), folder.Length() - 1);
    const TString users = folder + "/users";
    const TString common = folder + "/common";
    const TString desktop = folder + "/desktop";
    for (const TString* path : {&users, &common, &desktop}) CreateFolderChain(*path);
    if (!IsFolder(users) || !IsFolder(common) || !IsFolder(desktop))
    {
        LogPrintf("TLog: cannot make the data folders under %s; the data folders stay as they are",
                  folder.CStr());
        return;
    }
    base_ = folder;
    SetUserDataFolder(users);
    SetCommonDataFolder(common);
    SetDesktopFolder(desktop);
}

void TLog::Write(const TString&) {}
