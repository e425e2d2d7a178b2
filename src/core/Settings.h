// The settings store: the framework's one global key -> value map, ordered by
// the TString comparison, with the developer cheat lock, the legacy line-wrap
// flag, the host's change hook and the "settings.xml" overrides.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/String.h"

// Stores value under key (inserted or replaced), then: re-evaluates the cheat
// lock for "encryptionkey"/"cheatcode", latches the legacy line-wrap flag for
// "legacylinewrap", and runs the change hook when one is registered.
void SetSetting(const TString& key, const TString& value);

// The stored value (also when it is empty), else defaultValue.
TString GetSetting(const TString& key, const TString& defaultValue = TString());

// atoi of the stored value is non-zero; false for a missing key.
bool GetSettingBool(const TString& key);

// True when key is present (even with an empty value).
bool HasSetting(const TString& key);

// A number that changes whenever the store does: code that reads a key on
// every frame keeps the value until it changes.
uint32_t GetSettingsVersion();

// Empties the store (the facade's destructor). The line-wrap flag stays set.
void ClearSettings();

// True once "legacylinewrap" has been stored, whatever its value.
bool IsLegacyLineWrap();

// The platform host's reaction to changed keys. It returns false when it could
// not apply the key yet (for example "vsync" before any display exists); such
// keys are remembered and handed to the hook again by
// ReplayPendingSettingChanges() with their current values.
using TSettingChangeHook = bool (*)(const TString& key, const TString& value);

// Registers the hook (null unregisters it). The host registers it once it
// exists and removes it before it goes away; until then no change reaches it.
// Registering a hook forgets pending keys of a previous hook.
void SetSettingChangeHook(TSettingChangeHook hook);

// Runs the hook again for every key it could not apply yet, in the order they
// were stored; keys it applies now are forgotten. Returns how many remain.
int ReplayPendingSettingChanges();

// Applies the children of the first "settings" element of the file (plain
// XML or ZXML) as SetSetting(name, text) in document order. Runs at most once
// per process; later calls return false without reading anything. A missing
// file or element, or a damaged file (see TXmlNode::Parse), changes nothing
// (still counts as the one application); the latter two are logged.
// Returns true when the file was read.
bool ApplySettingsFile(const char* fileName = "::assets/settings.xml");

// The 16-character identifier derived from the 8-byte hardware address field
// a[0..7] (a[6] and a[7] are overwritten from a[3] and a[4] first).
TString BuildComputerId(const unsigned char address[8]);

// Whether length bytes of an interface's hardware address can identify this
// computer: false for an empty or all-zero address.
bool IsUsableHardwareAddress(const unsigned char* bytes, size_t length);

// Fills address with the first non-loopback interface's hardware address
// (zero-padded to 8 bytes). Returns false when no interface has a usable one.
bool ReadHardwareAddress(unsigned char address[8]);

// Whether cheatCode unlocks developer mode on the computer computerId under
// the key text encryptionKey. The code is the base64 text of computerId
// enciphered with the key (StringCipher, text mode); it is accepted when it
// deciphers to exactly computerId. An empty computerId never matches.
bool IsCheatCodeValid(const TString& cheatCode, const TString& computerId,
                      const TString& encryptionKey);

// The code that IsCheatCodeValid accepts for computerId (a developer tool).
TString MakeCheatCode(const TString& computerId, const TString& encryptionKey);
