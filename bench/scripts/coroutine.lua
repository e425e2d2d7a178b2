-- Coroutine ping-pong: values passed through resume and yield.
local co = coroutine.create(function(a)
  while true do a = coroutine.yield(a + 1) end
end)
local v = 0
for i = 1, 1000000 do
  local ok
  ok, v = coroutine.resume(co, v)
end
local gen = coroutine.wrap(function() for i = 1, 500000 do coroutine.yield(i) end end)
local s = 0
for i = 1, 500000 do s = s + gen() end
print(v, s)
