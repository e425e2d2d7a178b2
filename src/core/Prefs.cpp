// The preferences store: loading the chunk file and the legacy XML form,
// slot access, and the atomic save.
#include "core/Prefs.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "core/FileNames.h"
#include "core/FileReplace.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/Xml.h"
#include "core/XmlFileAccess.h"

namespace
{

TString Lowered(const TString& text)
{
    TString out = text;
    out.ToLower();
    return out;
}

// Text of bytes up to the first NUL (or all of them).
TString TextOf(const unsigned char* bytes, size_t size)
{
    size_t n = 0;
    while (n < size && bytes[n] != 0) ++n;
    return TString(reinterpret_cast<const char*>(bytes), static_cast<int>(n));
}

TString TextOf(const std::string& bytes)
{
    return TextOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string ValueBytes(const TString& text)
{
    return std::string(text.CStr(), static_cast<size_t>(text.Length()) + 1);
}

uint32_t Le32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// Enciphered chunk length for a plain payload of n bytes.
size_t EncipheredLength(size_t n)
{
    return n / 8 * 8 + 8;
}

// Reads "install.txt" (text mode) when it can be opened.
void ReadInstallText(int& state, TString& text)
{
    TFileHandle* file = OpenFileByName(TString("install.txt"), kFileReadText);
    state = 0;
    if (!file) return;
    std::string bytes;
    char buffer[512];
    for (;;)
    {
        const int got = ReadFileHandle(file, buffer, sizeof buffer);
        if (got <= 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
        if (bytes.size() > 4096) break;  // an install key is a short name, not a document
    }
    CloseFileHandle(file);
    text = TextOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    state = text.IsEmpty() ? 1 : 2;
}

// Whether a key/value pair can be written so that the reader takes it back:
// the key's length travels in 16 bits and every chunk must stay within the
// reader's limit, or one oversized chunk would hide all the chunks after it.
// Logs the reason when it cannot.
bool IsStorable(const TString& key, const TString& value)
{
    const size_t keyBytes = static_cast<size_t>(key.Length()) + 1;
    if (keyBytes > 0xFFFF)
    {
        LogPrintf("prefs: key of %zu bytes is too long to store", keyBytes - 1);
        return false;
    }
    const size_t plain = 2 + keyBytes + static_cast<size_t>(value.Length()) + 1;
    if (EncipheredLength(plain) > TPrefs::kMaxChunk)
    {
        LogPrintf("prefs: value of %d bytes for key '%s' is too large to store", value.Length(),
                  key.CStr());
        return false;
    }
    return true;
}

// The same for an install key, which travels alone in its chunk.
bool IsStorableInstallKey(const TString& installKey)
{
    if (EncipheredLength(static_cast<size_t>(installKey.Length()) + 1) <= TPrefs::kMaxChunk)
        return true;
    LogPrintf("prefs: install key of %d bytes is too long to store", installKey.Length());
    return false;
}

}  // namespace

uint32_t LegacyPrefsChecksum(const char* text, size_t len)
{
    uint32_t c = 0;
    for (size_t i = 0; i < len; ++i)
    {
        const uint32_t b =
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[i])));
        c ^= b << (8 * (i % 4));
    }
    return c;
}

void TPrefs::SetSaveHookForTest(TSaveHook hook)
{
    SetFileReplaceHookForTest(hook);
}

TPrefs::TPrefs(bool saveEnabled)
    : cipher_(GetSetting(kSettingEncryptionKey)),
      keyText_(GetSetting(kSettingEncryptionKey)),
      fileName_("user:prefs.dat"),
      saveEnabled_(saveEnabled)
{
    if (keyText_.IsEmpty()) LogPrintf("ERROR: No encryption key set before TPrefs construction!");
    installKey_ = GetSetting(kSettingInstallKey);
    if (installKey_.IsEmpty()) installKey_ = "unknown";
    Load();
}

TPrefs::~TPrefs()
{
    Save();
}

TPrefsSlots& TPrefs::GetSlots(const TString& installKey)
{
    return store_[installKey];
}

void TPrefs::Load()
{
    int stateCode = 0;
    TString installText;
    ReadInstallText(stateCode, installText);
    const InstallText state = static_cast<InstallText>(stateCode);
    if (state == InstallText::kText) installKey_ = installText;

    installKey_.ToLower();
    current_ = &GetSlots(installKey_);

    std::vector<unsigned char> file;
    if (!XmlReadWholeFile(fileName_, file))
    {
        if (state == InstallText::kText)
        {
            installKey_ = installText;
            current_ = &GetSlots(installKey_);
        }
        return;
    }
    if (file.size() >= 2 && file[0] == '<' && file[1] == '>')
    {
        ImportLegacyXml(file, state, installText);
        if (damaged_) damagedFile_ = std::move(file);
        Save();
        return;
    }
    ReadChunks(file.data(), file.size(), state == InstallText::kEmpty);
    if (damaged_) damagedFile_ = std::move(file);
}

