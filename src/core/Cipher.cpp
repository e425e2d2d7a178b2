// The text cipher: key schedule, block functions, padding and StringCipher.
#include "core/Cipher.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/Base64.h"

namespace
{

// The initial P-array and S-boxes are the fractional hexadecimal digits of
// pi, 18 + 4 * 256 words in all. They are computed once with fixed-point
// arithmetic (Machin's formula) instead of being typed out, so a mistyped
// constant cannot hide in a table of a thousand words.
constexpr size_t kPiWords = 18 + 4 * 256;

class PiDigits
{
public:
    PiDigits()
    {
        // Word 0 is the integer part; kGuard extra words absorb rounding.
        constexpr size_t kGuard = 4;
        constexpr size_t n = kPiWords + 1 + kGuard;
        std::vector<uint32_t> a(n, 0), b(n, 0);
        ArcTanInverse(5, a);
        ArcTanInverse(239, b);
        MultiplySmall(a, 16);
        MultiplySmall(b, 4);
        Subtract(a, b);
        words.assign(a.begin() + 1, a.begin() + 1 + kPiWords);
    }

    std::vector<uint32_t> words;

private:
    // Divides x[from..] by d; the words before `from` are known to be zero.
    static void DivideSmall(std::vector<uint32_t>& x, uint32_t d, size_t from = 0)
    {
        uint64_t rem = 0;
        for (size_t i = from; i < x.size(); ++i)
        {
            const uint64_t cur = (rem << 32) | x[i];
            x[i] = static_cast<uint32_t>(cur / d);
            rem = cur % d;
        }
    }

    static void MultiplySmall(std::vector<uint32_t>& x, uint32_t m)
    {
        uint64_t carry = 0;
        for (size_t i = x.size(); i-- > 0;)
        {
            const uint64_t cur = static_cast<uint64_t>(x[i]) * m + carry;
            x[i] = static_cast<uint32_t>(cur);
            carry = cur >> 32;
        }
    }

    static void Add(std::vector<uint32_t>& x, const std::vector<uint32_t>& y)
    {
        uint64_t carry = 0;
        for (size_t i = x.size(); i-- > 0;)
        {
            const uint64_t cur = static_cast<uint64_t>(x[i]) + y[i] + carry;
            x[i] = static_cast<uint32_t>(cur);
            carry = cur >> 32;
        }
    }

    static void Subtract(std::vector<uint32_t>& x, const std::vector<uint32_t>& y)
    {
        int64_t borrow = 0;
        for (size_t i = x.size(); i-- > 0;)
        {
            int64_t cur = static_cast<int64_t>(x[i]) - y[i] - borrow;
            borrow = cur < 0 ? 1 : 0;
            if (cur < 0) cur += static_cast<int64_t>(1) << 32;
            x[i] = static_cast<uint32_t>(cur);
        }
    }

