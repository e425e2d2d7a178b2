// Backend-independent input rules: activation guard, typed characters,
// hover timer.
#include "platform/Input.h"

#include <cmath>
#include <cstdint>

#include "core/Utf16.h"
#include "platform/Keys.h"

namespace platform
{

bool Message::Add(int32_t type, int32_t x, int32_t y, int32_t data, int32_t mods)
{
    if (count >= kMaxMessageEvents) return false;
    events[count++].Set(type, x, y, data, mods);
    return true;
}

bool PassesActivationGuard(bool buttonUp, const InputContext& ctx, InputState& st)
{
    if (ctx.movieInput) return false;
    if (ctx.moviePlaying) return true;
    if (buttonUp) st.activationGuard = false;
    // Unsigned difference: a stamp from the future (clock adjusted) reads as
    // long ago rather than blocking clicks for 49 days.
    if (st.activationGuard && ctx.now - st.activationStamp < kActivationGuardMs) return false;
    return true;
}

bool AddUtf8ModeUnit(uint16_t unit, InputState& st, Message& out)
{
    if (unit >= 0xD800 && unit <= 0xDBFF)
    {
        st.pendingHighSurrogate = unit;
        return false;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF)
    {
        if (st.pendingHighSurrogate == 0) return false;
        int32_t cp = ((st.pendingHighSurrogate - 0xD800) << 10) + (unit - 0xDC00) + 0x10000;
        st.pendingHighSurrogate = 0;
        return out.Add(kEventCharUtf8, 0, 0, cp, 0);
    }
    // A plain character between the halves leaves the pending high half.
    return out.Add(kEventCharUtf8, 0, 0, unit, 0);
}

namespace
{

// Decodes one code point; surrogate code points written as three bytes are
// accepted so that a pair spelt that way still meets. Returns the bytes
// used (at least 1) and cp = -1 for a malformed sequence.
size_t DecodeOne(std::string_view s, size_t i, int32_t& cp)
{
    size_t used = 1;
    cp = DecodeUtf8Sequence(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i,
                            used, true);
    return used;
}

}  // namespace

void AddTextEvents(std::string_view utf8, const InputContext& ctx, InputState& st, Message& out)
{
    size_t i = 0;
    while (i < utf8.size())
    {
        int32_t cp;
        i += DecodeOne(utf8, i, cp);
        if (cp < 0) continue;
        if (!ctx.utf8)
        {
            out.Add(kEventChar, 0, 0, cp < 256 ? cp : '?', 0);
        }
        else if (cp >= 0x10000)
        {
            cp -= 0x10000;
            AddUtf8ModeUnit(static_cast<uint16_t>(0xD800 + (cp >> 10)), st, out);
            AddUtf8ModeUnit(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)), st, out);
        }
        else
        {
            AddUtf8ModeUnit(static_cast<uint16_t>(cp), st, out);
        }
    }
}

int32_t ControlCharacterFor(int32_t vk, bool control, bool alt)
{
    if (alt) return 0;
    switch (vk)
    {
        case kVkReturn:
            return control ? 10 : 13;
        case kVkEscape:
            return 27;
        case kVkTab:
            return control ? 0 : 9;
        case kVkBack:
            return control ? 127 : 8;
        default:
            break;
    }
    if (control && vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;
    return 0;
}

bool CheckHover(const InputContext& ctx, InputState& st, Message& out)
{
    if (!st.hoverArmed || !st.pointerInside || ctx.now - st.lastMoveTime < kHoverMs) return false;
    st.lastMoveTime = ctx.now;
    out.Clear();
    out.Add(kEventHover, st.mouseX, st.mouseY, 0, 0);
    return true;
}

namespace
{

// A degenerate viewport (a vanishing scale while the window changes mode)
// must not turn a position into a value no int can hold.
int ToGame(int pixel, int origin, float scale)
{
    double s = scale > 0.0f && std::isfinite(scale) ? scale : 1.0;
    double v = std::floor((static_cast<double>(pixel) - origin) / s);
    if (v < INT32_MIN) return INT32_MIN;
    if (v > INT32_MAX) return INT32_MAX;
    return static_cast<int>(v);
}

}  // namespace

void MapToGame(const InputContext& ctx, int px, int py, int& gx, int& gy)
{
    gx = ToGame(px, ctx.originX, ctx.scaleX);
    gy = ToGame(py, ctx.originY, ctx.scaleY);
}

}  // namespace platform
