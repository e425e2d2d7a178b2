// The block cipher against its published vectors, padding, and the
// StringCipher key text rules and buffer sizes.
#include "core/Cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Base64.h"

namespace
{

std::vector<unsigned char> Hex(const char* hex)
{
    std::vector<unsigned char> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    return out;
}

struct BlockVector
{
    const char* key;
    const char* plain;
    const char* cipher;
};

// Published vectors of the standard algorithm (8-byte keys).
const BlockVector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
};

TEST(Blowfish, PublishedVectorsEncryptAndDecrypt)
{
    for (const BlockVector& v : kVectors)
    {
        SCOPED_TRACE(v.key);
        const std::vector<unsigned char> key = Hex(v.key);
        BlowfishKey schedule;
        schedule.SetKey(key.data(), key.size());
        std::vector<unsigned char> block = Hex(v.plain);
        schedule.EncryptBlock(block.data());
        EXPECT_EQ(block, Hex(v.cipher));
        schedule.DecryptBlock(block.data());
        EXPECT_EQ(block, Hex(v.plain));
    }
}

TEST(Blowfish, VariableKeyLengthVectors)
{
    // Published variable-key-length vectors: prefixes of one long key
    // encrypting FEDCBA9876543210. The program's keys are 9 bytes long.
    const std::vector<unsigned char> full = Hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const struct
    {
        size_t length;
        const char* cipher;
    } cases[] = {{1, "F9AD597C49DB005E"}, {8, "E87A244E2CC85E82"}, {9, "15750E7A4F4EC577"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.length);
        BlowfishKey schedule;
        schedule.SetKey(full.data(), c.length);
        std::vector<unsigned char> block = Hex("FEDCBA9876543210");
        schedule.EncryptBlock(block.data());
        EXPECT_EQ(block, Hex(c.cipher));
    }
}

TEST(Blowfish, PaddingAlwaysAddsOneToEightBytes)
{
    BlowfishKey schedule;
    const std::vector<unsigned char> key = Hex("0123456789ABCDEF");
    schedule.SetKey(key.data(), key.size());
    const unsigned char data[16] = "0123456789abcde";
    for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(16)})
    {
        SCOPED_TRACE(n);
        const std::vector<unsigned char> cipher = BlowfishEncryptPadded(schedule, data, n);
        EXPECT_EQ(cipher.size(), n + 8 - n % 8);
        // The last block deciphers to its padding value repeated.
        std::vector<unsigned char> last(cipher.end() - 8, cipher.end());
        schedule.DecryptBlock(last.data());
        const unsigned char pad = static_cast<unsigned char>(8 - n % 8);
        EXPECT_EQ(last[7], pad);
        const std::vector<unsigned char> plain =
            BlowfishDecryptPadded(schedule, cipher.data(), cipher.size());
        EXPECT_EQ(plain, std::vector<unsigned char>(data, data + n));
    }
}

TEST(Blowfish, ImpossiblePaddingGivesEmptyResult)
{
    BlowfishKey schedule;
    const std::vector<unsigned char> key = Hex("0123456789ABCDEF");
    schedule.SetKey(key.data(), key.size());
    // A last byte of 0x80 (negative) or 0x7F (above the length) after decryption.
    for (unsigned char last : {0x80, 0x7F})
    {
        unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, last};
        schedule.EncryptBlock(block);
        EXPECT_TRUE(BlowfishDecryptPadded(schedule, block, 8).empty());
    }
    EXPECT_TRUE(BlowfishDecryptPadded(schedule, nullptr, 0).empty());
}

TEST(StringCipher, TextRoundTripAndSizes)
{
    StringCipher cipher("secretkey");
    const char* text = "hello, profile";
    const int n = static_cast<int>(std::strlen(text)) + 1;
    const int needed = cipher.Encrypt(text, n, nullptr, 0, true);
    const int padded = n + 8 - n % 8;
    EXPECT_EQ(needed, 4 * ((padded + 2) / 3) + 1);
    EXPECT_EQ(cipher.GetLastLength(), 0);  // a size query leaves it alone
    std::vector<char> out(static_cast<size_t>(needed));
    ASSERT_EQ(cipher.Encrypt(text, n, out.data(), needed, true), 0);
    EXPECT_EQ(cipher.GetLastLength(), needed - 1);
    EXPECT_EQ(out[static_cast<size_t>(needed - 1)], '\0');
    EXPECT_STREQ(cipher.DecryptText(TString(out.data())).CStr(), text);

    // Too small a buffer: the size again, nothing written.
    std::vector<char> small(4, 'z');
    EXPECT_EQ(cipher.Encrypt(text, n, small.data(), 4, true), needed);
    EXPECT_EQ(small[0], 'z');

    // Decrypt in text mode, missing "=" restored.
    std::string encoded(out.data());
    while (!encoded.empty() && encoded.back() == '=') encoded.pop_back();
    const int plainNeeded =
        cipher.Decrypt(encoded.data(), static_cast<int>(encoded.size()), nullptr, 0, true);
    EXPECT_EQ(plainNeeded, n);
    std::vector<char> plain(static_cast<size_t>(plainNeeded));
    ASSERT_EQ(cipher.Decrypt(encoded.data(), static_cast<int>(encoded.size()), plain.data(),
                             plainNeeded, true),
              0);
    EXPECT_STREQ(plain.data(), text);
}

