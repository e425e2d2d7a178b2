-- The base library.
print(_VERSION, _G == getfenv(0), _G._G == _G, type(_LOADED))
-- print: wide strings go through towstring, everything else through tostring
print(L"ab", 1)
print(L"\x263A smile", "narrow", nil, false)
print(pcall(print, setmetatable({}, {__tostring = function() return {} end})))
print(setmetatable({}, {__tostring = function() return "custom" end}))
local savedTostring, savedTowstring = tostring, towstring
tostring = function() return "replaced" end
print(1, "x")
tostring = nil
local ok, msg = pcall(print, 1)
tostring = savedTostring
print(ok, msg)
towstring = function() return "narrow" end
ok, msg = pcall(print, L"w")
towstring = savedTowstring
print(ok, msg)

-- iteration
local t = {10, 20, 30, nil, 50}
for i, v in ipairs(t) do io_i = i end
print(io_i, next({}), next({7}))
local keys = 0
for k, v in pairs({a = 1, b = 2, 3}) do keys = keys + 1 end
print(keys, pcall(next, {}, "nokey") == false)
print(unpack({1, 2, 3}), unpack({}), unpack({n = 2}))
print(rawget(setmetatable({}, {__index = function() return 1 end}), "x"), rawequal("a", "a"))
local r = {}
print(rawset(r, "k", "v") == r, r.k)
print(pcall(rawget, 1, 2))
print(pcall(ipairs))

-- environments
local function envf() return x_in_env end
setfenv(envf, {x_in_env = "from env"})
print(envf(), x_in_env)
print(getfenv(envf).x_in_env, getfenv(print) == _G)
local function level1() return getfenv(1) end
print(level1() == _G)
print(pcall(getfenv, -1))
print(pcall(getfenv, 50))
print(pcall(setfenv, print, {}))
local protected = {__fenv = "hidden"}
local pf = function() end
setfenv(pf, protected)
print(getfenv(pf), pcall(setfenv, pf, {}))

-- loading
print(loadstring("return 2 * 21")())
print(loadstring("syntax error here"))
local chunk, err = loadstring("error('in chunk')", "=named")
print(pcall(chunk))
print(pcall(loadfile))
print(pcall(dofile))
print(loadfile("::data/missing.lua"))
print(loadfile("::data/broken.lua"))
print(dofile("::data/values.lua"))
local lf = loadfile("::data/values.lua")
print(type(lf), lf())

-- require with LUA_PATH
LUA_PATH = "::data/?.lua"
local m = require("mod")
print(m.name, m.loads, require("mod") == m, _LOADED.mod == m, _REQUIREDNAME)
print(require("noreturn"), noreturn_ran, _LOADED.noreturn)
print(pcall(require, "missing"))
print(pcall(require, "broken"))
LUA_PATH = "::data/?.lua;::data/?.lua;"
print(pcall(require, "absent"))
_LOADED = nil
print(pcall(require, "mod"))
_LOADED = {}

-- collector control
collectgarbage(0)
local a, b = gcinfo()
print(a <= b)

-- limits
print(pcall(unpack, {n = 100000}))
print(select == nil, string.len(string.rep("ab", 3000)), type(unpack({n = 1500})))
