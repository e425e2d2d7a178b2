// Helpers for the script host tests: a temporary folder that holds the debug
// log and script files (named by "::" literal paths), and log reading.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/FileTestSupport.h"
#include "core/Log.h"
#include "core/String.h"
#include "script/lang/lua.h"

namespace hosttest
{

namespace fs = std::filesystem;

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/orvelle-host-XXXXXX";
        char* made = mkdtemp(pattern);
        root_ =
            made != nullptr ? fs::path(made) : fs::temp_directory_path() / "orvelle-host-fallback";
        fs::create_directories(root_ / "log");
        SetLogFolder((root_ / "log").c_str());
    }
    ~TempFolder()
    {
        SetLogFolder(nullptr);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes a file and returns its logical "::" name.
    TString Write(const std::string& name, const std::string& bytes)
    {
        fs::path p = root_ / name;
        filetest::WriteAll(p, bytes);
        return TString(("::" + p.string()).c_str());
    }

    std::string Log() const { return filetest::ReadAll(root_ / "log" / "logfile.txt"); }
    // Occurrences of text in the log.
    int LogCount(const std::string& text) const
    {
        std::string log = Log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }

    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

}  // namespace hosttest
