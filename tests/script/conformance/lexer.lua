-- Lexical elements: literals, escapes, comments, long strings, numbers,
-- the added operators and control words.
print("a\tb|", 'single', [[long
string]], [[nested [[inner]] done]])
print("\65\066\0671", "\x41\x4a\x4A", "\xg", "back\\slash", "q\"q", 'it\'s')
print("line\
break")
print(0x10, 0xff, 0xFFFFFFFF, 0x7fffffff, 1e3, .5, 3., 2E-2, 0xABCDEF01)
print(string.len("a\0b"), string.byte("\255"), string.byte("\x7f"))
print(L"wide" == L"wide", L"wide" == "wide", type(L""), type(L"x"))
print(tostring(L"\x263A\x41"), string.len(tostring(L"\x263A\x41")))
print(L"\x263A" == L"\x263a", L"\65" == L"A", L"tab\t" == L"tab\x9")
local x = 1 --[[ block
comment ]] + 2
print(x)
--[[ a long
comment ]] print("after long comment")
print(1 << 4, 256 >> 4, 6 & 3, 6 | 3, 6 ^ 3)
for i = 1, 5 do
  if i == 2 then continue end
  if i == 4 then break end
  print("i", i)
end
for i = 1, 3 do
  for j = 1, 3 do
    if j == 2 then break 2 end
    print("b", i, j)
  end
end
for i = 1, 2 do
  for j = 1, 3 do
    if j == 2 then continue 2 end
    print("c", i, j)
  end
end
local n = 0
while true do
  n = n + 1
  repeat
    if n < 3 then continue 2 end
    break 2
  until true
end
print("n", n)
local t = {[1] = "one", two = 2, "first"; "second",}
print(t[1], t[2], t.two)
-- UTF-16 text handed to the loader directly (BOM FF FE, then 16-bit units)
local function utf16(s)
  local out = "\255\254"
  for i = 1, string.len(s) do out = out .. string.sub(s, i, i) .. "\0" end
  return out
end
print(loadstring(utf16("return 6 * 7"), "=utf16")())
print(loadstring(utf16("x = 1") .. ":&", "=utf16"))
local function second(a, b) return b end
print(string.format("%Q", second(loadstring("\254\255x = 1", "=bytes"))))
print(string.format("%Q", second(loadstring("x = \233", "=bytes"))))
print(loadstring("x = \1", "=bytes"))
print(loadstring("return 1.2.3", "=bytes"))
print(loadstring("return 12a", "=bytes"))
print(loadstring("x = [[never closed", "=bytes"))
print(loadstring("--[[ never closed", "=bytes"))
