-- args: --sound-log sound.log
-- A towbar pushed ahead of the tractor in a full-lock turn jackknifes within
-- seconds: the tractor stops dead with the engine off (full throttle no longer
-- moves it), clang then screech, the towbar still on.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
proc.skip()
tug:send_bufferedkey(OAPI_KEY.V)
check(tug:mode() == 1, "towbar at the front")
tug:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)
tug:send_bufferedkey(OAPI_KEY.W)
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 1)
tug:set_thrustergrouplevel(THGROUP.MAIN, 1)

local moved, t0 = false, oapi.get_simtime()
while oapi.get_simtime() - t0 < 20 do
  proc.skip()
  if tug:speed() > 0 then moved = true end
  if moved and tug:speed() == 0 then break end
end
check(moved and tug:speed() == 0, "stopped by the jackknife")
check(oapi.get_simtime() - t0 < 10, "within seconds")
proc.wait_simdt(2)
check(tug:speed() == 0, "engine off: full throttle does not move it")
check(tug:mode() == 1 and tug:get_attached(2) == "Tug_Towbar", "towbar still coupled")

local f = assert(io.open("sound.log"))
local slots = {}
for line in f:lines() do
  local s = line:match("PlayVesselWaveOBSound3 %-?%d+ (%d+) 0 255 0")
  if s then slots[#slots + 1] = tonumber(s) end
end
f:close()
local found = false
for i = 1, #slots - 1 do
  if slots[i] == 8 and slots[i + 1] == 9 then found = true end
end
check(found, "clang then screech")
