-- Calls: tail calls, varargs, many values, constructors, numeric for edges.
local function tail(n) if n == 0 then return "bottom" end return tail(n - 1) end
print(tail(100000))
local function lost() return getfenv(2) end
local function viaTail() return lost() end
print(pcall(viaTail))
print(pcall(function() local f = function() return getfenv(2) end return f() end))

local function count(...) return arg.n end
local big = {}
for i = 1, 250 do big[i] = i end
print(count(unpack(big)), select == nil)
local t = {unpack(big)}
print(table.getn(t), t[1], t[250])
local ctor = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
              21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, x = "x", 36}
print(table.getn(ctor), ctor[33], ctor[36], ctor.x)

-- numeric for: float steps, string limits, errors
local n = 0
for i = 0, 1, 0.25 do n = n + 1 end
print(n)
for i = "1", "3" do n = n + i end
print(n)
for i = 3, 1 do n = 0 end
print(n)
print(pcall(function() for i = {}, 2 do end end))
print(pcall(function() for i = 1, "x" do end end))
print(pcall(function() for i = 1, 2, nil do end end))
for i = L"1", L"2" do n = n + 1 end
print(n)

-- generic for over a custom iterator with state
local function iter(s, c) if c < s then return c + 1, c * 2 end end
for a, b in iter, 3, 0 do io_ = a .. ":" .. b end
print(io_)

-- calling through __call, and calling non-functions
local callable = setmetatable({}, {__call = function(self, a, b) return a + b end})
print(callable(2, 3), pcall(setmetatable({}, {}), 1))

-- recursion depth limits
local depth = 0
local function deep() depth = depth + 1 deep() end
print(pcall(deep), depth > 1000)
local function cdeep() return pcall(cdeep) end
local ok = pcall(cdeep)
print("nested native calls end", ok)
