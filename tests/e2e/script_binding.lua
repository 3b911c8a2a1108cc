-- args: --quiet
-- The class's tables in the Lua registry, two tractors sharing them, and
-- methods called on anything but a live tractor.
local function check(cond, msg) if not cond then error(msg, 2) end end

local t1 = oapi.create_vessel("Tug1", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
local t2 = oapi.create_vessel("Tug2", "KVQ_R7700", {ref = "Tug1", x = 30, z = 0, hdg = 0})
local jet = oapi.create_vessel("Jet", "Airliner", {ref = "Tug1", x = -40, z = 0, hdg = 0})
check(t1 and t2 and jet, "vessels created")

local reg = debug.getregistry()
local vt = reg["KVQ_R7700.vtable"]
check(type(vt) == "table", "the class's metatable is in the registry")
check(getmetatable(t1) == vt and getmetatable(t2) == vt, "both tractors carry the class's metatable")
check(getmetatable(vessel.get_interface("Tug1")) == vt, "a second handle on the same tractor too")
local methods = vt.__index
check(type(methods) == "table", "the metatable's __index is the method table")
check(KVQ_R7700 and KVQ_R7700.method == methods, "the method table is registered as a library")
for _, name in ipairs({"speed", "mode", "transmission", "starter", "getFuel", "refuel", "lights", "attachIndex",
    "attach", "detach"}) do
  check(type(rawget(methods, name)) == "function", "method " .. name)
end
local base = reg["KVQ_R7700.base"]
check(getmetatable(methods) == base, "the method table falls back through the base table")
check(base.__index == reg["VESSEL.vtable"], "the base falls back to the host's vessel methods")
check(getmetatable(jet) == reg["VESSEL.vtable"], "other classes keep the host's metatable")
check(jet.speed == nil, "other classes get no tractor methods")

-- Each tractor's methods act on that tractor alone.
check(t2:attach(1) == 1, "second tractor couples its towbar")
check(t2:mode() == 1 and t1:mode() == 0, "only the second tractor changed")
check(t2:get_attached(t2:attachIndex(-1)) == "Tug2_Towbar", "its own towbar")
t1:refuel()
check(t1:get_name() == "Tug1" and t2:get_name() == "Tug2", "generic methods on each")

-- Anything but a tractor: setters do nothing and return nothing, getters nil.
local speed, mode, attach, transmission, lights = methods.speed, methods.mode, methods.attach,
  methods.transmission, methods.lights
check(speed(nil) == nil and speed(42) == nil and speed("Tug1") == nil and speed({}) == nil, "non-userdata")
check(speed(jet) == nil and mode(jet) == nil and attach(jet, 1) == nil, "a vessel of another class")
check(speed(io.stdout) == nil, "a foreign userdata")
check(select("#", transmission(jet, 1)) == 0 and select("#", lights(42, 1, 1, 1)) == 0, "setters return nothing")
check(select("#", speed(jet)) == 1, "getters return one nil")
local fake = setmetatable({}, vt)
check(speed(fake) == nil, "a table dressed as a tractor")

-- A tractor deleted under a live handle.
check(oapi.delete_vessel("Tug2"), "second tractor deleted")
check(t2:speed() == nil and t2:mode() == nil and t2:attach(-1) == nil, "getters on a deleted tractor return nil")
t2:transmission(1)
t2:lights(1, 1, 1)
check(t1:speed() == 0, "the first tractor is untouched")
