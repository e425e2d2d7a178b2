-- Method calls that find their functions through __index.
local Point = {}
Point.__index = Point
function Point.new(x, y) return setmetatable({x = x, y = y}, Point) end
function Point:add(o) self.x = self.x + o.x self.y = self.y + o.y return self end
function Point:length2() return self.x * self.x + self.y * self.y end
local p, q = Point.new(0, 0), Point.new(1, 2)
local s = 0
for i = 1, 3000000 do
  p:add(q)
  s = s + p:length2() / 1000000
end
print(p.x, p.y, s)
