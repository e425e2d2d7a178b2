-- Coroutines: resume/yield value passing, wrap, status, and misuse.
local co = coroutine.create(function(a, b)
  print("start", a, b)
  local c, d = coroutine.yield(a + b)
  print("resumed with", c, d)
  local e = coroutine.yield()
  return e, "end"
end)
print(coroutine.status(co))
print(coroutine.resume(co, 1, 2))
print(coroutine.status(co))
print(coroutine.resume(co, "x", "y"))
print(coroutine.resume(co, "last"))
print(coroutine.status(co))
print(coroutine.resume(co))

-- generators through wrap
local function range(n)
  return coroutine.wrap(function() for i = 1, n do coroutine.yield(i) end end)
end
local sum = 0
for i in range(5) do sum = sum + i end
print("sum", sum)

-- status seen from inside, and a coroutine resuming another
local outer
outer = coroutine.create(function()
  print("inside", coroutine.status(outer))
  local inner = coroutine.create(function() print("outer is", coroutine.status(outer)) end)
  coroutine.resume(inner)
  print(coroutine.resume(outer))
end)
coroutine.resume(outer)

-- errors inside coroutines
local bad = coroutine.create(function() local x = nil return x.y end)
print(coroutine.resume(bad))
print(coroutine.status(bad))
local w = coroutine.wrap(function() error("boom") end)
print(pcall(w))
local w2 = coroutine.wrap(function() error({}) end)
print(pcall(w2) == false)

-- misuse
print(pcall(coroutine.create, print))
print(pcall(coroutine.create, 1))
print(pcall(coroutine.resume, 1))
print(pcall(coroutine.status, {}))
print(pcall(coroutine.yield, 1))
local viaPcall = coroutine.create(function() return pcall(coroutine.yield, 1) end)
print(coroutine.resume(viaPcall))
local viaMeta = coroutine.create(function()
  local t = setmetatable({}, {__index = function() return coroutine.yield() end})
  return t.x
end)
print(coroutine.resume(viaMeta))
local dead = coroutine.wrap(function() end)
dead()
print(pcall(dead))

-- many values across resume and yield
local many = coroutine.create(function(...) coroutine.yield(unpack(arg)) end)
local r = {coroutine.resume(many, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10)}
print(table.getn(r), r[1], r[11])

-- a wrapped coroutine's error text gets the caller's position, numbers too
local wrapped = coroutine.wrap(function() error(42, 0) end)
print(pcall(function() local r = wrapped() return r end))
