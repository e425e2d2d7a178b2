-- A table of records: field reads and writes on many small tables.
local recs = {}
for i = 1, 100000 do recs[i] = {x = i, y = i * 2, name = "r", alive = true} end
local total = 0
for round = 1, 30 do
  for i = 1, 100000 do
    local r = recs[i]
    r.x = r.x + r.y
    if r.alive then total = total + r.x end
  end
end
print(total)
