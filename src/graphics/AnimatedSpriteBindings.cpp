// The script functions of an animated sprite's environment, and the
// animation library every environment runs first.
#include "graphics/AnimatedSprite.h"
#include "script/Binding.h"

const char kAnimationLibraryText[] =
    "alpha = 1\n"
    "alphadelta = 0\n"
    "alphacount = 0\n"
    "local frameDelay = 16\n"
    "function delay(ms) frameDelay = ms end\n"
    "function pause(ms) WaitLuaNextFrame(ms) end\n"
    "function showFrame() WaitLuaNextFrame(frameDelay) end\n"
    "function fadeout(n) alphadelta = -alpha / n; alphacount = n end\n"
    "function fadein(n) alphadelta = (1 - alpha) / n; alphacount = n end\n"
    "function setAlpha(a) alpha = a; SetAlpha(a) end\n"
    "function frames(list)\n"
    "  for i = 1, table.getn(list) do\n"
    "    frame = list[i]\n"
    "    if alphacount ~= 0 then\n"
    "      alpha = alpha + alphadelta\n"
    "      SetAlpha(alpha)\n"
    "      alphacount = alphacount - 1\n"
    "      if alphacount == 0 then alphadelta = 0 end\n"
    "    end\n"
    "    SetCurrentFrame(frame - 1)\n"
    "    WaitLuaNextFrame(frameDelay)\n"
    "  end\n"
    "end\n"
    "function loop(n, list) for i = 1, n do frames(list) end end\n"
    "function run(t)\n"
    "  local image = t.image or \"\"\n"
    "  local mask = t.mask or \"\"\n"
    "  local anim = t.anim or \"DoAnim\"\n"
    "  if Load(t[1], image, mask) then\n"
    "    local f = loadstring(GetScript() .. \"; \" .. anim .. \"()\")\n"
    "    if f then f() end\n"
    "  end\n"
    "end\n"
    "function die() Die() end\n"
    "function halt() Pause(true, -1) end\n"
    "function stop(depth) Pause(true, depth or -1) end\n"
    "function isPlaying(depth) return IsPlaying(depth or -1) end\n"
    "function endReferences() end\n"
    "function random(a, b) return Random(a, b) end\n";

void PublishAnimatedSpriteBindings(lua_State* L, TAnimatedSprite* sprite)
{
    if (L == nullptr || sprite == nullptr) return;
    using S = TAnimatedSprite;
    LuaBindMember(L, "SetCurrentFrame", sprite, &S::SetCurrentFrame);
    LuaBindMember(L, "WaitLuaNextFrame", sprite, &S::WaitLuaNextFrame);
    LuaBindMember(L, "Die", sprite, &S::StopAll);
    LuaBindMember(L, "Pause", sprite, &S::Pause);
    LuaBindMember(L, "IsPlaying", sprite, &S::IsPlaying);
    LuaBindMember(L, "Load", sprite, &S::LoadAnimation);
    LuaBindMember(L, "GetScript", sprite, &S::GetAnimationScript);
    LuaBindMember(L, "SetAlpha", sprite, &S::SetAlpha);
    LuaBindMember(L, "SetLayer", sprite, &TSprite::SetLayer);
    LuaBindMember(L, "RemoveSprite", sprite, &S::RemoveFromParent);
    LuaBindMember(L, "Random", sprite, &S::Random);
}
