// TFileHandle, the one way to a file: a handle owning one file object, and
// the stream-style plain functions over a handle pointer.
#pragma once

#include "core/FileData.h"
#include "core/String.h"

class TFileHandle
{
public:
    TFileHandle() = default;
    ~TFileHandle();
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    // Opens a logical name (FileNames.h) in a mode of FileData.h. False, with
    // the handle closed, when the name does not resolve or the file or view
    // cannot be opened. Writing modes create missing folders below the
    // user-data or common-data folder.
    bool Open(const TString& name, int mode);
    // Takes ownership of an already opened file object (null closes).
    void Adopt(TFileData* data);

    bool IsOpen() const { return data_ != nullptr; }
    void Close();
    // Each forwards to the file object; the value after "closed:" is returned
    // when the handle is closed.
    void Seek(int offset, int origin);         // closed: nothing
    int GetLength();                           // closed: 0
    int Tell();                                // closed: -1
    int Read(void* buffer, int count);         // closed: 0
    int Write(const void* buffer, int count);  // closed: 0
    void UngetByte();                          // closed: nothing
    bool IsEof();                              // closed: true
    TFileData* GetData() const { return data_; }

private:
    TFileData* data_ = nullptr;
};

// Closes and deletes the handle; null is ignored.
void CloseFileHandle(TFileHandle* handle);
// The functions below accept a null handle and then act as on a closed one.
void SeekFileHandle(TFileHandle* handle, int offset, int origin);
int TellFileHandle(TFileHandle* handle);
int ReadFileHandle(TFileHandle* handle, void* buffer, int count);
int WriteFileHandle(TFileHandle* handle, const void* buffer, int count);
// 1 at the end, else 0.
int IsFileHandleAtEnd(TFileHandle* handle);
// The next byte as 0..255; -1 at the end or when the read delivers no byte.
int GetFileHandleByte(TFileHandle* handle);
void UngetFileHandleByte(TFileHandle* handle);
// 1 when the handle holds no file object, else 0.
int IsFileHandleClosed(TFileHandle* handle);
