-- The tractor driven through keys and the host's controls: engine on, first
-- selector, full throttle to top speed, a full-lock circle, coasting to a
-- stop, then reversing with the wheel turned.
local R = oapi.get_size("Earth")
local function near(a, b, tol, what)
  assert(type(a) == "number" and math.abs(a - b) <= tol, what .. ": got " .. tostring(a) .. ", want " .. b)
end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = 10, lat = 50, hdg = 30})
assert(tug, "create_vessel failed")
local lng0, lat0 = tug:get_surfacepos()
local function metres(lng, lat)
  return (lng - lng0) * math.cos(lat0) * R, (lat - lat0) * R
end
local function position()
  local lng, lat, hdg = tug:get_surfacepos()
  local e, n = metres(lng, lat)
  return e, n, hdg
end

tug:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)  -- engine
tug:send_bufferedkey(OAPI_KEY.W)                     -- selector 1
tug:set_thrustergrouplevel(THGROUP.MAIN, 1)
proc.wait_simdt(100)

-- Top speed in selector 1, straight along the heading.
local e1, n1, h1 = position()
proc.wait_simdt(1)
local e2, n2, h2 = position()
near(math.sqrt((e2 - e1) ^ 2 + (n2 - n1) ^ 2), 6.677, 0.01, "metres in the last second")
near(h2, math.rad(30), 1e-9, "heading held")
near(math.atan2(e2 - e1, n2 - n1), math.rad(30), 1e-4, "course along the heading")

-- Full lock right: a circle of 11.035 m radius, turning clockwise.
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 1)
local es, ns = position()
local farthest = 0
for _ = 1, 20 * 60 do
  proc.skip()
  local e, n = position()
  farthest = math.max(farthest, math.sqrt((e - es) ^ 2 + (n - ns) ^ 2))
end
near(farthest, 2 * 11.035, 0.05, "turning circle diameter")
near(tug:get_animation(1), 1, 1e-12, "front right wheel at full lock")

-- Off the pedal: the tractor rolls to a stop and stays there.
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
proc.wait_simdt(90)
local ea, na = position()
proc.wait_simdt(5)
local eb, nb = position()
assert(ea == eb and na == nb, "still after coasting to a stop")

-- Reverse (the selector moves only at standstill) with the wheel turned
-- right: the heading decreases.
tug:send_bufferedkey(OAPI_KEY.S)
tug:send_bufferedkey(OAPI_KEY.S)
tug:set_thrustergrouplevel(THGROUP.MAIN, 0.5)
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0.5)
local _, _, hb = position()
proc.wait_simdt(3)
local _, _, hr = position()
local turned = hr - hb
if turned > math.pi then turned = turned - 2 * math.pi end
assert(turned < -0.01, "reversing with the wheel right turns left: " .. turned)
