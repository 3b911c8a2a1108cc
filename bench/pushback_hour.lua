-- An hour of loaded towing for the runner's speed check: towbar and airliner
-- coupled at the front, two crew aboard, the tractor in reverse pulling the
-- airliner after it with the rudder swinging from side to side every 10 s.
-- (Driving forward, pushing the airliner tail first, the chain jackknifes
-- within seconds once the rudder swings, and the rest of the hour would be
-- a tractor standing still.) The script wakes once per 10 s of simulated time.
local HOUR = 3600
local SWING = 10      -- s between rudder changes
local RUDDER = 0.2
local THROTTLE = 0.2

local tug = vessel.get_interface("Tug")
assert(tug, "no tractor in the scenario")

tug:send_bufferedkey(OAPI_KEY.D)
assert(tug:mode() == 2, "towbar and airliner coupled")
tug:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)  -- engine on
for _ = 1, 3 do tug:send_bufferedkey(OAPI_KEY.S) end  -- down to reverse
tug:set_thrustergrouplevel(THGROUP.MAIN, THROTTLE)

local side = 1
for _ = 1, HOUR / SWING do
  tug:set_controlsurfacelevel(AIRCTRL.RUDDER, side * RUDDER)
  side = -side
  proc.wait_simdt(SWING)
end

assert(tug:mode() == 2, "still coupled after the hour")
assert(tug:speed() < -1, "still moving after the hour: " .. tostring(tug:speed()))
