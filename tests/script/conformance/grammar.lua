-- Statements, expressions and the operator priorities.
print(1 + 2 * 3, (1 + 2) * 3, 2 * 3 - 4 / 2, 10 - 2 - 3, 64 / 4 / 2)
print(1 + 2 & 3, 2 * 3 & 1, 12 & 10 | 1, 1 << 2 << 1, 256 >> 2 >> 1)
print(5 ^ 1 & 3, 2 ^ 3 ^ 1, -1 & 255, -(1 & 3))
print(1 .. 2 .. 3, "a" .. 1 + 2, 1 < 2 == true, not nil == true)
print(1 < 2 and 3 or 4, nil and 1 or 2, false or nil, 1 and nil, nil or false)
print(not 1 == 2, -2 * -3, - - 2)

-- assignment, multiple results and their adjustment
local function three() return 1, 2, 3 end
local a, b, c, d = three()
print(a, b, c, d)
a, b = b, a
print(a, b)
print(three(), three())
print((three()))
local t = {three(), three()}
print(table.getn(t))
t = {three(), (three())}
print(table.getn(t))
local i = 1
i, t[i] = i + 1, 20
print(i, t[1], t[2])

-- functions: varargs, recursion, closures, methods
local function va(...) return arg.n, arg[1], arg[arg.n] end
print(va(), va(nil, nil), va("x", "y", "z"))
local function fact(n) if n <= 1 then return 1 end return n * fact(n - 1) end
print(fact(10))
local function counter()
  local n = 0
  return function() n = n + 1 return n end
end
local c1, c2 = counter(), counter()
print(c1(), c1(), c2())
local obj = {v = 10}
function obj:get(x) return self.v + x end
function obj.static(x) return x * 2 end
print(obj:get(5), obj.static(4), obj["get"](obj, 1))
local fs = {}
for k = 1, 3 do fs[k] = function() return k end end
print(fs[1](), fs[2](), fs[3]())
print(type(print), string.len "abc", table.getn {1, 2})

-- control structures
local s = 0
for k = 10, 1, -3 do s = s + k end
print(s)
for k = 1, 0 do print("never") end
local w = 0
while w < 5 do w = w + 2 end
repeat w = w - 1 until w < 3
print(w)
for k, v in ipairs({"a", "b", nil, "d"}) do io_ = k end
print(io_)
do local x = 1 do local x = 2 end print(x) end
if nil then print(1) elseif false then print(2) else print(3) end

-- constructors with size hints
local h = {&8 &4}
h[1] = "x" h.k = "y"
print(h[1], h.k, table.getn({&2 1, 2, 3}))
print(loadstring("return {& x}"))
print(loadstring("return {1, 2; &4}") == nil)
print(loadstring("break"))
print(loadstring("x = 1 +"))
print(loadstring("local function end"))
