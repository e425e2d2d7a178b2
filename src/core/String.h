// TString: the framework's one string type, UTF-8 bytes in a reference-counted
// body shared by copies until one of them writes; plus the UTF-8 helpers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>

// Heap body of a TString. Never shared across threads: the count is a plain int.
struct TStringRep
{
    char* text;        // NUL-terminated UTF-8, in the same block after this header
    int32_t refs;      // handles sharing this body; 1 when created
    int32_t capacity;  // size of text in bytes, room for the NUL included
};

// Search flags (a bit set).
enum : int
{
    kFindIgnoreCase = 1,  // compare bytes after toupper
    kReplaceAll = 2,      // Replace only: every occurrence, not just the first
    kFindBackwards = 4,   // scan from the end; start then counts from the end
};

// Sizes are signed 32-bit byte counts. An operation whose size would not fit
// logs "TString: size overflow" and leaves the string as it was (or yields an
// empty string); it never allocates a short buffer.
class TString
{
public:
    // The null handle: the empty string, no allocation.
    TString() noexcept : rep_(nullptr) {}
    // Always allocates (capacity length + 1); a null pointer gives an empty
    // 16-byte body.
    TString(const char* text);  // NOLINT(google-explicit-constructor): used everywhere
    // Copies count bytes and puts a NUL behind them (an embedded NUL ends the
    // text early); capacity max(count + 1, 16).
    // A negative count or a null pointer with count > 0 yields an empty string.
    TString(const char* bytes, int count);
    TString(const TString& other) noexcept;
    TString(TString&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }
    // Null and moved-from handles, the most common ones to go, cost no call.
    ~TString()
    {
        if (rep_ != nullptr) Release();
    }

    TString& operator=(const TString& other) noexcept;
    TString& operator=(TString&& other) noexcept;
    TString& operator=(const char* text);

    // Byte length; 0 for the null handle. Scans for the NUL.
    int Length() const;
    bool IsEmpty() const { return rep_ == nullptr || rep_->text[0] == '\0'; }
    // Never null: "" for the null handle.
    const char* CStr() const { return rep_ ? rep_->text : ""; }
    // The byte at index, or 0 when index is not below the length.
    char CharAt(unsigned index) const;
    // atoi / atof of the text (saturated to the int / float range); 0 for the
    // null handle.
    int ToInt() const;
    float ToFloat() const;

    // Order of this against other: negative, 0 or positive (a signed 8-bit
    // value). Goes through the collation library when one is present; else
    // bytewise as unsigned bytes. A null string equals "".
    int Compare(const TString& other) const;
    bool operator==(const TString& other) const { return Compare(other) == 0; }
    bool operator<(const TString& other) const { return Compare(other) < 0; }
    bool operator>(const TString& other) const { return Compare(other) > 0; }
    bool operator<=(const TString& other) const { return Compare(other) <= 0; }
    bool operator>=(const TString& other) const { return Compare(other) >= 0; }

    // Index of the byte / the needle's first byte, or -1 (null string, start not
    // below the length, or no match). flags: kFindIgnoreCase, kFindBackwards.
    // An empty needle matches at the first candidate.
    int FindChar(char c, int flags = 0, int start = 0) const;
    int Find(const TString& needle, int flags = 0, int start = 0) const;

    // New strings; the operand is not changed.
    TString operator+(const TString& other) const;
    TString operator+(char c) const;
    // count bytes from start (-1 = to the end); empty when start is not below
    // the length, count is 0, or start is negative. count is clamped to the text.
    TString Substring(int start, int count = -1) const;
    // UTF-8 bytes of the code point; empty when Utf8Encode writes none.
    static TString FromCodePoint(uint32_t codePoint);
    // printf formatting of any length.
    static TString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static TString FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

    // In-place changes; each detaches from a shared body first.
    void SetFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // ASCII letters only.
    void ToLower();
    // Private body of capacity max(capacity, 16) holding the old buffer's
    // contents; never smaller than the text + NUL, so nothing is cut. Returns
    // false (string unchanged) when the capacity is negative.
    bool Reserve(int capacity);
    // Copies count bytes to position (-1 = the end of the text), growing the
    // buffer by doubling; with terminate a NUL follows them. Bytes between the
    // text and position read as NUL. Returns position + count, or -1 (string
    // unchanged) when position is below -1, count is negative or the size
    // would overflow.
    int WriteAt(int position, const void* bytes, int count, bool terminate);
    TString& operator+=(const TString& other);
    TString& operator+=(char c);
    void Append(const char* bytes, int count);
    // Replaces the first occurrence of search at or after start (or every one
    // with kReplaceAll); inserted text is never searched again. An empty search
    // text changes nothing. Returns the number of replacements.
    int Replace(const TString& search, const TString& replacement, int flags = 0, int start = 0);
    // Removes count bytes at start (-1 = to the end); count is clamped to the
    // text; nothing when start is not below the length or negative.
    void Erase(int start, int count = -1);

    // Size of the text buffer (0 for the null handle); for diagnostics and tests.
    int Capacity() const { return rep_ ? rep_->capacity : 0; }
    // True when both handles hold the same body (or both are null).
    bool SharesBodyWith(const TString& other) const { return rep_ == other.rep_; }

private:
    explicit TString(TStringRep* rep) noexcept : rep_(rep) {}
    void Release() noexcept;
    // Makes the body private (refs == 1); a null handle stays null.
    void Detach();

    TStringRep* rep_;
};

// text then b, as TString(text) + b.
inline TString operator+(const char* text, const TString& b)
{
    return TString(text) + b;
}

// UTF-8 helpers over raw bytes.
// 0 for NUL; 4 for >= 0xF0, 3 for 0xE0..0xEF, 2 for 0xC0..0xDF, else 1.
int Utf8SequenceLength(const char* lead);
// Writes 0..4 bytes into out (room for 4) and returns the count. U+FEFF,
// U+FFFE, U+FFFF and values above U+10FFFF write nothing.
int Utf8Encode(uint32_t codePoint, char* out);
// The code point at p, or 0 for NUL or an invalid sequence.
uint32_t Utf8Decode(const char* p);
// True when no byte is 0xC0 or above (every byte is one character).
bool IsPlainTextBytes(const TString& text);

// Bytewise hash (agrees with the bytewise order used when no collation
// library is present).
template <>
struct std::hash<TString>
{
    size_t operator()(const TString& s) const noexcept;
};
