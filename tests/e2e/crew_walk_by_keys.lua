-- args: --flight-model 1
-- A crew member on foot walks by keys: out of the door without the airlock
-- taking him straight back, up to the front hitch, where Space activates
-- its action area and, in realism mode, the tractor couples towbar and
-- airliner in one go.
local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
assert(tug, "no tractor")
assert(oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 21.5, hdg = 180}))
proc.skip()

tug:send_bufferedkey(OAPI_KEY.E)
local c = vessel.get_interface("UMmu_Eng-Peter_Holm")
assert(c, "the engineer is out")
local _, _, hdg0 = c:get_surfacepos()
assert(c:send_bufferedkey(OAPI_KEY.W) == 1, "the walking key is the crew member's")
proc.wait_simdt(1.0)
assert(vessel.get_interface("UMmu_Eng-Peter_Holm"), "the door's airlock took him back at his first steps")
proc.wait_simdt(1.2)
-- 3.3 m ahead of the door: within 5 m of the front hitch.
assert(tug:mode() == 0, "nothing coupled yet")
assert(c:send_bufferedkey(OAPI_KEY.SPACE) == 1)
proc.wait_simdt(0.5)
assert(tug:mode() == 2, "towbar and airliner coupled, mode " .. tostring(tug:mode()))

-- Turning: a quarter turn a second while the key is held.
assert(c:send_bufferedkey(OAPI_KEY.D) == 1)
proc.wait_simdt(1.0)
local _, _, hdg1 = c:get_surfacepos()
local turned = (hdg1 - hdg0) % (2 * math.pi)
assert(math.abs(turned - math.pi / 2) < 0.05, "turned " .. turned)
