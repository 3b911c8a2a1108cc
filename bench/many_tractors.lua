-- A thousand tractors driving in circles, for the served session's scale
-- figure (bench/serve_scale.py): each one created on a grid 30 m apart
-- around the origin, its engine started, the first forward range, a little
-- throttle and the wheel turned, so that every one of them moves, rolls its
-- wheels and steers every frame. The script then waits out the session.
local COUNT = tonumber(os.getenv("KVQ_TRACTORS") or "1000")
local SPACING = 30  -- m
local side = math.ceil(math.sqrt(COUNT))
local first = vessel.get_interface(0)
for i = 0, COUNT - 1 do
  local name = string.format("T%04d", i)
  local x, z = (i % side - side / 2) * SPACING, (math.floor(i / side) - side / 2) * SPACING
  local t = assert(oapi.create_vessel(name, "KVQ_R7700", {ref = first:get_name(), x = x, z = z + 60, hdg = 0}))
  t:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)
  t:send_bufferedkey(OAPI_KEY.W)
  t:set_thrustergrouplevel(THGROUP.MAIN, 0.15)
  t:set_controlsurfacelevel(AIRCTRL.RUDDER, (i % 2 == 0) and 0.5 or -0.5)
end
proc.wait_simdt(1e6)
