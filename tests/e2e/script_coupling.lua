-- args: --quiet
-- attach and detach from a script: direct couplings, towMode follows.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
check(oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 21.5, hdg = 180}), "airliner created")
proc.skip()

check(tug:attach(0) == 0 and tug:attach(3) == 0 and tug:detach(0) == 0, "codes other than +-1, +-2 do nothing")
check(tug:mode() == 0, "still nothing coupled")
check(tug:detach(2) == 0, "no vessel to release at the front")
check(tug:attach(-2) == 0 and tug:mode() == 0, "no vessel behind")

check(tug:attach(1) == 1 and tug:mode() == 1, "towbar at the front")
check(tug:get_attached(tug:attachIndex(-1)) == "Tug_Towbar", "the towbar vessel is named after the tractor")
check(tug:attach(2) == 1 and tug:mode() == 2, "airliner at the front")
check(tug:get_attached(tug:attachIndex(-2)) == "Jet", "airliner on the front hitch")
check(tug:detach(2) == 1 and tug:mode() == 1, "airliner released")
check(tug:detach(2) == 0 and tug:mode() == 1, "nothing left to release")
check(tug:attach(2) == 1 and tug:mode() == 2, "airliner again")

-- detach(1) releases the towbar even while the airliner is still on the hitch.
check(tug:detach(1) == 1 and tug:mode() == 0, "towbar released with the airliner still on")
check(tug:get_attached(tug:attachIndex(-1)) == nil, "front towbar mount empty")
check(tug:get_attached(tug:attachIndex(-2)) == "Jet", "the airliner is still on the hitch")
check(tug:detach(2) == 1 and tug:mode() == 1, "the airliner can still be released")

check(tug:attach(-1) == 1 and tug:mode() == -1, "towbar at the back")
check(tug:get_attached(tug:attachIndex(1)) == "Tug_Towbar", "one towbar, reused at the back")
check(tug:detach(-1) == 1 and tug:mode() == 0, "rear towbar released")
