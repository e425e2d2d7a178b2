// Precompiled chunks: dump and reload, the opposite byte order, and every
// header and body check of the reader.
#include <cstring>
#include <string>

#include "ScriptTestUtil.h"

namespace {

int Collect(lua_State*, const void* p, size_t sz, void* ud) {
  static_cast<std::string*>(ud)->append(static_cast<const char*>(p), sz);
  return 0;
}

class Chunks : public ScriptTest {
 protected:
  // Compiles src and dumps it.
  std::string Dump(const std::string& src) {
    EXPECT_EQ(LoadText(L, src, "=src"), 0);
    std::string out;
    EXPECT_EQ(lua_dump(L, Collect, &out), 1);
    lua_pop(L, 1);
    return out;
  }
  // Loads bytes as a chunk named name; returns the status (message kept in
  // last_ on failure).
  int Load(const std::string& bytes, const char* name = "=chunk") {
    int status = LoadText(L, bytes, name);
    if (status != 0) {
      last_ = lua_tostring(L, -1);
      lua_pop(L, 1);
    }
    return status;
  }
  std::string last_;
};

const char* kSample =
    "local w = L\"h\\x263Ai\" "
    "local function add(a, b) return a + b end "
    "local t = {1, 2, 3, n = nil, s = 'text'} "
    "return add(t[3], 0.5), w, t.s, add";

TEST_F(Chunks, RoundTripKeepsBehaviourAndConstants) {
  std::string bytes = Dump(kSample);
  ASSERT_EQ(bytes.substr(0, 5), std::string("\x1bLua\x50", 5));
  EXPECT_EQ(bytes[5], 1);  // little-endian writer
  ASSERT_EQ(Load(bytes), 0) << last_;
  ASSERT_EQ(lua_pcall(L, 0, 4, 0), 0);
  EXPECT_EQ(lua_tonumber(L, 1), 3.5);
  ASSERT_EQ(lua_type(L, 2), LUA_TWSTRING);
  EXPECT_EQ(lua_strlen(L, 2), 3u);
  EXPECT_STREQ(lua_tostring(L, 3), "text");
  EXPECT_TRUE(lua_isfunction(L, 4));
  // Dumping the reloaded function gives the same bytes.
  lua_settop(L, 0);
  ASSERT_EQ(Load(bytes), 0);
  std::string again;
  ASSERT_EQ(lua_dump(L, Collect, &again), 1);
  EXPECT_EQ(again, bytes);
}

TEST_F(Chunks, WideConstantIsCountedInUnitsWithTerminator) {
  std::string bytes = Dump("return L\"abc\"");
  // size 4 (3 units + terminator) followed by 8 bytes.
  const std::string expected = std::string("\x09\x04\x00\x00\x00" "a\0b\0c\0\0\0", 13);
  EXPECT_NE(bytes.find(expected), std::string::npos);
}

TEST_F(Chunks, OnlyUpvalueFreeScriptFunctionsDump) {
  std::string out;
  lua_pushcfunction(L, [](lua_State*) { return 0; });
  EXPECT_EQ(lua_dump(L, Collect, &out), 0);
  lua_pop(L, 1);
  ASSERT_EQ(RunScript(L, "local x = 1 return function() return x end", nullptr, 1), 0);
  EXPECT_EQ(lua_dump(L, Collect, &out), 0);
  EXPECT_TRUE(out.empty());
}

// Rewrites a little-endian chunk in big-endian order, field by field.
class Swapper {
 public:
  explicit Swapper(const std::string& in) : in_(in) {}
  std::string Run() {
    out_ = in_.substr(0, 14);
    out_[5] = 0;
    pos_ = 14;
    Swap(8);  // test number
    Function();
    EXPECT_EQ(pos_, in_.size());
    return out_;
  }

