// The program's folders and the small operating-system services under the
// host: full paths, the per-user / shared / desktop data folders, folder
// listing, the OS version tests and the hex formatter.
#pragma once

#include <dirent.h>

#include "core/String.h"

// Folder kinds understood by GetDataFolder.
enum : int
{
    kFolderDesktop = 0,
    kFolderUserData = 26,
    kFolderSharedData = 35,
};

// Absolute form of a path (relative paths are taken from the current folder;
// "." and ".." components are folded lexically, links are not resolved).
// "" for an empty name or when the current folder cannot be read.
TString GetFullPathUtf8(const TString& name);

// The short form of a path. This platform has no short names, so the text
// is left as it is (cut to size - 1 bytes when longer).
void ToShortPath(char* buffer, int size);

// The process's current folder; "" when it cannot be read.
TString GetCurrentDirectoryUtf8();

// Special folders.
// Per-user data: $XDG_DATA_HOME/<publisher>/<product> (XDG_DATA_HOME defaults
// to ~/.local/share; an empty or relative value is ignored). Shared data: a
// folder "common" beside it, $XDG_DATA_HOME/<publisher>/common, since this
// platform has no all-users writable folder. <publisher> is the setting
// "publisher", else "Corvantis"; a publisher stored as "" leaves that level
// out. Both folders are created.
// Returns 0 with the folder (trailing "/") in out, or -1 (out untouched) when
// the home folder is unknown, the product name is empty, or a name is "." or
// "..". '/' inside a publisher or product name becomes '_'.
int GetAppDataFolder(bool shared, TString& out, const TString& productName);
// Creates every missing folder of path, parents first. Returns nothing:
// failures are left to the later file operations, which then fail on their
// own.
void CreateFolderChain(const TString& path);
// Desktop: $XDG_DESKTOP_DIR when absolute, else ~/Desktop (created when
// missing). 0 with the folder in out (no trailing "/"), -1 when unknown.
int GetDesktopDir(TString& out);
// kFolderUserData / kFolderSharedData use GetAppDataFolder, kFolderDesktop
// GetDesktopDir. False for any other kind or when that call fails.
bool GetDataFolder(int kind, TString& out, const TString& productName);

// The folders the logical file names use. The program folder defaults to the
// folder of the running executable; the three data folders start empty
// (unavailable) until SetDataFolders or a setter runs. All are kept without a
// trailing "/" (the setters strip it).
TString GetProgramFolder();
void SetProgramFolder(const TString& folder);
TString GetUserDataFolder();
void SetUserDataFolder(const TString& folder);
TString GetCommonDataFolder();
void SetCommonDataFolder(const TString& folder);
TString GetDesktopFolder();
void SetDesktopFolder(const TString& folder);

// Start-up: fixes the three data folders from the product name. When
// embeddedWithoutPq is true all three become the program folder. Otherwise a
// failing per-user folder keeps the program folder, and the shared and
// desktop folders fall back to the per-user folder. Then "-wd=" on the
// command line ("-wd=path" up to a blank, or "-wd=\"path with blanks\"")
// changes the current folder, logging "Switching current directory to: %s".
void SetDataFolders(const TString& productName, const TString& commandLine, bool embeddedWithoutPq);

// Whether a file may be loaded as native code (game-state modules, the test
// harness library): only a regular file whose real path lies inside the
// program folder or its "assets" folder, and never inside the per-user,
// shared or desktop folders (files there can be dropped by anyone who can
// write the user's home). False for empty or missing paths.
bool IsNativeCodePathAllowed(const TString& path);

// Lists one folder. Begin closes any listing in progress; an empty folder
// leaves the iterator closed.
class TFolderIterator
{
public:
    TFolderIterator() = default;
    ~TFolderIterator();
    TFolderIterator(const TFolderIterator&) = delete;
    TFolderIterator& operator=(const TFolderIterator&) = delete;

    void Begin(const TString& folder);
    // The next entry's name, skipping "." and "..". Without isFolder, folders
    // are skipped. isFolder follows symbolic links; isLink (optional) tells
    // whether the entry itself is a symbolic link. False when no listing is
    // open or the entries have run out (the listing is then closed).
    bool Next(TString& name, bool* isFolder = nullptr, bool* isLink = nullptr);
    void Close();
    bool IsOpen() const { return dir_ != nullptr; }

private:
    DIR* dir_ = nullptr;
    TString folder_;
};

// The OS version tests. This platform reports itself as version 6.1, so all
// three are true; the rules themselves are the Version* functions below.
bool IsWindowsVistaOrLater();
bool IsWindowsXPOrLater();
bool IsWindows7OrLater();
bool VersionIsVistaOrLater(int major, int minor);
bool VersionIsXPOrLater(int major, int minor);
bool VersionIs7OrLater(int major, int minor);

// Two upper-case hex digits per byte, high nibble first; "" for count <= 0
// or null bytes.
TString BytesToHex(const void* bytes, int count);
