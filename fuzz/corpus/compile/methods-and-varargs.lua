function obj(a, ...) local self = {v = a, n = arg.n} function self:get() return self.v end return self end
local o = obj(1, 2, 3)
local a, b, c = o:get(), select and 1, {unpack({1,2,3})}
local str = string.format("%d %s", 5, "x") .. (a or "") .. L"w"
while true do while a do break 2 end end
return str, a, b, c[3], o.n