namespace
{

// A chunk header as the writer makes them: one of its three tags and a length
// the reader takes that fits in the rest of the data.
bool IsChunkAt(const unsigned char* data, size_t size, size_t pos)
{
    if (pos > size || size - pos < 8) return false;
    const unsigned char* tag = data + pos;
    const bool user = std::memcmp(tag, "USER", 4) == 0;
    if (!user && std::memcmp(tag, "IKEY", 4) != 0 && std::memcmp(tag, "KVPR", 4) != 0)
        return false;
    const uint32_t length = Le32(data + pos + 4);
    if (length == 0 || length > TPrefs::kMaxChunk || size - pos - 8 < length) return false;
    return user ? length == 2 : length % 8 == 0;
}

// Where reading goes on after the failed chunk at pos: behind it when its
// length leads to the end or to another chunk, else at the next chunk header
// found further on. size when there is none.
size_t NextChunkAfter(const unsigned char* data, size_t size, size_t pos, uint32_t length)
{
    if (size - pos - 8 >= length)
    {
        const size_t next = pos + 8 + length;
        if (next == size || IsChunkAt(data, size, next)) return next;
    }
    for (size_t at = pos + 1; at + 8 <= size; ++at)
        if (IsChunkAt(data, size, at)) return at;
    return size;
}

}  // namespace

void TPrefs::ReadChunks(const unsigned char* data, size_t size, bool installTextEmpty)
{
    size_t pos = 0;
    bool first = true;
    TString section;
    size_t index = 0;
    // Chunks that belong to a failed install-key or user chunk have no known
    // home: they are passed over until the next good chunk of that kind.
    bool sectionLost = false;
    bool slotLost = false;
    // A failed chunk is passed over; reading stops only where no further
    // chunk can be found, so one damaged value does not take the rest.
    auto skip = [&](size_t at, uint32_t length, const char* why)
    {
        damaged_ = true;
        pos = NextChunkAfter(data, size, at, length);
        if (pos < size)
            LogPrintf("prefs: %s at byte %zu; chunk skipped", why, at);
        else
            LogPrintf("prefs: %s at byte %zu; no further chunk, reading stops", why, at);
    };
    while (size - pos >= 8)
    {
        const size_t at = pos;
        const unsigned char* tag = data + at;
        const uint32_t length = Le32(data + at + 4);
        if (length == 0 || length > kMaxChunk)
        {
            skip(at, length, TString::Format("chunk of %u bytes refused", length).CStr());
            continue;
        }
        if (size - at - 8 < length)
        {
            skip(at, length, "chunk longer than the file");
            continue;
        }
        const unsigned char* body = data + at + 8;
        pos = at + 8 + length;

        std::vector<unsigned char> payload;
        if (tag[0] == 'U')
        {
            payload.assign(body, body + length);
        }
        else
        {
            payload = cipher_.DecryptBytes(body, length);
            if (payload.empty())
            {
                if (tag[0] == 'I') sectionLost = true;
                skip(at, length, "chunk cannot be deciphered");
                continue;
            }
        }

        if (first)
        {
            if (tag[0] != 'I')
            {
                LogPrintf("prefs: file does not begin with an install key; nothing read");
                damaged_ = true;
                return;
            }
            first = false;
            sectionLost = false;
            section = Lowered(TextOf(payload.data(), payload.size()));
            GetSlots(section);
            if (installTextEmpty)
            {
                installKey_ = section;
                current_ = &GetSlots(installKey_);
            }
            continue;
        }

        switch (tag[0])
        {
            case 'I':
                section = Lowered(TextOf(payload.data(), payload.size()));
                GetSlots(section);
                sectionLost = false;
                slotLost = false;
                break;
            case 'U':
            {
                if (sectionLost) break;
                if (payload.size() < 2)
                {
                    slotLost = true;
                    skip(at, length, "short user chunk");
                    continue;
                }
                const size_t read =
                    static_cast<size_t>(payload[0]) | (static_cast<size_t>(payload[1]) << 8);
                if (read > static_cast<size_t>(kMaxUserSlot) + 1)
                {
                    slotLost = true;
                    skip(at, length, TString::Format("user index %zu out of range", read).CStr());
                    continue;
                }
                index = read;
                slotLost = false;
                TPrefsSlots& slots = GetSlots(section);
                if (slots.size() < index + 1) slots.resize(index + 1);
                break;
            }
            case 'K':
            {
                if (sectionLost || slotLost) break;
                if (payload.size() < 2)
                {
                    skip(at, length, "short value chunk");
                    continue;
                }
                const size_t n =
                    static_cast<size_t>(payload[0]) | (static_cast<size_t>(payload[1]) << 8);
                if (payload.size() < n + 2)
                {
                    skip(at, length, "key longer than its chunk");
                    continue;
                }
                auto it = store_.find(section);
                if (it == store_.end() || it->second.size() <= index)
                {
                    skip(at, length, "value for a missing user slot");
                    continue;
                }
                const TString key = TextOf(payload.data() + 2, n);
                it->second[index][key] =
                    std::string(payload.begin() + 2 + static_cast<ptrdiff_t>(n), payload.end());
                break;
            }
            default:
                skip(at, length, "unknown chunk");
                continue;
        }
    }
    if (pos < size)
    {
        LogPrintf("prefs: %zu stray bytes at the end ignored", size - pos);
        damaged_ = true;
    }
}

