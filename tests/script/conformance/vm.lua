-- Virtual machine semantics: bitwise operations, exclusive or and __pow,
-- concatenation modes, comparisons, per-type tables and metamethod chains.
local function try(f, ...) local ok, msg = pcall(f, unpack(arg)) print(ok, msg) end

print(-1 & 255, 1 << 31, 1 << 32, -1 >> 28, 1.9 | 0, -1.5 | 0, 0xF0 | 0x0F, 0xFF & 0x0F)
print(6 ^ 3, 5 ^ 5, -1 ^ 0, 3 ^ 4294967296)
try(function() local s = "1" return s & 1 end)
try(function() local t = {} return 1 | t end)
__pow = function(a, b) return "pow(" .. a .. "," .. b .. ")" end
print("6" ^ 3, 2 ^ "5")
__pow = nil
try(function() return "6" ^ 3 end)

-- concatenation: the last string-like operand picks the mode
local w = L"w"
print(1 .. 2, "a" .. 1 .. 2.5, w .. 1 .. L"x" == L"w1x", type(w .. 1 .. L"x"))
print(pcall(function() return "a" .. w .. 1 end))
print(pcall(function() return w .. "a" end))
print(pcall(function() return {} .. "a" end))
print(L"" .. L"" == L"", type(L"" .. 5))

-- comparisons
print(1 < 2, 2 <= 2, "a" < "b", "abc" < "abd", "" < "a", "a\0b" < "a\0c", "ab" < "a")
try(function() return 1 < "2" end)
try(function() return {} < {} end)
try(function() return L"a" < L"b" end)
print(1 == 1.0, "1" == 1, {} == {}, print == print, L"x" == L"x")

-- per-type tables
print((5).x)
local five = 5
five.x = 1
print((6).x, ("abc"):len(), ("x"):rep(3), getmetatable("") == string)
print(getmetatable(5) ~= nil, getmetatable(nil), getmetatable({}) ~= nil)
try(function() local n = nil return n.x end)
try(function() local n = 5 return n() end)

-- metamethods
local base = {greet = function(self) return "hi " .. self.name end}
local mid = setmetatable({}, {__index = base})
local obj = setmetatable({name = "obj"}, {__index = mid})
print(obj:greet(), obj.missing)
local calls = 0
local lazy = setmetatable({}, {__index = function(t, k) calls = calls + 1 return k .. "!" end})
print(lazy.a, lazy[1], calls)
local store = {}
local proxy = setmetatable({}, {__newindex = store})
proxy.x = 10
print(rawget(proxy, "x"), store.x)
local logged = setmetatable({}, {__newindex = function(t, k, v) rawset(t, k, v * 2) end})
logged.y = 4
print(logged.y)
local V = {}
V.__add = function(a, b) return "add" end
V.__sub = function(a, b) return "sub" end
V.__mul = function(a, b) return "mul" end
V.__div = function(a, b) return "div" end
V.__unm = function(a) return "unm" end
V.__concat = function(a, b) return "cat" end
V.__call = function(self, x) return "called " .. tostring(x) end
V.__eq = function(a, b) return true end
V.__lt = function(a, b) return true end
V.__tostring = function() return "a V" end
local v1, v2 = setmetatable({}, V), setmetatable({}, V)
print(v1 + 1, v1 - v1, v1 * 2, v1 / 2, -v1, v1 .. "x", v1 .. v2, v1(7))
print(v1 == v2, v1 ~= v2, v1 < v2, v1 <= v2, v1 > v2, tostring(v1))
try(function() return 5 + v1 end)
try(function() return "x" .. v1 end)
print(pcall(function() local t = v1 return "x" .. t end))
local chain = {}
local cur = chain
for i = 1, 150 do
  local nxt = {}
  setmetatable(cur, {__index = nxt})
  cur = nxt
end
try(function() return chain.deep end)
print(rawequal(v1, v2), rawequal(v1, v1))
