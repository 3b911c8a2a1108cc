-- A script that computes a level of nan or inf gets an error naming the
-- method and the argument; the tractor drives on with the levels it had,
-- and the saved scenario holds numbers only.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
check(tug, "tractor created")
tug:starter(1)
tug:transmission(1)
tug:set_thrustergrouplevel(THGROUP.MAIN, 1)
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0.5)
proc.wait_simdt(3)

local calls = {
  {"set_thrustergrouplevel", "#2", function(x) tug:set_thrustergrouplevel(THGROUP.MAIN, x) end},
  {"set_wheelbrakelevel", "#1", function(x) tug:set_wheelbrakelevel(x) end},
  {"set_controlsurfacelevel", "#2", function(x) tug:set_controlsurfacelevel(AIRCTRL.RUDDER, x) end},
}
for _, c in ipairs(calls) do
  for _, bad in ipairs({0 / 0, 1 / 0, -1 / 0, "nan"}) do
    local ok, err = pcall(c[3], bad)
    check(not ok, c[1] .. " took " .. tostring(bad))
    check(err:find("bad argument " .. c[2] .. " to '" .. c[1] .. "'", 1, true) and err:find("finite", 1, true),
      "the error names method and argument: " .. err)
  end
end
check(tug:get_thrustergrouplevel(THGROUP.MAIN) == 1, "the throttle kept")
check(tug:get_controlsurfacelevel(AIRCTRL.RUDDER) == 0.5, "the steering kept")

local v0 = tug:speed()
proc.wait_simdt(1)
check(tug:speed() > v0, "still accelerating")
assert(oapi.save_scenario("levels.scn"))
local text = io.open("levels.scn"):read("*a")
check(not text:lower():find("nan", 1, true) and not text:lower():find("inf", 1, true), "numbers only:\n" .. text)
