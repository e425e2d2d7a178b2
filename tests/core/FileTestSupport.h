// Helpers for the file, name-index and archive tests: a temporary folder
// tree that the test owns, a writer of packed archives (the program itself
// only reads them) and access to the log the code under test writes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "core/Archive.h"
#include "core/AssetIndex.h"
#include "core/Cipher.h"
#include "core/Folders.h"
#include "core/Log.h"
#include "core/Settings.h"

namespace filetest
{
namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Environment variables a test changes, put back (or unset again) when it
// ends.
class SavedEnvironment
{
public:
    explicit SavedEnvironment(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
        {
            const char* value = getenv(name);
            saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
        }
    }
    ~SavedEnvironment()
    {
        for (const Saved& s : saved_)
        {
            if (s.set)
                setenv(s.name.c_str(), s.value.c_str(), 1);
            else
                unsetenv(s.name.c_str());
        }
    }
    SavedEnvironment(const SavedEnvironment&) = delete;
    SavedEnvironment& operator=(const SavedEnvironment&) = delete;

private:
    struct Saved
    {
        std::string name;
        bool set;
        std::string value;
    };
    std::vector<Saved> saved_;
};

// A fresh folder under the system temp folder, made the current folder
// (the asset scan works relative to it), removed again at the end. The log
// goes into it, and the index, archives and data folders start empty.
class TempTree
{
public:
    TempTree()
    {
        char pattern[] = "/tmp/orvelle-files-XXXXXX";
        char* made = mkdtemp(pattern);
        root_ = made != nullptr ? fs::path(made) : fs::temp_directory_path();
        previous_ = fs::current_path();
        fs::current_path(root_);
        fs::create_directories(root_ / "log");
        SetLogFolder((root_ / "log").c_str());
        ClearAssetIndex();
        ClearPackedArchives();
        SetUserDataFolder("");
        SetCommonDataFolder("");
        SetDesktopFolder("");
        SetFirstPeekMode(false);
        ClearSettings();
    }
    ~TempTree()
    {
        ClearAssetIndex();
        ClearPackedArchives();
        SetLogFolder(nullptr);
        std::error_code ec;
        fs::current_path(previous_, ec);
        fs::remove_all(root_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const fs::path& Root() const { return root_; }
    fs::path operator/(const std::string& rel) const { return root_ / rel; }
    void Write(const std::string& rel, const std::string& bytes) const
    {
        WriteAll(root_ / rel, bytes);
    }
    std::string Log() const { return ReadAll(root_ / "log" / "logfile.txt"); }

private:
    fs::path root_;
    fs::path previous_;
};

inline void PutLe32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Writes "QVPK" archives: header, table, then the entries' data in order.
// Entries may carry forced offsets or sizes, and the count can be forced,
// to make the damaged archives the reader must survive.
class ArchiveWriter
{
public:
    struct Entry
    {
        std::string name;
        std::string data;
        bool forceOffset = false;
        uint32_t offset = 0;
        bool forceSize = false;
        uint32_t size = 0;
    };

    ArchiveWriter& Add(const std::string& name, const std::string& data)
    {
        entries_.push_back({name, data});
        return *this;
    }
    ArchiveWriter& AddRaw(const std::string& name, uint32_t offset, uint32_t size)
    {
        Entry entry{name, ""};
        entry.forceOffset = true;
        entry.offset = offset;
        entry.forceSize = true;
        entry.size = size;
        entries_.push_back(entry);
        return *this;
    }
    ArchiveWriter& ForceCount(int32_t count)
    {
        forceCount_ = true;
        count_ = count;
        return *this;
    }

    std::string Build() const
    {
        std::string table;
        size_t tableSize = 8;
        for (const Entry& e : entries_) tableSize += 9 + e.name.size();
        size_t dataAt = tableSize;
        std::string data;
        for (const Entry& e : entries_)
        {
            table += static_cast<char>(e.name.size());
            table += e.name;
            PutLe32(table, e.forceOffset ? e.offset : static_cast<uint32_t>(dataAt + data.size()));
            PutLe32(table, e.forceSize ? e.size : static_cast<uint32_t>(e.data.size()));
            data += e.data;
        }
        std::string out = "QVPK";
        PutLe32(out, static_cast<uint32_t>(forceCount_ ? count_
                                                       : static_cast<int32_t>(entries_.size())));
        return out + table + data;
    }

private:
    std::vector<Entry> entries_;
    bool forceCount_ = false;
    int32_t count_ = 0;
};
// The offset of the value chunk for key after the user chunk of slot-vector
// index user (0 shared, n + 1 user slot n) in a whole preferences file
// enciphered with keyText; npos when there is none.
inline size_t FindPrefsValueChunk(const std::string& file, const char* keyText, unsigned user,
                                  const std::string& key)
{
    auto lengthAt = [&](size_t pos)
    {
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= static_cast<uint32_t>(static_cast<unsigned char>(file[pos + 4 + i]))
                      << (8 * i);
        return length;
    };
    StringCipher cipher(keyText);
    int current = -1;
    for (size_t pos = 0; pos + 8 <= file.size(); pos += 8 + lengthAt(pos))
    {
        const std::string tag = file.substr(pos, 4);
        const std::string body = file.substr(pos + 8, lengthAt(pos));
        if (tag == "USER" && body.size() == 2)
            current = static_cast<unsigned char>(body[0]) |
                      (static_cast<unsigned char>(body[1]) << 8);
        if (tag != "KVPR" || current != static_cast<int>(user)) continue;
        const std::vector<unsigned char> plain = cipher.DecryptBytes(body.data(), body.size());
        if (plain.size() > 2 + key.size() &&
            std::memcmp(plain.data() + 2, key.c_str(), key.size() + 1) == 0)
            return pos;
    }
    return std::string::npos;
}

}  // namespace filetest
