-- Values, types and the conversions between numbers, strings and wide strings.
print(type(nil), type(true), type(1), type("s"), type({}), type(print), type(L"w"),
      type(coroutine.create(function() end)), type(newproxy()))
print(1/3, 100000000000000, 1e15, 123456789012, 0.1, -2.5, 1e-5, 2^0)
print(10 / 2, 7 / 2, 3 * 1.5, 2 - 5)
-- strings convert in arithmetic, decimal only
print("10" + 1, " 5 " * 2, "1e2" + 0, "0.5" + "0.25")
print(pcall(function() return "0x10" + 0 end))
print(tonumber("0x10"), tonumber("  12  "), tonumber("12a"), tonumber(""), tonumber(" "),
      tonumber("1e"), tonumber("inf"), tonumber("nan"), tonumber(".5"), tonumber("5."))
-- wide strings convert with their own rules
print(tonumber(L"42"), tonumber(L" 42"), tonumber(L"42 "), tonumber(L"0x1A"), tonumber(L"0x1.8p1"))
print(tonumber(L"0x1p4"), tonumber(L"-0x10"), tonumber(L"1e3"), tonumber(L"."), L"5" + 1)
-- numbers in bases are unsigned 32-bit
print(tonumber("ff", 16), tonumber("FF", 16), tonumber("zz", 36), tonumber("8", 8), tonumber("101", 2))
print(tonumber("-1", 16), tonumber("100000000", 16), tonumber(" 10 ", 2), tonumber("1 0", 2),
      tonumber("0x10", 16), tonumber(L"101", 2), tonumber("", 16), tonumber("7fffffff", 16))
print(pcall(tonumber, "10", 1))
print(pcall(tonumber, "10", 37))
print(pcall(tonumber))
-- strings and wide strings never meet
local k = {}
k["abc"] = 1
k[L"abc"] = 2
print(k["abc"], k[L"abc"], "abc" == L"abc", L"abc" == L"abc")
print(tostring(L"h\x263A") == "h:", tostring(L""), tostring(nil), tostring(false), tostring(12))
print(towstring("\128") == L"\xFF80", towstring("A") == L"A", towstring(12) == L"12",
      towstring(nil) == L"nil", towstring(L"x") == L"x", towstring(0.5) == L"0.5")
print(pcall(towstring, true))
print(pcall(towstring))
print(string.sub(tostring(towstring({})), 1, 7), string.sub(tostring(towstring(print)), 1, 10))
print(1 .. "", 0.1 .. "", -0.5 .. "|", 1e100 .. "")
print(L"a" .. 1 == L"a1", 2 .. L"b" == L"2b")
-- booleans and nil in conditions
print(not 0, not "", not nil, not false)
