-- table.sort of numbers without a comparison function.
local N = 100003
local function shuffled()
  local t, x = {}, 0
  for i = 1, 100000 do
    x = x + 7919
    while x >= N do x = x - N end  -- a stride through 0..N-1 visits the values out of order
    t[i] = x
  end
  return t
end
local check = 0
for round = 1, 5 do
  local t = shuffled()
  table.sort(t)
  check = check + t[1] + t[50000] + t[100000]
end
print(check)