void TPrefs::ImportLegacyXml(const std::vector<unsigned char>& file, InstallText installState,
                             const TString& installText)
{
    TXmlNode document;
    if (!keyText_.IsEmpty())
    {
        TXmlNode scratch;
        scratch.Parse(file.data(), file.size());
        TXmlNode* data1 = scratch.FindChild("data1");
        TXmlNode* data2 = scratch.FindChild("data2");
        if (data1 && data2)
        {
            const TString text = cipher_.DecryptText(data1->GetAttribute("data"));
            const uint32_t checksum =
                LegacyPrefsChecksum(text.CStr(), static_cast<size_t>(text.Length()));
            // Written as a signed 32-bit number; its low 32 bits are what counts.
            const uint32_t expected = static_cast<uint32_t>(
                std::strtoll(data2->GetAttribute("data").CStr(), nullptr, 10));
            if (checksum == expected)
                document.Parse(text.CStr());
            else
            {
                LogPrintf("prefs: legacy file checksum mismatch; nothing imported");
                damaged_ = true;
            }
        }
        else
        {
            LogPrintf("prefs: legacy file without its data; nothing imported");
            damaged_ = true;
        }
    }
    else
    {
        document.Parse(file.data(), file.size());
    }

    if (installState == InstallText::kEmpty)
    {
        TXmlNode* install = document.FindChild("install");
        if (install && IsStorableInstallKey(install->GetAttribute("qvinstallkey")))
            installKey_ = Lowered(install->GetAttribute("qvinstallkey"));
    }
    else if (installState == InstallText::kText)
    {
        installKey_ = Lowered(installText);
    }

    for (TXmlNode* install : document.Children())
    {
        if (std::strcmp(install->name.CStr(), "install") != 0) continue;
        // Whatever is imported is saved at once in the chunk form: pairs that
        // form could not carry are left behind here rather than written as
        // chunks that would hide the rest of the file.
        const TString section = Lowered(install->GetAttribute("qvinstallkey"));
        if (!IsStorableInstallKey(section)) continue;
        TPrefsSlots& slots = GetSlots(section);
        size_t i = 0;
        for (TXmlNode* slotNode : install->Children())
        {
            if (i > static_cast<size_t>(kMaxUserSlot) + 1) break;
            slots.resize(i + 1);
            for (const XmlAttribute* attribute : slotNode->Attributes())
            {
                if (IsStorable(attribute->name, attribute->value))
                    slots[i][attribute->name] = ValueBytes(attribute->value);
            }
            ++i;
        }
    }
    current_ = &GetSlots(installKey_);
}

TString TPrefs::GetValue(const TString& key, const TString& def, int slot) const
{
    if (slot < -1)
    {
        LogPrintf("prefs: slot %d refused for key '%s'", slot, key.CStr());
        return def;
    }
    if (!current_) return def;
    const size_t index = static_cast<size_t>(slot + 1);
    if (index >= current_->size()) return def;
    const TPrefsSlot& values = (*current_)[index];
    auto it = values.find(key);
    if (it == values.end()) return def;
    return TextOf(it->second);
}

int TPrefs::GetInt(const TString& key, int def, int slot) const
{
    return GetValue(key, TString::Format("%d", def), slot).ToInt();
}

bool TPrefs::SetValue(const TString& key, const TString& value, int slot, bool saveNow)
{
    if (slot < -1 || slot > kMaxUserSlot)
    {
        LogPrintf("prefs: slot %d refused for key '%s'", slot, key.CStr());
        return false;
    }
    if (!IsStorable(key, value)) return false;
    if (!current_) current_ = &GetSlots(installKey_);
    const size_t index = static_cast<size_t>(slot + 1);
    if (current_->size() < index + 1) current_->resize(index + 1);
    (*current_)[index][key] = ValueBytes(value);
    if (saveNow) Save();
    return true;
}

