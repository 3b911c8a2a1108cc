-- Whatever a script stores under the names the tractor's binding reads, the
-- runner neither crashes nor sees an error when it hands a tractor to Lua:
-- a value of the wrong type leaves the tractor with the host's methods. A
-- metatable the host supplies for the class still reaches the tractor.
local function check(cond, msg) if not cond then error(msg, 2) end end
local reg = debug.getregistry()

-- Before any tractor was handed over: a global whose __index raises.
KVQ_R7700 = setmetatable({}, {__index = function() error("boom") end, __newindex = function() error("boom") end})
local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
check(tug and tug:get_name() == "Tug", "created, with the host's methods")
check(tug.speed == nil, "no tractor methods")
KVQ_R7700 = nil

for _, value in ipairs({42, "a string", true}) do
  reg["VESSEL.KVQ_R7700"] = value
  check(vessel.get_interface("Tug"):get_name() == "Tug", "VESSEL.KVQ_R7700 = " .. tostring(value))
end
reg["VESSEL.KVQ_R7700"] = nil
reg["KVQ_R7700.vtable"] = 7
check(vessel.get_interface("Tug").speed == nil, "a number as the class metatable")
reg["KVQ_R7700.vtable"] = nil
reg["KVQ_R7700.base"] = "x"
check(vessel.get_interface("Tug").speed == nil, "a string as the base table")
reg["KVQ_R7700.base"] = nil

-- Nothing in the way any more: the tractor's methods.
tug = vessel.get_interface("Tug")
check(tug:speed() == 0 and tug:mode() == 0, "registered")
local methods = getmetatable(tug).__index

-- The host's own table for the class: the methods still find the tractor.
reg["VESSEL.KVQ_R7700"] = {__index = setmetatable({speed = methods.speed, attach = methods.attach},
  {__index = reg["VESSEL.vtable"]})}
tug = vessel.get_interface("Tug")
check(getmetatable(tug) == reg["VESSEL.KVQ_R7700"], "the host's table")
check(tug:speed() == 0, "speed through the host's table")
check(tug:attach(1) == 1 and tug:get_attached(2) == "Tug_Towbar", "attach through the host's table")

-- The runner's own entries: a value of the wrong type is a Lua error naming
-- the entry, and a well-formed one works again.
reg["VESSEL.KVQ_R7700"] = nil
oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 40, hdg = 180})
for _, name in ipairs({"kvqsim.vessels", "VESSEL.vtable"}) do
  local saved, cache = reg[name], reg["kvqsim.vessels"]
  reg["kvqsim.vessels"] = {}  -- the Jet's userdata is made anew
  reg[name] = 42
  local ok, message = pcall(vessel.get_interface, "Jet")
  check(not ok and message:find('"' .. name .. '" is a number, not a table', 1, true), tostring(message))
  reg[name], reg["kvqsim.vessels"] = saved, cache
  check(vessel.get_interface("Jet"):get_name() == "Jet", name .. " restored")
end
-- A userdata that is no vessel, however small, is nobody.
for _, other in ipairs({io.stdout, newproxy()}) do
  check(tug.get_name(other) == nil and tug.speed(other) == nil, tostring(other))
end
