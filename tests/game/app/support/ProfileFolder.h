// A private user-data folder for the profile a test makes, with the game's
// preferences key set; the folder goes with the object.
#pragma once

#include <stdlib.h>

#include <filesystem>

#include "core/Folders.h"
#include "core/Settings.h"
#include "game/app/StartupSettings.h"

namespace gameapptest
{

class ProfileFolder
{
public:
    ProfileFolder()
    {
        char pattern[] = "/tmp/orvelle-profile-XXXXXX";
        if (mkdtemp(pattern) != nullptr) path_ = pattern;
        SetUserDataFolder(TString(path_.c_str()));
        SetSetting("encryptionkey", kGameEncryptionKey);
    }
    ~ProfileFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ProfileFolder(const ProfileFolder&) = delete;
    ProfileFolder& operator=(const ProfileFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace gameapptest
