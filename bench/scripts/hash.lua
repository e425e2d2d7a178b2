-- Hash part of tables: string keys made once, then many inserts and lookups.
local keys = {}
for i = 1, 20000 do keys[i] = "key" .. i end
local hits = 0
for round = 1, 40 do
  local h = {}
  for i = 1, 20000 do h[keys[i]] = i end
  for i = 1, 20000 do
    if h[keys[i]] == i then hits = hits + 1 end
  end
  for i = 1, 20000, 2 do h[keys[i]] = nil end
end
print(hits)
