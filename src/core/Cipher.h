// The text cipher: the standard 64-bit block cipher with its pi-derived key
// schedule, applied block by block (no chaining) with byte padding, and
// StringCipher, which binds one key built from a 12-character key text and
// works on raw bytes or base64 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/String.h"

// One key schedule: the P-array and the four S-boxes.
class BlowfishKey
{
public:
    BlowfishKey();
    // Standard schedule; keyLen 1..56 bytes (other lengths are cut or, for 0,
    // give the schedule of the empty key: plain tables mixed with zeros).
    void SetKey(const unsigned char* key, size_t keyLen);
    // One 8-byte block in place (two big-endian words).
    void EncryptBlock(unsigned char block[8]) const;
    void DecryptBlock(unsigned char block[8]) const;

    int lastLength = 0;

private:
    // The pi-derived P-array and S-boxes every schedule starts from.
    void LoadInitialTables();
    uint32_t F(uint32_t x) const;
    void EncryptWords(uint32_t& l, uint32_t& r) const;
    void DecryptWords(uint32_t& l, uint32_t& r) const;

    std::vector<uint32_t> p_;     // 18 words
    std::vector<uint32_t> s_[4];  // 256 words each
};

// Pads n bytes with p = 8 - n % 8 bytes of value p and enciphers every block;
// the result is n + p bytes long. Never fails.
std::vector<unsigned char> BlowfishEncryptPadded(const BlowfishKey& key, const unsigned char* data,
                                                 size_t len);

// Deciphers (input zero-filled to whole blocks) and removes the padding named
// by the last input byte. An impossible padding (the last byte read as signed
// is negative or above len) gives an empty result.
std::vector<unsigned char> BlowfishDecryptPadded(const BlowfishKey& key, const unsigned char* data,
                                                 size_t len);

class StringCipher
{
public:
    // Key text: padded with "A" or cut to 12 characters, its last three
    // replaced by the program's fixed tail, base64-decoded to a 9-byte key.
    explicit StringCipher(const TString& keyText);
    ~StringCipher();
    StringCipher(const StringCipher&) = delete;
    StringCipher& operator=(const StringCipher&) = delete;

    // Enciphers len bytes. text: the result is base64 text plus a NUL (size
    // needed: encoded length + 1); else the padded ciphertext bytes.
    // Returns 0 when out (outSize bytes) held the result, whose length is then
    // GetLastLength() (the NUL not counted); otherwise the size out needs, and
    // nothing is written.
    int Encrypt(const void* data, int len, void* out, int outSize, bool text);

    // Deciphers len bytes (text: base64 characters, extended with "=" to a
    // multiple of 4). Returns 0 on success (length in GetLastLength(), no
    // terminator) or the size out needs. Wrong keys give garbage, not errors;
    // an impossible padding gives an empty result (needed size 0).
    int Decrypt(const void* data, int len, void* out, int outSize, bool text);

    int GetLastLength() const;

    // Base64 ciphertext to text, cut at the first NUL; empty when the result
    // is empty or the padding is impossible.
    TString DecryptText(const TString& base64) const;

    // Raw forms for callers that work on buffers they own.
    std::vector<unsigned char> EncryptBytes(const void* data, size_t len) const;
    std::vector<unsigned char> DecryptBytes(const void* data, size_t len) const;

    // The fixed three base64 characters that end every key text.
    static const char* KeyTail();

private:
    std::vector<unsigned char> DecodeText(const void* data, int len) const;

    BlowfishKey* key_;
};
