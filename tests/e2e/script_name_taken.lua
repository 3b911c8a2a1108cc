-- args: --quiet
-- A script that took the class's library name for something else: handing
-- the tractor to Lua raises no error, and the generic methods still work.
local function check(cond, msg) if not cond then error(msg, 2) end end

KVQ_R7700 = 5
local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "the tractor is created")
check(tug:get_name() == "Tug", "generic methods reach the tractor")
check(tug.speed == nil, "the class's methods are left out")
check(KVQ_R7700 == 5, "the script's value is untouched")

KVQ_R7700 = {method = "taken"}
check(vessel.get_interface("Tug"):get_classname() == "KVQ_R7700", "a field in the way is no error either")

KVQ_R7700 = nil
local again = vessel.get_interface("Tug")
check(again.speed and again:speed() == 0, "with the name free the methods come back")
