-- The shipped example: a pushback from stand 12. The tractor faces the
-- airliner's nose. It couples towbar and airliner with the D key, pushes the
-- airliner straight back by driving forward (the airliner goes tail first),
-- stops, releases the airliner and the towbar and drives away.

local tug = vessel.get_interface("Tug")

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

local function select(gear)
  while tug:speed() ~= 0 do proc.wait_simdt(0.1) end
  for _ = 1, 3 do
    tug:send_bufferedkey(OAPI_KEY.S)
  end
  for _ = 1, gear + 1 do
    tug:send_bufferedkey(OAPI_KEY.W)
  end
end

proc.wait_simdt(1)

-- Towbar and airliner in one go.
tug:send_bufferedkey(OAPI_KEY.D)
assert(tug:mode() == 2, "the airliner hangs on the towbar")

tug:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)
select(1)

-- Straight back, about 40 m.
drive(1.5, 30)
halt()

-- Leave airliner and towbar at the stand, back off and drive away round
-- the right.
tug:send_bufferedkey(OAPI_KEY.D, OAPI_KEY.LSHIFT)
assert(tug:mode() == 1, "the airliner is released")
tug:send_bufferedkey(OAPI_KEY.B, OAPI_KEY.LSHIFT)
assert(tug:mode() == 0, "the towbar is released")
select(-1)
drive(-1.5, 8)
halt()
select(1)
drive(3, 7, 1)
drive(3, 10)
halt()
