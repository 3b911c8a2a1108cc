-- The engineer leaves the tractor with E, stays outside while out of the
-- airlock, walks back in and is aboard again with the focus on the tractor.
local function near(a, b, tol, what)
  assert(type(a) == "number" and math.abs(a - b) <= tol, what .. ": got " .. tostring(a) .. ", want " .. b)
end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
assert(tug, "no tractor")
oapi.set_focus("Tug")
proc.skip()
local mass = tug:get_emptymass()

tug:send_bufferedkey(OAPI_KEY.E)
local walker = "UMmu_Eng-Peter_Holm"
local c = vessel.get_interface(walker)
assert(c, "the engineer is out on foot")
assert(c:get_classname() == "UMmu")
near(tug:get_emptymass(), mass - 74, 1e-9, "the engineer's weight left with him")
local name, mesh, age, pulse, weight = c:record()
assert(name == "UMmu_Eng-Peter Holm" and mesh == "ummu/ummuTECH", tostring(name) .. " " .. tostring(mesh))
assert(age == 28 and pulse == 65 and weight == 74)

-- A second E finds nobody aboard.
tug:send_bufferedkey(OAPI_KEY.E)
assert(vessel.get_count() == 2)

assert(c:walk_to(tug, -8, 0, 3.5), "walk_to")
oapi.set_focus(walker)
proc.wait_simdt(2)
assert(vessel.get_interface(walker), "out of the airlock he stays out")

assert(c:walk_to("Tug", 0, 0, 3.5))
proc.wait_simdt(0.5)
assert(vessel.get_interface(walker) == nil, "taken in through the airlock")
assert(oapi.get_focus() == "Tug", "the focus is back on the tractor")
near(tug:get_emptymass(), mass, 1e-9, "aboard again")

local path = "crew_eva_walk_in.scn"
assert(oapi.save_scenario(path))
local text = io.open(path):read("*a")
assert(text:find("UMMUCREW Eng-Peter_Holm-28-65-74", 1, true), "the engineer is on the roster")
