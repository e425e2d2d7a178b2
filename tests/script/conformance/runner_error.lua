print("before")
local t = nil
print(t.x)
print("never")
