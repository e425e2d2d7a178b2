// The few file operations the XML reader, the string table and the
// preferences store need, over logical file names and file handles.
#pragma once

#include <vector>

#include "core/String.h"

class TFileHandle;

// Opens name for binary reading; null when it cannot be opened.
TFileHandle* XmlOpenFile(const TString& name);
// Closes and frees the handle; null is ignored.
void XmlCloseFile(TFileHandle* file);
// The next byte, or -1 at the end.
int XmlReadByte(TFileHandle* file);
// Seeks one byte back; false at the start.
bool XmlStepBack(TFileHandle* file);
void XmlRewindFile(TFileHandle* file);

// Largest file read whole (the data files this serves are far smaller).
inline constexpr int kMaxWholeFile = 256 << 20;

// Reads the whole file (binary). False when it cannot be opened (logged when
// something is there that cannot be opened), is larger than kMaxWholeFile
// (logged) or cannot be read whole (logged).
bool XmlReadWholeFile(const TString& name, std::vector<unsigned char>& data);