TEST(StringCipher, RawModeLengths)
{
    StringCipher cipher("k");
    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(cipher.Encrypt(eight, 8, nullptr, 0, false), 16);
    EXPECT_EQ(cipher.Encrypt(eight, 0, nullptr, 0, false), 8);
    unsigned char out[16];
    ASSERT_EQ(cipher.Encrypt(eight, 8, out, 16, false), 0);
    EXPECT_EQ(cipher.GetLastLength(), 16);
    unsigned char back[16];
    ASSERT_EQ(cipher.Decrypt(out, 16, back, 16, false), 0);
    EXPECT_EQ(cipher.GetLastLength(), 8);
    EXPECT_EQ(std::memcmp(back, eight, 8), 0);
}

TEST(StringCipher, KeyTextRules)
{
    const char* text = "same plaintext";
    const int n = static_cast<int>(std::strlen(text));
    auto encrypt = [&](const char* key)
    {
        StringCipher cipher(key);
        std::vector<unsigned char> out(64);
        EXPECT_EQ(cipher.Encrypt(text, n, out.data(), 64, false), 0);
        out.resize(static_cast<size_t>(cipher.GetLastLength()));
        return out;
    };
    // Short texts are padded with "A"; only the first nine characters count.
    EXPECT_EQ(encrypt("abcde"), encrypt("abcdeAAAAAAA"));
    EXPECT_EQ(encrypt("abcdefghiXYZ"), encrypt("abcdefghi123"));
    EXPECT_EQ(encrypt("abcdefghiXYZmore"), encrypt("abcdefghi"));
    EXPECT_NE(encrypt("abcdefghi"), encrypt("abcdefgh2"));
    // The empty key text still gives a working cipher.
    StringCipher empty("");
    std::vector<unsigned char> out(64);
    ASSERT_EQ(empty.Encrypt(text, n, out.data(), 64, false), 0);
    EXPECT_EQ(empty.DecryptBytes(out.data(), static_cast<size_t>(empty.GetLastLength())),
              std::vector<unsigned char>(text, text + n));
}

// Leaves stack garbage where the next call's locals will live.
__attribute__((noinline)) void DirtyTheStack()
{
    volatile unsigned char junk[4096];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = static_cast<unsigned char>(0xA5 ^ i);
}

TEST(StringCipher, PaddingCharacterInTheKeyTextGivesAFixedKey)
{
    // "AAA=" decodes to two bytes, so the nine key bytes are 00 00, 00 00 00,
    // the group "A" + tail, and a zero where the short group left a gap.
    unsigned char key[9] = {};
    const std::string lastGroup = std::string("A") + StringCipher::KeyTail();
    ASSERT_EQ(Base64Decode(key + 5, lastGroup.data(), 4), 3u);
    BlowfishKey expected;
    expected.SetKey(key, sizeof key);
    const unsigned char text[] = "twelve bytes";
    const std::vector<unsigned char> want = BlowfishEncryptPadded(expected, text, 12);
    for (int round = 0; round < 3; ++round)
    {
        DirtyTheStack();
        StringCipher cipher("AAA=AAAAA");
        EXPECT_EQ(cipher.EncryptBytes(text, 12), want);
    }
}

TEST(StringCipher, WrongKeyIsGarbageNotACrash)
{
    StringCipher a("alpha"), b("bravo");
    std::vector<char> out(64);
    ASSERT_EQ(a.Encrypt("text", 5, out.data(), 64, true), 0);
    const TString garbage = b.DecryptText(TString(out.data()));
    EXPECT_STRNE(garbage.CStr(), "text");
    EXPECT_TRUE(b.DecryptText(TString("!!!")).Length() >= 0);
    EXPECT_STREQ(b.DecryptText(TString()).CStr(), "");
}

}  // namespace
