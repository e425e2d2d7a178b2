// Precompiled chunks: writing a prototype as bytes and reading it back.
//
// The writer returns the writer callback's last status; the reader raises a
// run-time error (status 1) on any malformed input and keeps no partial proto.
#pragma once

#include "script/lang/stream.h"

int DumpProto(lua_State* L, const Proto* f, lua_Chunkwriter w, void* data);
Proto* UndumpChunk(lua_State* L, Stream* z, TextBuffer* buff);
