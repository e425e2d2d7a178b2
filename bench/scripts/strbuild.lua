-- String building with the concatenation operator.
local count = 0
for round = 1, 20 do
  local s = ""
  for i = 1, 3000 do s = s .. "item" .. i .. ";" end
  count = count + string.len(s)
end
local parts = 0
for i = 1, 500000 do
  local t = "a" .. i .. "b" .. i * 2 .. "c"
  parts = parts + string.len(t)
end
print(count, parts)
