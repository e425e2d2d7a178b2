-- The table library.
print(table.concat({1, "a", 2}, "-"), table.concat({}), table.concat({"x"}, ", "), table.concat({1, 2, 3}))
print(table.concat({"a", "b", "c", "d"}, "", 2, 3), table.concat({"a", "b"}, "|", 3), table.concat({n = 0}))
print(pcall(table.concat, {1, {}}))
print(pcall(table.concat, {L"w"}))
print(pcall(table.concat, "x"))
local parts = {}
for i = 1, 300 do parts[i] = string.rep("p", 7) end
print(string.len(table.concat(parts, ",")))

-- sizes: field n, recorded size, or the count from 1
print(table.getn({n = 5}), table.getn({1, 2, nil, 4}), table.getn({}), table.getn({n = "x", 1}))
local t = {}
table.setn(t, 10)
print(table.getn(t), t.n)
local withN = {n = 1}
table.setn(withN, 3)
print(withN.n)
print(pcall(table.getn, 1))

-- insert and remove
local l = {}
table.insert(l, "a")
table.insert(l, "c")
table.insert(l, 2, "b")
table.insert(l, 1, "start")
print(table.concat(l, ","), table.getn(l))
print(table.remove(l), table.remove(l, 1), table.concat(l, ","), table.getn(l))
print(table.remove({}), table.getn(l))
local counted = {n = 2, "x", "y"}
table.insert(counted, "z")
print(counted.n, counted[3])
table.insert(l, 10, "far")
print(table.getn(l), l[10])

-- foreach and foreachi
table.foreachi({"a", "b"}, print)
print(table.foreachi({5, 6, 7}, function(i, v) if v == 6 then return i end end))
local n = 0
table.foreach({a = 1, b = 2}, function(k, v) n = n + v end)
print(n, table.foreach({x = 1}, function(k, v) return k .. v end))

-- sort
local nums = {5, 2, 8, 1, 9, 3, 7, 4, 6, 0}
table.sort(nums)
print(table.concat(nums, " "))
table.sort(nums, function(a, b) return a > b end)
print(table.concat(nums, " "))
local words = {"pear", "Apple", "fig", "banana"}
table.sort(words)
print(table.concat(words, " "))
table.sort(words, function(a, b) return string.len(a) < string.len(b) end)
print(words[1], words[4])
local one, none = {1}, {}
table.sort(one) table.sort(none)
print(one[1], none[1])
local big = {}
for i = 1, 1000 do big[i] = (i * 7919) & 1023 end
table.sort(big)
local sorted = true
for i = 2, 1000 do if big[i - 1] > big[i] then sorted = false end end
print(sorted, big[1], big[1000])
local recs = {{k = 3}, {k = 1}, {k = 2}}
table.sort(recs, function(a, b) return a.k < b.k end)
print(recs[1].k, recs[2].k, recs[3].k)
print(pcall(table.sort, {5, 4, 3, 2, 1, 6, 7, 8, 9, 10, 11, 12}, function(a, b) return true end))
print(pcall(table.sort, {3, "a", 1}))
print(pcall(table.sort, {1, 2}, 3))
-- the last index a size can name: joining and walking stop there
local edge = {}
edge[2147483647] = "z"
print(table.concat(edge, "-", 2147483647, 2147483647), table.concat(edge, "-", 5, 4))

-- joining: numbers as their own text, entries kept in the hash part, a number as separator
local zero, back = 0, {}
for i = 5, 1, -1 do back[i] = "h" .. i end
print(table.concat({1.5, -zero, 1e100, 0.1, -7, 1e15, 123456789012345}, ","), table.concat(back, "."), table.concat({1, 2}, 0))
print(pcall(table.concat, {"a", "b", nil, "d"}, "", 1, 4))

-- sorting without a function orders as the same order given as a function:
-- equal elements (0 and -0 too) end up in the same places, and an order
-- broken by NaN fails or not in the same way
local function copy(t, n)
  local c = {}
  for i = 1, n do c[i] = t[i] end
  return c
end
local function texts(t, n)
  local s = {}
  for i = 1, n do s[i] = tostring(t[i]) end
  return table.concat(s, " ")
end
local nan, nz = zero / zero, -zero
local cases = {
  {3, 1, 2, 1, 3, 0, nz, 2, 0, nz, 5, 5, 5, nz, 0},
  {nan, 1, nan, 2, -1, nan, 3, 0, nan, 4, 4, -2},
  {"b", "a", "c", "a", "B", "", "b", "a\0b", "a\0a", "a", "ab"},
  {},
}
for i = 1, 300 do cases[4][i] = (i * 37) & 15 end
for i = 1, 300, 7 do cases[4][i] = nz end
for _, c in ipairs(cases) do
  local n = table.getn(c)
  local a, b = copy(c, n), copy(c, n)
  local oka, ea = pcall(table.sort, a)
  local okb, eb = pcall(table.sort, b, function(x, y) return x < y end)
  print(oka, ea, oka == okb, ea == eb, texts(a, n) == texts(b, n))
end
local zeros = {0, nz, nz, 0, 0, nz, 1, nz}
table.sort(zeros)
print(texts(zeros, 8))

-- a comparison that rewrites the table it sorts: the array part moves, an
-- element is replaced; the sort reads each element afresh
local t = {}
for i = 1, 60 do t[i] = (i * 13) & 31 end
local calls = 0
print(pcall(table.sort, t, function(x, y)
  calls = calls + 1
  if calls == 40 then for k = 61, 300 do t[k] = k end end
  if calls == 90 then t[3] = 1000 end
  return x < y
end))
print(texts(t, 60), t[300])
-- mixed kinds without a function go through the order handlers
local mt = {__lt = function(x, y) return x.v < y.v end}
local objs = {}
for i = 1, 20 do objs[i] = setmetatable({v = (i * 7) & 7}, mt) end
table.sort(objs)
local vs = {}
for i = 1, 20 do vs[i] = objs[i].v end
print(table.concat(vs, " "))
