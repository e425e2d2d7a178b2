// Logical file names: the resolver from "user:", "common:", "desktop:",
// "assets/", "::" and plain asset names to files, and the open, exists,
// delete, memory-file and enumeration operations over them.
// Main thread only: resolving may add to the index. A handle, once open, may
// be read on another thread (one thread at a time).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/AssetIndex.h"
#include "core/FileHandle.h"
#include "core/String.h"

// The resolved text with its kind; empty (kind kNone) when the name cannot be
// resolved. reading: the caller wants to read an existing file (excluded
// names are refused, "user:" style names must exist and be writable).
// "::" names are literal paths that keep their case and must name an existing
// readable file, also for writing (they never create one); other names are looked
// up lower-cased, and the folder-prefixed ones keep the case of the text
// after the prefix in the path they resolve to; a ".." component after such
// a prefix resolves nothing, so no name leads out of its data folder.
TResolvedName ResolveFileNameTagged(const TString& name, bool reading);
// The text of ResolveFileNameTagged; "" when unresolved.
TString ResolveFileName(const TString& name, bool reading);

// ResolveFileName(name, true) is non-empty.
bool FileExists(const TString& name);

// A new handle opened on name (modes of FileData.h); null on failure. Close
// it with CloseFileHandle.
TFileHandle* OpenFileByName(const TString& name, int mode);

// Removes a "user:" or "common:" file (no ".." anywhere in the name) or
// unregisters a memory file. False for archive entries, other names, names
// that do not resolve and failed removals.
bool DeleteFileByName(const TString& name);

// With size > 0 enters the lower-cased name with "&<address>,<size>" (the
// block must outlive every handle opened on it); with size 0 erases the name.
// Null addresses and sizes of 2 GiB and more are refused with a log line.
void RegisterMemoryFile(TFileNameIndex& index, const TString& name, const void* address,
                        size_t size);
void RegisterMemoryFileByName(const TString& name, const void* address, size_t size);
// True when that exact block is registered under some name.
bool IsRegisteredMemoryBlock(uintptr_t address, uint64_t size);

// Enumerates index keys below folder (plain text prefix, lower-cased) in
// ascending order. Start with an empty name and call again with the returned
// name until false. Not recursive: keys with a '/' after the folder part are
// skipped.
bool FindNextAssetName(const TString& folder, TString& name, bool recursive);

// Whether the file behind a logical name may be loaded as native code: only
// plain asset names (no "user:", "common:", "desktop:" or "::" prefix) that
// resolve to a disk file allowed by IsNativeCodePathAllowed (Folders.h).
bool IsNativeCodeNameAllowed(const TString& name);
