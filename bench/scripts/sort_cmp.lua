-- table.sort with a comparison function, on numbers and on records.
local N = 100003
local t, recs, x = {}, {}, 0
for i = 1, 100000 do
  x = x + 7919
  while x >= N do x = x - N end
  t[i] = x
  recs[i] = {key = x}
end
table.sort(t, function(a, b) return a > b end)
table.sort(recs, function(a, b) return a.key < b.key end)
print(t[1], t[100000], recs[1].key, recs[100000].key)
