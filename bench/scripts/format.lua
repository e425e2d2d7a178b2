-- string.format with numbers, strings and padding.
local len = 0
for i = 1, 400000 do
  local s = string.format("%5d|%-8s|%.3f|%x", i, "name", i / 7, i)
  len = len + string.len(s)
end
print(len)
