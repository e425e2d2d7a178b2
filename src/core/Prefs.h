// TPrefs: the player's persistent data in the enciphered chunk file
// "user:prefs.dat": per install key, one shared slot (-1) and numbered user
// slots, each a map from key to value. The older XML form is still imported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/Cipher.h"
#include "core/String.h"

struct TPrefsLess
{
    bool operator()(const TString& a, const TString& b) const { return a < b; }
};

// One slot: key -> value bytes (the text and its NUL, as stored in the file).
using TPrefsSlot = std::map<TString, std::string, TPrefsLess>;
// Index 0 is the shared slot (-1), index n + 1 user slot n.
using TPrefsSlots = std::vector<TPrefsSlot>;

class TPrefs
{
public:
    // Builds the cipher from the setting "encryptionkey" (logged when empty),
    // takes the install key from the setting "installkey" ("unknown" when
    // empty) and loads "user:prefs.dat".
    explicit TPrefs(bool saveEnabled);
    // Saves (when enabled).
    ~TPrefs();
    TPrefs(const TPrefs&) = delete;
    TPrefs& operator=(const TPrefs&) = delete;

    // The stored text, or def when the slot or key is missing or the slot is
    // below -1 (logged).
    TString GetValue(const TString& key, const TString& def, int slot = -1) const;
    int GetInt(const TString& key, int def, int slot = -1) const;

    // Stores value in slot (-1 = shared), then saves when saveNow. Refused
    // (false, logged, nothing stored) for a slot below -1 or above
    // kMaxUserSlot, a key too long for the file's 16-bit length, or a value
    // whose chunk would exceed the reader's 4 MiB limit.
    bool SetValue(const TString& key, const TString& value, int slot = -1, bool saveNow = false);
    bool SetInt(const TString& key, int value, int slot = -1, bool saveNow = false);
    // Removes key from slot (a missing key or slot is fine), then saves when
    // saveNow. False (logged) only for a slot below -1.
    bool RemoveValue(const TString& key, int slot = -1, bool saveNow = false);

    // Number of user slots; 0 when there are none.
    int GetUserCount() const;
    // Removes user slot n; later slots move down by one. Returns the user
    // count afterwards (unchanged for n below 0, logged, or not below it).
    int DeleteUser(int slot);

    // Writes the whole file atomically: a temporary file in the same folder,
    // flushed and synced, renamed over the old one, folder synced. False
    // (logged, the old file untouched) on any failure; true and nothing
    // written when saving is disabled. When the loaded file was damaged
    // (chunks skipped, reading stopped early, stray bytes, a legacy file that
    // failed its check), the first successful save also keeps its bytes, unchanged, as
    // "<name>.bad" in the same atomic commit; when that exists, as the first
    // free one of "<name>.bad.2" to "<name>.bad.9", or over ".bad.9" when
    // none is free.
    bool Save();

    // Reads chunk-form data into the store (what loading does after opening
    // the file). installTextEmpty: "install.txt" exists but is empty, so the
    // file's first install key becomes the current one. A chunk that fails
    // is passed over (by its length, or to the next chunk header found) and
    // marks the store damaged (IsDamaged); reading stops only where no
    // further chunk can be found.
    void ReadChunks(const unsigned char* data, size_t size, bool installTextEmpty);
    // The whole file image in chunk form.
    std::vector<unsigned char> BuildImage() const;

    // The loaded file was damaged and has not yet been kept as "<name>.bad".
    bool IsDamaged() const { return damaged_; }
    const TString& GetInstallKey() const { return installKey_; }
    const std::map<TString, TPrefsSlots, TPrefsLess>& GetStore() const { return store_; }

    // Largest user slot: the reader accepts slot-vector indices up to 1024.
    static constexpr int kMaxUserSlot = 1023;
    static constexpr size_t kMaxChunk = 0x400000;
    // Kept copies of damaged files: ".bad" and ".bad.2" to ".bad.9".
    static constexpr int kMaxBadCopies = 9;

    // Test seam: runs after the temporary file is written and synced, before
    // the rename. Returning false abandons the save there, as a crash would.
    using TSaveHook = bool (*)(const char* temporaryPath);
    static void SetSaveHookForTest(TSaveHook hook);

private:
    enum class InstallText
    {
        kMissing,
        kEmpty,
        kText
    };

    void Load();
    void ImportLegacyXml(const std::vector<unsigned char>& file, InstallText installState,
                         const TString& installText);
    TPrefsSlots& GetSlots(const TString& installKey);
    TString BadCopyName() const;

    StringCipher cipher_;
    std::map<TString, TPrefsSlots, TPrefsLess> store_;
    TPrefsSlots* current_ = nullptr;
    TString keyText_;
    TString fileName_;
    TString installKey_;
    bool saveEnabled_;
    bool damaged_ = false;
    std::vector<unsigned char> damagedFile_;
};

// The legacy checksum: XOR of each byte (signed, widened) shifted left by
// 8 * (i mod 4), in unsigned 32-bit arithmetic.
uint32_t LegacyPrefsChecksum(const char* text, size_t len);
