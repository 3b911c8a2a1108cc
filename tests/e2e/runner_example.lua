-- args: ${ROOT}/Examples/pushback.scn --until 3
-- The shipped scenario loads before the script starts, and --until ends
-- the run while the script still waits.
assert(vessel.get_count() == 2)
local tug, jet = vessel.get_interface("Tug"), vessel.get_interface("Jet")
assert(tug and jet)
assert(tug:get_classname() == "KVQ_R7700" and jet:get_classname() == "Airliner")
assert(oapi.get_focus() == "Tug")
assert(oapi.get_simtime() == 0)
local _, _, hdg = jet:get_surfacepos()
assert(math.abs(hdg - math.rad(90)) < 1e-9)
proc.wait_simtime(1000)
error("the run should have stopped at --until")
