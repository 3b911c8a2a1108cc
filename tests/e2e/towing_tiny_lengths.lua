-- args: ${SRC}/tests/e2e/towing_tiny_lengths.scn
-- Tow lengths too short to divide by, from a hand-edited scenario: the
-- tractors drive and turn, the angles they cannot integrate stay as they
-- were, and the saved scenario holds numbers only.
local function check(cond, msg) if not cond then error(msg, 2) end end

for _, name in ipairs({"Tug1", "Tug2"}) do
  local tug = vessel.get_interface(name)
  check(tug:mode() == 2, name .. " restored coupled")
  tug:starter(1)
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0.5)
  tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0.3)
end
proc.wait_simdt(5)
for _, name in ipairs({"Tug1", "Tug2"}) do
  check(vessel.get_interface(name):speed() > 2, name .. " drives")
end

assert(oapi.save_scenario("tiny.scn"))
local text = io.open("tiny.scn"):read("*a")
check(not text:find("nan") and not text:find("inf"), "numbers only:\n" .. text)
local angles = {}
for block in text:gmatch("Tug%d:KVQ_R7700(.-)\nEND") do
  angles[#angles + 1] = block:match("ANGL ([^\n]*)")
end
check(#angles == 2, "two tractors saved")
for _, a in ipairs(angles) do
  check(a == "0.100000 0.200000 0.000000", "angles held: " .. a)
end
