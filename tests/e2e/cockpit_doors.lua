-- args: --quiet
-- The cab doors send crew out on foot: the right door the member in seat 2,
-- the left door the member in seat 1, and both leave on the left afterwards.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
check(oapi.vc_enter(0), "left seat")
proc.skip()

-- A new tractor carries one crew member: the right door has nobody to send.
local count = vessel.get_count()
check(oapi.vc_click(17, PANEL_MOUSE.LBPRESSED, 0.5, 0.5), "right door")
proc.skip()
check(vessel.get_count() == count, "nobody leaves by the right door")

-- The left door sends the driver out, on the left of the tractor: facing west,
-- the left side is the south.
-- Read at once, before a later frame can move him.
check(oapi.vc_click(16, PANEL_MOUSE.LBPRESSED, 0.5, 0.5), "left door")
check(vessel.get_count() == count + 1, "the driver is out on foot")
local walker = vessel.get_interface(count)
check(walker and walker:get_classname() == "UMmu", "a crew vessel")
local _, tugLat = tug:get_surfacepos()
local _, walkerLat = walker:get_surfacepos()
check(walkerLat < tugLat, "the driver stepped out on the left")
