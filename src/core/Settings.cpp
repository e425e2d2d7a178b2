// The settings store with its cheat lock, line-wrap latch, change hook and
// the one-time "settings.xml" overrides; also the computer identifier's
// hardware-address source.
#include "core/Settings.h"

#include <dirent.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/Cipher.h"
#include "core/Log.h"
#include "core/SettingKeys.h"
#include "core/Xml.h"

namespace
{

struct TStringLess
{
    bool operator()(const TString& a, const TString& b) const { return a < b; }
};

std::map<TString, TString, TStringLess>& Store()
{
    static std::map<TString, TString, TStringLess> store;
    return store;
}

bool gLegacyLineWrap = false;
TSettingChangeHook gChangeHook = nullptr;
std::vector<TString> gPendingKeys;  // keys the hook could not apply yet, oldest first
bool gSettingsFileApplied = false;

void RemovePending(const TString& key)
{
    for (auto it = gPendingKeys.begin(); it != gPendingKeys.end(); ++it)
    {
        if (*it == key)
        {
            gPendingKeys.erase(it);
            return;
        }
    }
}

void EvaluateCheatLock()
{
    auto& store = Store();
    const TString code = GetSetting(kSettingCheatCode);
    const TString key = GetSetting(kSettingEncryptionKey);
    if (code.IsEmpty() || key.IsEmpty()) return;
    // Written straight into the store: the hook has no business with it.
    store[TString(kSettingCheatMode)] =
        IsCheatCodeValid(code, GetSetting(kSettingComputerId), key) ? "1" : "0";
}

}  // namespace

namespace
{
uint32_t gSettingsVersion = 0;
}  // namespace

void SetSetting(const TString& key, const TString& value)
{
    Store()[key] = value;
    ++gSettingsVersion;
    if (key == kSettingEncryptionKey || key == kSettingCheatCode) EvaluateCheatLock();
    if (key == kSettingLegacyLineWrap) gLegacyLineWrap = true;
    if (gChangeHook)
    {
        RemovePending(key);
        if (!gChangeHook(key, value)) gPendingKeys.push_back(key);
    }
}

TString GetSetting(const TString& key, const TString& defaultValue)
{
    const auto& store = Store();
    auto it = store.find(key);
    return it == store.end() ? defaultValue : it->second;
}

bool GetSettingBool(const TString& key)
{
    return GetSetting(key).ToInt() != 0;
}

bool HasSetting(const TString& key)
{
    return Store().count(key) != 0;
}

uint32_t GetSettingsVersion()
{
    return gSettingsVersion;
}

void ClearSettings()
{
    Store().clear();
    ++gSettingsVersion;
    gPendingKeys.clear();
}

bool IsLegacyLineWrap()
{
    return gLegacyLineWrap;
}

void SetSettingChangeHook(TSettingChangeHook hook)
{
    gChangeHook = hook;
    gPendingKeys.clear();
}

int ReplayPendingSettingChanges()
{
    if (!gChangeHook) return static_cast<int>(gPendingKeys.size());
    std::vector<TString> keys;
    keys.swap(gPendingKeys);
    for (const TString& key : keys)
    {
        // A key erased by ClearSettings in the meantime has nothing to apply.
        if (!HasSetting(key)) continue;
        if (!gChangeHook(key, GetSetting(key))) gPendingKeys.push_back(key);
    }
    return static_cast<int>(gPendingKeys.size());
}

bool ApplySettingsFile(const char* fileName)
{
    if (gSettingsFileApplied) return false;
    gSettingsFileApplied = true;

    TXmlNode document;
    bool whole = false;
    if (!document.LoadFile(fileName, &whole)) return false;
    // A damaged file applies nothing: half of a file's settings could leave
    // the game in a state nobody chose.
    if (!whole)
    {
        LogPrintf("ERROR: %s is damaged; none of its settings are applied", fileName);
        return true;
    }
    TXmlNode* settings = document.FindChild("settings");
    if (!settings)
    {
        LogPrintf("ERROR: %s has no settings element; nothing is applied", fileName);
        return true;
    }
    for (TXmlNode* child : settings->Children()) SetSetting(child->name, child->text);
    return true;
}

