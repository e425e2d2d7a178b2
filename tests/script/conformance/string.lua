-- The string library (without format, pack and unpack).
local function hex(s)
  local out = {}
  for i = 1, string.len(s) do out[i] = string.format("%02x", string.byte(s, i)) end
  return table.concat(out, " ")
end
print(string.len(""), string.len("a\0b"), ("abc"):len())
local s = "hello world"
print(s:sub(1, 5), s:sub(-5), s:sub(-5, -2), s:sub(0), s:sub(7, 100), s:sub(5, 2) == "", s:sub(-100, 2))
print(string.upper("MiXeD 123"), string.lower("MiXeD 123"))
print(string.rep("ab", 3), string.rep("x", 0) == "", string.rep("x", -1) == "", string.rep("", 5) == "")
print(string.byte("A"), string.byte("abc", 2), string.byte("abc", -1), string.byte("abc", 10), string.byte("", 1))
print(string.char(72, 105), string.char() == "", hex(string.char(0, 255)))
print(pcall(string.char, 256))
print(pcall(string.char, -1))
print(pcall(string.len, L"wide"))

-- find: plain and with patterns
print(string.find("hello", "l"), string.find("hello", "xyz"), string.find("hello", ""))
print(string.find("a.b", ".", 1, true), string.find("a+b", "+", 1, true), string.find("hello", "l", -2))
print(string.find("hello world", "(o)(r)"), string.find("key = value", "(%w+)%s*=%s*(%w+)"))
print(string.find("  trim  ", "^%s*(.-)%s*$"), string.find("abc", "^b"), string.find("abc", "c$"))
print(string.find("[x]", "%[(.)%]"), string.find("f(a(b)c)d", "%b()"), string.find("THE (quick) fox", "%f[%a]%a+", 5))
print(string.find("aaa", "a-b"), string.find("aaab", "a-b"), string.find("ab", "a?b"), string.find("b", "a?b"))
print(string.find("abc", "()b()"), string.find("abab", "(ab)%1"), string.find("x", "[^%a]"), string.find("5", "[%d]"))
print(string.find("a-z", "[a%-z]", 2), string.find("0x1F", "%x+", 3), string.find("\0a", "%z"))
print(pcall(string.find, "abc", "a", 10))

-- gfind
local words = {}
for w in string.gfind("one two  three", "%a+") do table.insert(words, w) end
print(table.concat(words, ","))
for k, v in string.gfind("a=1, b=2", "(%w+)=(%w+)") do print(k, v) end
local empties = 0
for e in string.gfind("abc", "x*") do empties = empties + 1 end
print(empties)

-- gsub
print(string.gsub("hello world", "o", "0"))
print(string.gsub("hello world", "o", "0", 1))
print(string.gsub("hello", "", "-"))
print(pcall(string.gsub, "abc", "%w", "%0%0"))
print(string.gsub("hello world", "(%w+)", "<%1>"))
print(string.gsub("abc", "b", "%%"))
print(pcall(string.gsub, "$name is $age", "%$(%w+)", {name = "Ann", age = 7}))
print(string.gsub("abc", "(b)", function(c) return c .. c end))
print(string.gsub("abc", "%w", function(c) if c == "b" then return nil end return 1 end))
print(string.gsub("abc", "%w", function(c) return {} end))
print(string.gsub("  x  ", "^%s+", ""))
print(string.byte((string.gsub("x", "x", "%"))))
print(pcall(string.gsub, "x", "x"))
print(pcall(string.gsub, "x", "x", L"w"))
print(pcall(string.gsub, "x", "(", "y"))
print(pcall(string.gsub, "x", "%", "y"))
print(pcall(string.gsub, "x", "[a", "y"))
print(pcall(string.gsub, "x", "%b", "y"))
print(pcall(string.gsub, "x", "%fx", "y"))
print(pcall(string.gsub, "x", "x)", "y"))
print(pcall(string.gsub, "x", "%1", "y"))
print(pcall(string.find, "x", string.rep("()", 33)))
print(pcall(string.find, string.rep("a", 10), string.rep("a*", 4000)))
print(pcall(string.find, string.rep("a", 10), string.rep("a*", 100000)))

-- the string table is the strings' per-type table
print(getmetatable("x") == string, ("%d-%s"):format(5, "x"), ("ABC"):lower(), ("x"):byte())

-- dump
local function adder(a, b) return a + b end
local bin = string.dump(adder)
print(string.byte(bin, 1), string.sub(bin, 2, 4), loadstring(bin)(2, 3))
print(pcall(string.dump, print))
local up = 1
print(pcall(string.dump, function() return up end))
-- repeating nothing any number of times is immediate
print("[" .. string.rep("", 2000000000) .. "]", string.rep("ab", 0), string.rep("ab", -1))
print(string.upper("abc-xyz"), string.lower("M\200N") == "m\200n")
