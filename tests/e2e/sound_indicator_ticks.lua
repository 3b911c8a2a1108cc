-- args: --sound-log sound.log
-- With the cockpit shown, the indicator ticks once per flash, in the lit
-- half of each second: four seconds of steering, four ticks.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
check(tug, "tractor created")
oapi.set_visual("Tug", true)
proc.skip()
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, -0.5)
proc.wait_simdt(4)

local ticks = {}
for line in io.lines("sound.log") do
  local t = line:match("^(%S+) PlayVesselWaveOBSound3 0 10 0 255 0$")
  if t then ticks[#ticks + 1] = tonumber(t) end
end
check(#ticks == 4, #ticks .. " ticks")
for i, t in ipairs(ticks) do
  check(t % 1 > 0.5 and math.floor(t) == i - 1, "tick " .. i .. " at " .. t)
end
