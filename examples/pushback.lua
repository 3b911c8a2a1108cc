-- The shipped example: a pushback from stand 12 onto the taxi line. The
-- tractor faces the airliner's nose. A planned pushback (the pushback
-- library in the root's Script folder) couples towbar and airliner with the
-- D key, pushes the airliner tail first straight back out of the stand and
-- round a 90-degree turn onto the taxi line, stops it there on the taxi
-- line's heading and sets the parking brake. The tractor then leaves
-- airliner and towbar on the line, backs off and drives away. With --plot
-- the picture shows the planned path beside the tracks.

local pushback = require "pushback"

local tug = vessel.get_interface("Tug")
local jet = vessel.get_interface("Jet")

-- Drives at about the given speed (m/s, signed) for the given time, holding
-- the speed with the accelerator pedal.
local function drive(target, seconds, steer)
  tug:set_controlsurfacelevel(AIRCTRL.RUDDER, steer or 0)
  local stop = oapi.get_simtime() + seconds
  while oapi.get_simtime() < stop do
    local v = math.abs(tug:speed())
    tug:set_thrustergrouplevel(THGROUP.MAIN, v < math.abs(target) and 0.6 or 0)
    proc.wait_simdt(0.1)
  end
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
end

local function halt()
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
  tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
  tug:set_wheelbrakelevel(1)
  while tug:speed() ~= 0 do proc.wait_simdt(0.1) end
  tug:set_wheelbrakelevel(0)
end

-- Selects a gear once the tractor stands (the keys refuse while rolling;
-- the script method would not wait).
local function select(gear)
  while tug:speed() ~= 0 do proc.wait_simdt(0.1) end
  tug:transmission(gear)
end

-- The plan, for the airliner's origin in metres east and north of where it
-- stands: 30 m straight back (west, out of the stand), then a quarter
-- circle of 35 m radius to the right, the tail swinging north, a point
-- every metre. On the taxi line the airliner faces south (180 degrees).
local STRAIGHT, RADIUS = 30, 35
local points = {}
for i = 1, STRAIGHT do
  points[#points + 1] = {e = -i, n = 0}
end
local steps = math.ceil(RADIUS * math.pi / 2)
for i = 1, steps do
  local a = (math.pi / 2) * i / steps
  points[#points + 1] = {e = -STRAIGHT - RADIUS * math.sin(a), n = RADIUS * (1 - math.cos(a))}
end

proc.wait_simdt(1)

local err, herr = pushback.run(tug, jet, {points = points, heading = 180, speed = 1.5})
assert(err, "pushback: " .. tostring(herr))
print(string.format("pushback done: %.2f m from the last point, %.2f degrees off the taxi line", err, herr))
assert(tug:mode() == 2, "the airliner is still on the towbar")

-- Leave airliner and towbar on the taxi line (parking brake off first),
-- back off and drive away round the right.
tug:lights(-1, -1, 0)
tug:send_bufferedkey(OAPI_KEY.D, OAPI_KEY.LSHIFT)
assert(tug:mode() == 1, "the airliner is released")
tug:send_bufferedkey(OAPI_KEY.B, OAPI_KEY.LSHIFT)
assert(tug:mode() == 0, "the towbar is released")
select(-1)
drive(-1.5, 12)
halt()
select(1)
drive(3, 7, 1)
drive(3, 10)
halt()
