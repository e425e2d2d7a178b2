local t = {&8 &4 1, 2, x = L"a\x263A"}
for i = 1, 3 do if i == 2 then continue end end
while a do while b do break 2 end end
return 6 & 3 | 1 << 4 >> 2 ^ 5
