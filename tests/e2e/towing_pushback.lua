-- args: ${SRC}/examples/pushback.scn --sound-log sound.log
-- The stand-12 pushback: D couples towbar and airliner in one go; driving
-- forward pushes the airliner straight back, its tow point in the towbar's
-- eye; Shift+D leaves it standing.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = vessel.get_interface("Tug")
local jet = vessel.get_interface("Jet")
local FRONT_HITCH, FRONT_MOUNT = 0, 2

local function gap()
  local ax, ay, az = tug:get_globalpos()
  local bx, by, bz = jet:get_globalpos()
  return math.sqrt((ax - bx) ^ 2 + (ay - by) ^ 2 + (az - bz) ^ 2)
end

local function played(slot)
  local f = io.open("sound.log")
  if not f then return 0 end
  local n = 0
  for line in f:lines() do
    local s = line:match("PlayVesselWaveOBSound3 %-?%d+ (%d+) 0 255 0")
    if tonumber(s) == slot then n = n + 1 end
  end
  f:close()
  return n
end

proc.skip()
local before = gap()
tug:send_bufferedkey(OAPI_KEY.D)
check(tug:mode() == 2, "towbar and airliner coupled")
check(tug:get_attached(FRONT_HITCH) == "Jet", "airliner on the front hitch")
check(tug:get_attached(FRONT_MOUNT) == "Tug_Towbar", "towbar on the front mount")
check(played(8) == 1, "one coupling sound")
proc.skip()
local start = gap()
-- The scenario puts the tow point where the towbar's eye comes: nothing jumps.
check(math.abs(start - before) < 0.01, "tow point in the towbar's eye: " .. start - before)
local _, _, jetHdg0 = jet:get_surfacepos()
local jetLng0 = jet:get_surfacepos()

tug:send_bufferedkey(OAPI_KEY.E, OAPI_KEY.LCONTROL)
tug:send_bufferedkey(OAPI_KEY.W)
tug:set_thrustergrouplevel(THGROUP.MAIN, 0.5)
proc.wait_simdt(10)
tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
check(tug:speed() > 0.5, "rolling forward: " .. tug:speed())

-- Tail first: the airliner moved west (the tractor faces west), heading kept.
local jetLng, _, jetHdg = jet:get_surfacepos()
check(jetLng < jetLng0 - 1e-6, "the airliner went back")
check(math.abs(jetHdg - jetHdg0) < 1e-9, "straight back, heading kept")
check(math.abs(gap() - start) < 1e-6, "the chain stays rigid")

tug:set_wheelbrakelevel(1)
while tug:speed() ~= 0 do proc.wait_simdt(0.1) end
tug:set_wheelbrakelevel(0)
tug:send_bufferedkey(OAPI_KEY.D, OAPI_KEY.LSHIFT)
check(tug:mode() == 1, "airliner released")
check(tug:get_attached(FRONT_HITCH) == nil, "front hitch free")
check(played(8) == 2, "coupling sound on release")
local lng1, lat1 = jet:get_surfacepos()
proc.wait_simdt(2)
local lng2, lat2 = jet:get_surfacepos()
check(lng1 == lng2 and lat1 == lat2, "the released airliner stands still")
