-- The collector: counts, weak tables, finalisers, and finalisers at close.
local count, threshold = gcinfo()
print(type(count), type(threshold), count > 0, threshold >= count)
local junk = {}
for i = 1, 2000 do junk[i] = {i, tostring(i)} end
junk = nil
collectgarbage()
local after = gcinfo()
print(after < count + 200)

local weakKeys = setmetatable({}, {__mode = "k"})
local weakValues = setmetatable({}, {__mode = "v"})
local kept = {}
weakKeys[kept] = "kept"
weakKeys[{}] = "dropped"
weakValues[1] = kept
weakValues[2] = {}
weakValues[3] = "strings stay"
collectgarbage()
local n = 0
for k, v in pairs(weakKeys) do n = n + 1 end
print(n, weakKeys[kept], weakValues[1] == kept, weakValues[2], weakValues[3])

-- finalisers of userdata (proxies) run when they are collected ...
local p = newproxy(true)
getmetatable(p).__gc = function() print("collected proxy") end
p = nil
collectgarbage()
print("after collect")
-- ... and, for those still alive, when the state closes
keep = newproxy(true)
getmetatable(keep).__gc = function() print("finalised at close") end
local shared = newproxy(keep)
print(getmetatable(shared) == getmetatable(keep), getmetatable(newproxy(false)) ~= getmetatable(keep))
print(pcall(newproxy, {}))
-- tables have no finalisers
setmetatable({}, {__gc = function() print("never") end})
collectgarbage()
print("end of script")
