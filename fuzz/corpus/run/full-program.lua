local t = {&8 &4 1, 2, x = L"a\x263A", [3] = 4.5}
local function fib(n) if n < 2 then return n end return fib(n-1) + fib(n-2) end
local s = ''
for i = 1, 5 do if i == 3 then continue end s = s .. i end
for k, v in pairs(t) do s = s .. tostring(k) end
local n = 0 while n < 10 do n = n + 1 if n > 5 then break end end
repeat n = n - 1 until n <= 0
local fs = {} for i = 1, 3 do local x = i fs[i] = function() return x + n end end
return fib(10), s, 6 & 3 | 1 << 4 >> 2 ^ 5, fs[2](), t.x, -n, not n, n ~= 2 and 1 or 2
