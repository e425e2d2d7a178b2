-- Wide-string concatenation (the dialect's own string type).
local count = 0
for round = 1, 20 do
  local s = L""
  for i = 1, 3000 do s = s .. L"item" .. i .. L";" end
  count = count + string.len(tostring(s))
end
local parts = 0
for i = 1, 300000 do
  local w = L"a" .. i .. L"\x263A" .. i * 2
  parts = parts + string.len(tostring(w))
end
print(count, parts)