bool TPrefs::SetInt(const TString& key, int value, int slot, bool saveNow)
{
    return SetValue(key, TString::Format("%d", value), slot, saveNow);
}

bool TPrefs::RemoveValue(const TString& key, int slot, bool saveNow)
{
    if (slot < -1)
    {
        LogPrintf("prefs: slot %d refused for key '%s'", slot, key.CStr());
        return false;
    }
    const size_t index = static_cast<size_t>(slot + 1);
    if (current_ && index < current_->size()) (*current_)[index].erase(key);
    if (saveNow) Save();
    return true;
}

int TPrefs::GetUserCount() const
{
    if (!current_ || current_->empty()) return 0;
    return static_cast<int>(current_->size()) - 1;
}

int TPrefs::DeleteUser(int slot)
{
    const int count = GetUserCount();
    if (slot < 0)
    {
        LogPrintf("prefs: cannot delete user slot %d", slot);
        return count;
    }
    if (slot >= count) return count;
    current_->erase(current_->begin() + slot + 1);
    return GetUserCount();
}

std::vector<unsigned char> TPrefs::BuildImage() const
{
    std::vector<unsigned char> out;
    auto enciphered = [&](const char* tag, const std::vector<unsigned char>& plain)
    {
        const std::vector<unsigned char> cipher = cipher_.EncryptBytes(plain.data(), plain.size());
        out.insert(out.end(), tag, tag + 4);
        PutLe32(out, static_cast<uint32_t>(cipher.size()));
        out.insert(out.end(), cipher.begin(), cipher.end());
    };
    auto installChunk = [&](const TString& key)
    {
        const char* text = key.CStr();
        enciphered("IKEY", std::vector<unsigned char>(text, text + key.Length() + 1));
    };

    installChunk(installKey_);
    for (const auto& [installKey, slots] : store_)
    {
        installChunk(installKey);
        for (size_t i = 0; i < slots.size(); ++i)
        {
            out.insert(out.end(), {'U', 'S', 'E', 'R'});
            PutLe32(out, 2);
            out.push_back(static_cast<unsigned char>(i));
            out.push_back(static_cast<unsigned char>(i >> 8));
            for (const auto& [key, value] : slots[i])
            {
                const size_t n = static_cast<size_t>(key.Length()) + 1;
                std::vector<unsigned char> plain;
                plain.reserve(2 + n + value.size());
                plain.push_back(static_cast<unsigned char>(n));
                plain.push_back(static_cast<unsigned char>(n >> 8));
                plain.insert(plain.end(), key.CStr(), key.CStr() + n);
                plain.insert(plain.end(), value.begin(), value.end());
                enciphered("KVPR", plain);
            }
        }
    }
    return out;
}

TString TPrefs::BadCopyName() const
{
    // An earlier copy may be the only whole one left: each is kept, up to
    // the last name, which the newest then replaces.
    // Asked of the disk itself: the name index may not know of a copy made
    // since it was built.
    auto onDisk = [](const TString& logical)
    {
        const TString path = ResolveFileName(logical, false);
        struct stat info;
        return !path.IsEmpty() && stat(path.CStr(), &info) == 0;
    };
    TString name = fileName_ + ".bad";
    for (int n = 2; n <= kMaxBadCopies && onDisk(name); ++n)
        name = fileName_ + TString::Format(".bad.%d", n);
    return name;
}

bool TPrefs::Save()
{
    if (!saveEnabled_) return true;
    const std::vector<unsigned char> image = BuildImage();
    const bool keepBad = damaged_ && !damagedFile_.empty();
    TString badName;
    std::vector<TPreparedFile> files;
    files.reserve(2);
    // A file that could not be read whole is kept beside the new one the
    // first time it would be overwritten, in the same commit, so what the
    // reader dropped stays recoverable.
    if (keepBad)
    {
        TPreparedFile& bad = files.emplace_back();
        badName = BadCopyName();
        if (!PrepareFileReplace("prefs", badName, damagedFile_.data(), damagedFile_.size(), bad))
            return false;
    }
    TPreparedFile& prefs = files.emplace_back();
    if (!PrepareFileReplace("prefs", fileName_, image.data(), image.size(), prefs))
    {
        if (keepBad) DiscardFileReplace(files.front());
        return false;
    }
    if (CommitFileReplace("prefs", files) >= 0) return false;
    if (keepBad) LogPrintf("prefs: the damaged file is kept as %s", badName.CStr());
    damaged_ = false;
    damagedFile_.clear();
    damagedFile_.shrink_to_fit();
    return true;
}
