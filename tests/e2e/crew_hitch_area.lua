-- args: --flight-model 1
-- In realism mode a crew member at the front hitch area couples towbar and
-- airliner in one go; a second activation releases the airliner.
local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
assert(tug, "no tractor")
-- The airliner faces the tractor, its tow point just ahead of the front hitch.
assert(oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 21.5, hdg = 180}))
oapi.set_focus("Tug")
proc.skip()

tug:send_bufferedkey(OAPI_KEY.D)
proc.skip()
assert(tug:mode() == 0, "in realism mode the hitch key alone does nothing")

tug:send_bufferedkey(OAPI_KEY.E)
local c = vessel.get_interface("UMmu_Eng-Peter_Holm")
assert(c, "the engineer is out")
assert(c:walk_to(tug, 0, 0, 9.0))
assert(c:activate_area() == 1, "the front area holds him")
proc.wait_simdt(0.5)
assert(tug:mode() == 2, "towbar and airliner coupled, mode " .. tostring(tug:mode()))

assert(c:activate_area() == 1)
proc.wait_simdt(0.5)
assert(tug:mode() == 1, "the airliner is released, the towbar stays")

assert(c:walk_to(tug, 0, 0, -30))
assert(c:activate_area() == nil, "no area holds him there")
