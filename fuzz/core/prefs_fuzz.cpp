// Serves arbitrary bytes as "user:prefs.dat" (chunk form, or the legacy XML
// form when they begin with "<>") and loads them into a store, then uses
// and re-serialises what was read. Saving stays disabled.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/FileNames.h"
#include "core/Prefs.h"
#include "core/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = []
    {
        SetSetting("installkey", "game");
        return true;
    }();
    (void)once;

    // The memory file must outlive the store's read of it.
    const std::vector<uint8_t> copy(data, data + size);
    if (!copy.empty()) RegisterMemoryFileByName("user:prefs.dat", copy.data(), copy.size());
    // With a key the legacy form is enciphered behind a checksum; without
    // one its XML is imported directly, so both readers see every input.
    for (const char* keyText : {"fuzzkey", ""})
    {
        SetSetting("encryptionkey", keyText);
        TPrefs prefs(false);
        prefs.GetValue("name", "", 0);
        prefs.GetInt("level", 1, -1);
        prefs.SetValue("fuzz", "value", prefs.GetUserCount());
        prefs.DeleteUser(0);
        const std::vector<unsigned char> image = prefs.BuildImage();
        TPrefs reread(false);
        reread.ReadChunks(image.data(), image.size(), false);
    }
    if (!copy.empty()) RegisterMemoryFileByName("user:prefs.dat", nullptr, 0);
    return 0;
}
