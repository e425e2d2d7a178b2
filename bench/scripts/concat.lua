-- table.concat over many pieces, with and without a separator.
local pieces = {}
for i = 1, 100000 do pieces[i] = "p" .. i end
local len = 0
for round = 1, 30 do
  len = len + string.len(table.concat(pieces))
  len = len + string.len(table.concat(pieces, ", "))
end
print(len)
