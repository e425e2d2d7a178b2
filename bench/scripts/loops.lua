-- Numeric for and while loops with arithmetic on locals.
local sum = 0
for i = 1, 20000000 do
  sum = sum + i * 2 - 1
end
local n, acc = 0, 0
while n < 5000000 do
  n = n + 1
  acc = acc + n / 2
end
print(sum, acc)
