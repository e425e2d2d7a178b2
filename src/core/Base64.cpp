// Base64 with the standard alphabet and "=" padding.
#include "core/Base64.h"

#include <array>

namespace
{

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// One entry for every byte value, so that any input byte, however foreign,
// stays inside the table; unknown characters contribute zero bits.
constexpr std::array<unsigned char, 256> MakeDecodeTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    return table;
}

constexpr std::array<unsigned char, 256> kDecode = MakeDecodeTable();

}  // namespace

size_t Base64EncodedLength(size_t len)
{
    return 4 * ((len + 2) / 3);
}

size_t Base64DecodedLength(size_t len)
{
    return 3 * ((len + 3) / 4);
}

size_t Base64Encode(char* out, const unsigned char* in, size_t len)
{
    size_t o = 0;
    for (size_t i = 0; i < len; i += 3)
    {
        unsigned v = static_cast<unsigned>(in[i]) << 16;
        const size_t left = len - i;
        if (left > 1) v |= static_cast<unsigned>(in[i + 1]) << 8;
        if (left > 2) v |= in[i + 2];
        out[o++] = kAlphabet[(v >> 18) & 63];
        out[o++] = kAlphabet[(v >> 12) & 63];
        out[o++] = left > 1 ? kAlphabet[(v >> 6) & 63] : '=';
        out[o++] = left > 2 ? kAlphabet[v & 63] : '=';
    }
    return o;
}

size_t Base64Decode(unsigned char* out, const char* in, size_t len)
{
    size_t o = 0;
    for (size_t i = 0; i < len; i += 4)
    {
        char c[4];
        for (size_t k = 0; k < 4; ++k) c[k] = i + k < len ? in[i + k] : '=';
        unsigned v = 0;
        for (size_t k = 0; k < 4; ++k)
            v = (v << 6) | (c[k] == '=' ? 0u : kDecode[static_cast<unsigned char>(c[k])]);
        size_t n = 3;
        if (c[3] == '=')
        {
            --n;
            if (c[2] == '=') --n;
        }
        out[o++] = static_cast<unsigned char>(v >> 16);
        if (n > 1) out[o++] = static_cast<unsigned char>(v >> 8);
        if (n > 2) out[o++] = static_cast<unsigned char>(v);
    }
    return o;
}