    // sum = arctan(1 / x) = 1/x - 1/(3 x^3) + 1/(5 x^5) - ...
    static void ArcTanInverse(uint32_t x, std::vector<uint32_t>& sum)
    {
        std::vector<uint32_t> power(sum.size(), 0), term(sum.size());
        power[0] = 1;
        DivideSmall(power, x);
        const uint32_t x2 = x * x;
        // The powers shrink: skipping their leading zero words halves the work.
        size_t lead = 0;
        for (uint32_t k = 0;; ++k)
        {
            while (lead < power.size() && power[lead] == 0) ++lead;
            if (lead == power.size()) break;
            std::fill(term.begin(), term.begin() + static_cast<ptrdiff_t>(lead), 0u);
            std::copy(power.begin() + static_cast<ptrdiff_t>(lead), power.end(),
                      term.begin() + static_cast<ptrdiff_t>(lead));
            DivideSmall(term, 2 * k + 1, lead);
            if (k % 2 == 0)
                Add(sum, term);
            else
                Subtract(sum, term);
            DivideSmall(power, x2, lead);
        }
    }
};

const std::vector<uint32_t>& Pi()
{
    static const PiDigits digits;
    return digits.words;
}

// The program's own key tail; files enciphered under another tail are
// unreadable here, by design of the key text rule.
const char kKeyTail[] = "Qv7";

inline uint32_t LoadBE(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

inline void StoreBE(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

}  // namespace

// ---------------------------------------------------------------------------
// BlowfishKey

BlowfishKey::BlowfishKey()
{
    LoadInitialTables();
}

void BlowfishKey::LoadInitialTables()
{
    const std::vector<uint32_t>& pi = Pi();
    p_.assign(pi.begin(), pi.begin() + 18);
    for (int i = 0; i < 4; ++i)
        s_[i].assign(pi.begin() + 18 + 256 * i, pi.begin() + 18 + 256 * (i + 1));
}

uint32_t BlowfishKey::F(uint32_t x) const
{
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void BlowfishKey::EncryptWords(uint32_t& l, uint32_t& r) const
{
    for (int i = 0; i < 16; ++i)
    {
        l ^= p_[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[16];
    l ^= p_[17];
}

void BlowfishKey::DecryptWords(uint32_t& l, uint32_t& r) const
{
    for (int i = 17; i > 1; --i)
    {
        l ^= p_[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[1];
    l ^= p_[0];
}

void BlowfishKey::SetKey(const unsigned char* key, size_t keyLen)
{
    LoadInitialTables();
    if (keyLen > 56) keyLen = 56;
    if (keyLen > 0)
    {
        size_t k = 0;
        for (int i = 0; i < 18; ++i)
        {
            uint32_t w = 0;
            for (int b = 0; b < 4; ++b)
            {
                w = (w << 8) | key[k];
                k = (k + 1) % keyLen;
            }
            p_[i] ^= w;
        }
    }
    uint32_t l = 0, r = 0;
    for (int i = 0; i < 18; i += 2)
    {
        EncryptWords(l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (int s = 0; s < 4; ++s)
    {
        for (int i = 0; i < 256; i += 2)
        {
            EncryptWords(l, r);
            s_[s][i] = l;
            s_[s][i + 1] = r;
        }
    }
}

void BlowfishKey::EncryptBlock(unsigned char block[8]) const
{
    uint32_t l = LoadBE(block), r = LoadBE(block + 4);
    EncryptWords(l, r);
    StoreBE(block, l);
    StoreBE(block + 4, r);
}

void BlowfishKey::DecryptBlock(unsigned char block[8]) const
{
    uint32_t l = LoadBE(block), r = LoadBE(block + 4);
    DecryptWords(l, r);
    StoreBE(block, l);
    StoreBE(block + 4, r);
}

std::vector<unsigned char> BlowfishEncryptPadded(const BlowfishKey& key, const unsigned char* data,
                                                 size_t len)
{
    const size_t pad = 8 - len % 8;
    std::vector<unsigned char> out(len + pad, static_cast<unsigned char>(pad));
    if (len) std::memcpy(out.data(), data, len);
    for (size_t i = 0; i < out.size(); i += 8) key.EncryptBlock(out.data() + i);
    return out;
}

std::vector<unsigned char> BlowfishDecryptPadded(const BlowfishKey& key, const unsigned char* data,
                                                 size_t len)
{
    // Rounding up to whole blocks must not wrap.
    if (len == 0 || len > (SIZE_MAX >> 1)) return {};
    std::vector<unsigned char> buf((len + 7) / 8 * 8, 0);
    std::memcpy(buf.data(), data, len);
    for (size_t i = 0; i < buf.size(); i += 8) key.DecryptBlock(buf.data() + i);
    const int v = static_cast<signed char>(buf[len - 1]);
    if (v < 0 || static_cast<size_t>(v) > len) return {};
    buf.resize(len - static_cast<size_t>(v));
    return buf;
}

// ---------------------------------------------------------------------------
// StringCipher

const char* StringCipher::KeyTail()
{
    return kKeyTail;
}

StringCipher::StringCipher(const TString& keyText) : key_(new BlowfishKey)
{
    char text[12];
    const char* src = keyText.CStr();
    const size_t len = std::strlen(src);
    for (size_t i = 0; i < 12; ++i) text[i] = i < len ? src[i] : 'A';
    std::memcpy(text + 9, kKeyTail, 3);
    // An "=" inside the key text makes its group decode short; the bytes it
    // leaves unwritten must be zeros, or the key would differ from run to run.
    unsigned char key[9] = {};
    Base64Decode(key, text, 12);
    key_->SetKey(key, sizeof key);
    std::memset(key, 0, sizeof key);
}

StringCipher::~StringCipher()
{
    delete key_;
}

int StringCipher::GetLastLength() const
{
    return key_->lastLength;
}

std::vector<unsigned char> StringCipher::EncryptBytes(const void* data, size_t len) const
{
    return BlowfishEncryptPadded(*key_, static_cast<const unsigned char*>(data), len);
}

std::vector<unsigned char> StringCipher::DecryptBytes(const void* data, size_t len) const
{
    return BlowfishDecryptPadded(*key_, static_cast<const unsigned char*>(data), len);
}

int StringCipher::Encrypt(const void* data, int len, void* out, int outSize, bool text)
{
    if (len < 0 || !data) len = 0;
    const std::vector<unsigned char> cipher = EncryptBytes(data, static_cast<size_t>(len));
    const size_t needed = text ? Base64EncodedLength(cipher.size()) + 1 : cipher.size();
    if (!out || outSize < 0 || static_cast<size_t>(outSize) < needed)
        return static_cast<int>(needed);
    if (text)
    {
        char* o = static_cast<char*>(out);
        const size_t n = Base64Encode(o, cipher.data(), cipher.size());
        o[n] = '\0';
        key_->lastLength = static_cast<int>(n);
    }
    else
    {
        std::memcpy(out, cipher.data(), cipher.size());
        key_->lastLength = static_cast<int>(cipher.size());
    }
    return 0;
}

std::vector<unsigned char> StringCipher::DecodeText(const void* data, int len) const
{
    std::vector<unsigned char> bytes(Base64DecodedLength(static_cast<size_t>(len)));
    // Base64Decode already reads a short final group as padded with "=".
    bytes.resize(
        Base64Decode(bytes.data(), static_cast<const char*>(data), static_cast<size_t>(len)));
    return bytes;
}

int StringCipher::Decrypt(const void* data, int len, void* out, int outSize, bool text)
{
    if (len < 0 || (!data && len > 0)) len = 0;
    std::vector<unsigned char> plain;
    if (text)
    {
        const std::vector<unsigned char> cipher = DecodeText(data, len);
        plain = DecryptBytes(cipher.data(), cipher.size());
    }
    else
    {
        plain = DecryptBytes(data, static_cast<size_t>(len));
    }
    if (plain.empty())
    {
        key_->lastLength = 0;
        return 0;
    }
    if (!out || outSize < 0 || static_cast<size_t>(outSize) < plain.size())
        return static_cast<int>(plain.size());
    std::memcpy(out, plain.data(), plain.size());
    key_->lastLength = static_cast<int>(plain.size());
    return 0;
}

TString StringCipher::DecryptText(const TString& base64) const
{
    const std::vector<unsigned char> cipher = DecodeText(base64.CStr(), base64.Length());
    const std::vector<unsigned char> plain = DecryptBytes(cipher.data(), cipher.size());
    size_t n = 0;
    while (n < plain.size() && plain[n] != 0) ++n;
    if (n == 0) return TString();
    return TString(reinterpret_cast<const char*>(plain.data()), static_cast<int>(n));
}
