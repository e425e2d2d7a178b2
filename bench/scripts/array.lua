-- Array part of tables: fill, read back, update in place.
local t = {}
local n = 1000000
for round = 1, 5 do
  for i = 1, n do t[i] = i + round end
  local s = 0
  for i = 1, n do s = s + t[i] end
  for i = 1, n do t[i] = t[i] * 2 end
  if round == 5 then print(s, t[n]) end
end
