-- Pattern matching: gsub with string and function replacements, gfind.
local gfind = string.gfind or string.gmatch
local text = string.rep("the quick brown fox jumps over the lazy dog ", 200)
local n = 0
for round = 1, 600 do
  local r, c = string.gsub(text, "o", "0")
  n = n + c
  r, c = string.gsub(text, "(%w+)", function(w) return w end)
  n = n + c
  for w in gfind(text, "%a+") do n = n + 1 end
  local s = string.find(text, "lazy cat")
  if s then n = n + 1 end
end
print(n)