 private:
  uint32_t ReadLE32() {
    uint32_t v;
    std::memcpy(&v, in_.data() + pos_, 4);
    return v;
  }
  void Swap(size_t n) {
    for (size_t i = 0; i < n; i++) out_.push_back(in_[pos_ + n - 1 - i]);
    pos_ += n;
  }
  void Copy(size_t n) {
    out_.append(in_, pos_, n);
    pos_ += n;
  }
  uint32_t Int() {
    uint32_t v = ReadLE32();
    Swap(4);
    return v;
  }
  void String() {
    uint32_t n = Int();
    Copy(n);
  }
  void WideString() {
    uint32_t n = Int();
    for (uint32_t i = 0; i < n; i++) Swap(2);
  }
  void Function() {
    String();  // source
    Int();     // line defined
    Copy(4);   // nups, params, vararg, stack
    uint32_t n = Int();
    for (uint32_t i = 0; i < n; i++) Int();
    n = Int();
    for (uint32_t i = 0; i < n; i++) {
      String();
      Int();
      Int();
    }
    n = Int();
    for (uint32_t i = 0; i < n; i++) String();
    n = Int();
    for (uint32_t i = 0; i < n; i++) {
      char t = in_[pos_];
      Copy(1);
      if (t == 3) Swap(8);
      if (t == 4) String();
      if (t == 9) WideString();
    }
    n = Int();
    for (uint32_t i = 0; i < n; i++) Function();
    n = Int();
    for (uint32_t i = 0; i < n; i++) Int();
  }
  const std::string& in_;
  std::string out_;
  size_t pos_ = 0;
};

TEST_F(Chunks, OppositeByteOrderLoadsTheSameFunction) {
  std::string bytes = Dump(kSample);
  std::string swapped = Swapper(bytes).Run();
  ASSERT_NE(swapped, bytes);
  ASSERT_EQ(Load(swapped), 0) << last_;
  ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
  EXPECT_EQ(lua_tonumber(L, 1), 3.5);
  ASSERT_EQ(lua_type(L, 2), LUA_TWSTRING);
  // Interning makes equal units the same object as the native-order load.
  ASSERT_EQ(Load(bytes), 0);
  ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0);
  EXPECT_TRUE(lua_rawequal(L, 2, 4));
}

TEST_F(Chunks, HeaderChecks) {
  const std::string good = Dump("return 1");
  struct Case {
    size_t offset;
    char value;
    const char* message;
  } cases[] = {
      {1, 'X', "bad signature in chunk"},
      {4, 0x51, "chunk too new: read version 5.1; expected at most 5.0"},
      {4, 0x40, "chunk too old: read version 4.0; expected at least 5.0"},
      {6, 8, "virtual machine mismatch in chunk: size of int is 4 but read 8"},
      {11, 8, "virtual machine mismatch in chunk: size of B is 9 but read 8"},
      {13, 4, "virtual machine mismatch in chunk: size of number is 8 but read 4"},
      {14, 0, "unknown number format in chunk"},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    bad[c.offset] = c.value;
    if (c.offset == 14) std::memset(&bad[14], 0, 8);
    EXPECT_EQ(Load(bad), LUA_ERRRUN) << c.message;
    EXPECT_EQ(last_, c.message);
  }
  // A name beginning with byte 27 is reported as "binary string".
  std::string bad = good;
  bad[11] = 8;
  EXPECT_EQ(Load(bad, bad.c_str()), LUA_ERRRUN);
  EXPECT_EQ(last_, "virtual machine mismatch in binary string: size of B is 9 but read 8");
}

TEST_F(Chunks, BodyChecks) {
  std::string good = Dump("return 'k'");
  // The first constant's type byte follows its count; find the string 'k'.
  size_t k = good.find(std::string("\x04\x02\x00\x00\x00k\0", 7));
  ASSERT_NE(k, std::string::npos);
  std::string bad = good;
  bad[k] = 1;  // boolean: not a chunk constant type
  EXPECT_EQ(Load(bad), LUA_ERRRUN);
  EXPECT_EQ(last_, "bad constant type (1) in chunk");

  // A negative count is refused.
  bad = good;
  std::memset(&bad[k - 4], 0xFF, 4);
  EXPECT_EQ(Load(bad), LUA_ERRRUN);
  EXPECT_EQ(last_, "bad integer in chunk");

  // An instruction that reaches past the registers is bad code.
  bad = good;
  bad[bad.size() - 1] = static_cast<char>(0xF0);  // A of the final RETURN
  EXPECT_EQ(Load(bad), LUA_ERRRUN);
  EXPECT_EQ(last_, "bad code in chunk");
}

TEST_F(Chunks, EveryTruncationFailsCleanly) {
  const std::string good = Dump(kSample);
  for (size_t n = 1; n < good.size(); n++) {
    int status = Load(good.substr(0, n));
    EXPECT_EQ(status, LUA_ERRRUN) << n;
    if (n > 22) EXPECT_EQ(last_, "unexpected end of file in chunk") << n;
  }
}

TEST_F(Chunks, HugeSizesFailWithoutHugeAllocations) {
  std::string good = Dump("return 'k'");
  size_t k = good.find(std::string("\x02\x00\x00\x00k\0", 6));
  ASSERT_NE(k, std::string::npos);
  std::string bad = good.substr(0, k) + std::string("\xF0\xFF\xFF\x7F", 4) + "k";
  EXPECT_EQ(Load(bad), LUA_ERRRUN);
  EXPECT_EQ(last_, "unexpected end of file in chunk");
}

}  // namespace