TString BuildComputerId(const unsigned char address[8])
{
    unsigned char a[8];
    std::memcpy(a, address, 8);
    a[6] = a[3];
    a[7] = a[4];
    char out[17];
    for (int i = 0; i < 8; ++i)
    {
        const unsigned x = static_cast<unsigned>(a[(i + 1) % 8] ^ a[i]);
        out[2 * i] = static_cast<char>((x & 0x1F) | 0x40);
        out[2 * i + 1] = static_cast<char>(((x >> 5) + static_cast<unsigned>(i) + 66) & 0xFF);
    }
    out[16] = '\0';
    return TString(out);
}

bool IsUsableHardwareAddress(const unsigned char* bytes, size_t length)
{
    // Tunnels and other virtual links report all-zero addresses: taking one
    // would give every such machine the same identifier.
    for (size_t i = 0; i < length; ++i)
    {
        if (bytes[i] != 0) return true;
    }
    return false;
}

namespace
{

bool ReadAddressFromIfaddrs(unsigned char address[8])
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* it = list; it && !found; it = it->ifa_next)
    {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        const size_t n = ll->sll_halen < 8 ? ll->sll_halen : 8;
        if (!IsUsableHardwareAddress(ll->sll_addr, n)) continue;
        std::memset(address, 0, 8);
        std::memcpy(address, ll->sll_addr, n);
        found = true;
    }
    freeifaddrs(list);
    return found;
}

// Containers without packet sockets still show their interfaces here.
bool ReadAddressFromSysfs(unsigned char address[8])
{
    DIR* dir = opendir("/sys/class/net");
    if (!dir) return false;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
    {
        if (entry->d_name[0] != '.' && std::strcmp(entry->d_name, "lo") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
    {
        const std::string path = "/sys/class/net/" + name + "/address";
        FILE* f = std::fopen(path.c_str(), "r");
        if (!f) continue;
        char line[64] = {};
        const bool got = std::fgets(line, sizeof line, f) != nullptr;
        std::fclose(f);
        if (!got) continue;
        unsigned bytes[8] = {};
        const int n = std::sscanf(line, "%2x:%2x:%2x:%2x:%2x:%2x:%2x:%2x", &bytes[0], &bytes[1],
                                  &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6], &bytes[7]);
        if (n < 6) continue;
        unsigned char candidate[8] = {};
        for (int i = 0; i < n && i < 8; ++i) candidate[i] = static_cast<unsigned char>(bytes[i]);
        if (!IsUsableHardwareAddress(candidate, static_cast<size_t>(n))) continue;
        std::memcpy(address, candidate, 8);
        return true;
    }
    return false;
}

}  // namespace

bool ReadHardwareAddress(unsigned char address[8])
{
    return ReadAddressFromIfaddrs(address) || ReadAddressFromSysfs(address);
}

bool IsCheatCodeValid(const TString& cheatCode, const TString& computerId,
                      const TString& encryptionKey)
{
    if (computerId.IsEmpty() || cheatCode.IsEmpty()) return false;
    StringCipher cipher(encryptionKey);
    return std::strcmp(cipher.DecryptText(cheatCode).CStr(), computerId.CStr()) == 0;
}

TString MakeCheatCode(const TString& computerId, const TString& encryptionKey)
{
    StringCipher cipher(encryptionKey);
    const int needed = cipher.Encrypt(computerId.CStr(), computerId.Length(), nullptr, 0, true);
    std::vector<char> out(static_cast<size_t>(needed));
    if (cipher.Encrypt(computerId.CStr(), computerId.Length(), out.data(), needed, true) != 0)
        return TString();
    return TString(out.data());
}
