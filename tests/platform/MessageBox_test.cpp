// Headless runs turn message boxes into log lines instead of waiting for a
// click nobody can give.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Log.h"
#include "platform/MessageBox.h"

TEST(MessageBox, HeadlessBoxesAreLogged)
{
    char tmpl[] = "/tmp/h6mbXXXXXX";
    std::string dir = mkdtemp(tmpl);
    SetLogFolder(dir.c_str());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::ShowMessageBox("LoadRes", "missing \xC3\xA9 file");
    platform::SetMessageBoxesToLog(true);
    platform::ShowMessageBox("Second", "text");
    platform::SetMessageBoxesToLog(false);
    SetLogFolder(nullptr);
    std::ifstream in(dir + "/logfile.txt");
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_NE(std::string::npos, ss.str().find(": MessageBox: LoadRes: missing \xC3\xA9 file\n"))
        << ss.str();
    EXPECT_NE(std::string::npos, ss.str().find(": MessageBox: Second: text\n"));
    std::filesystem::remove_all(dir);
}
