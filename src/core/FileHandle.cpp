// TFileHandle forwarding and the plain stream-style functions. Opening by
// logical name lives with the resolver in FileNames.cpp.
#include "core/FileHandle.h"

TFileHandle::~TFileHandle()
{
    Close();
}

void TFileHandle::Adopt(TFileData* data)
{
    Close();
    data_ = data;
}

void TFileHandle::Close()
{
    delete data_;
    data_ = nullptr;
}

void TFileHandle::Seek(int offset, int origin)
{
    if (data_ != nullptr) data_->Seek(offset, origin);
}

int TFileHandle::GetLength()
{
    return data_ != nullptr ? data_->GetLength() : 0;
}

int TFileHandle::Tell()
{
    return data_ != nullptr ? data_->Tell() : -1;
}

int TFileHandle::Read(void* buffer, int count)
{
    return data_ != nullptr ? data_->Read(buffer, count) : 0;
}

int TFileHandle::Write(const void* buffer, int count)
{
    return data_ != nullptr ? data_->Write(buffer, count) : 0;
}

void TFileHandle::UngetByte()
{
    if (data_ != nullptr) data_->UngetByte();
}

bool TFileHandle::IsEof()
{
    return data_ != nullptr ? data_->IsEof() : true;
}

void CloseFileHandle(TFileHandle* handle)
{
    delete handle;
}

void SeekFileHandle(TFileHandle* handle, int offset, int origin)
{
    if (handle != nullptr) handle->Seek(offset, origin);
}

int TellFileHandle(TFileHandle* handle)
{
    return handle != nullptr ? handle->Tell() : -1;
}

int ReadFileHandle(TFileHandle* handle, void* buffer, int count)
{
    return handle != nullptr ? handle->Read(buffer, count) : 0;
}

int WriteFileHandle(TFileHandle* handle, const void* buffer, int count)
{
    return handle != nullptr ? handle->Write(buffer, count) : 0;
}

int IsFileHandleAtEnd(TFileHandle* handle)
{
    return handle == nullptr || handle->IsEof() ? 1 : 0;
}

int GetFileHandleByte(TFileHandle* handle)
{
    if (handle == nullptr || handle->IsEof()) return -1;
    unsigned char byte = 0;
    if (handle->Read(&byte, 1) != 1) return -1;
    return byte;
}

void UngetFileHandleByte(TFileHandle* handle)
{
    if (handle != nullptr) handle->UngetByte();
}

int IsFileHandleClosed(TFileHandle* handle)
{
    return handle == nullptr || !handle->IsOpen() ? 1 : 0;
}
