-- A small Lua module.
local M = {}
--[[ block
comment ]]
function M.add(a, b)
    local s = "sum"
    local t = [[long string]]
    print(string.format("%d", a + b), 'x')
    return a + b + 0x10
end
::done::
return M
