-- Closures: creation with upvalues and calls through them.
local function counter(start)
  local n = start
  return function(step) n = n + step return n end
end
local total = 0
for i = 1, 300000 do
  local c = counter(i)
  c(1) c(2)
  total = total + c(3)
end
local add = function(a) return function(b) return a + b end end
for i = 1, 1000000 do total = total + add(i)(1) end
print(total)
