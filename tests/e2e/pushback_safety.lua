-- args: --dt 0.0333333333
-- The push stops safely, and says why, when something outside it goes
-- wrong: the steering forced to full lock swings the towbar out (it stops
-- long before the jackknife limit), the airliner is uncoupled, or the
-- aircraft is pushed off the path.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
local pushback = require "pushback"
local check = cases.check

local tug, jet = cases.scene()
local skip = proc.skip

-- Runs the plan with `meddle` called before every frame from `after`
-- seconds on; returns the run's results and the largest towbar angle seen.
local function disturbed(plan, after, meddle)
  local start = oapi.get_simtime()
  proc.skip = function()
    if oapi.get_simtime() - start >= after then meddle() end
    skip()
  end
  local a, b, worst = cases.run_watched(tug, jet, plan)
  proc.skip = skip
  return a, b, worst
end

local function stopped(what)
  check(tug:speed() == 0, what .. ": stopped", 2)
  local lng, lat = tug:get_surfacepos()
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0.5)
  proc.wait_simdt(1)
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
  local lng2, lat2 = tug:get_surfacepos()
  check(lng == lng2 and lat == lat2, what .. ": the parking brake holds", 2)
  tug:lights(-1, -1, 0)
end

-- Full lock to the right, whatever the controller asks; a generous
-- tolerance so the towbar limit is what stops it.
local plan = cases.plan({{"s", 60}})
plan.tolerance = 100
local a, b, worst = disturbed(plan, 5, function() tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 1) end)
check(a == nil and b == "path too tight for the aircraft", "stopped at the towbar limit: " .. tostring(b))
print(string.format("largest towbar angle %.1f deg", worst))
check(worst > 60 and worst < 75, "the towbar stopped near 62 degrees, far from 90: " .. worst)
stopped("towbar limit")
-- A jackknife would have stopped the engine and put the selector in neutral:
-- the tractor drives on when asked.
tug:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
check(tug:detach(2) == 1 and tug:detach(1) == 1 and tug:mode() == 0, "released")
tug:set_thrustergrouplevel(THGROUP.MAIN, 0.5)
proc.wait_simdt(1)
check(tug:speed() > 0, "engine still running, still in gear")
tug:set_thrustergrouplevel(THGROUP.MAIN, 0)
tug:set_wheelbrakelevel(1)
while tug:speed() ~= 0 do proc.skip() end
tug:set_wheelbrakelevel(0)

-- A fresh scene for the others.
oapi.delete_vessel("Tug")
oapi.delete_vessel("Jet")
oapi.delete_vessel("Tug_Towbar")
proc.skip()
tug, jet = cases.scene()

-- Someone releases the airliner half way.
a, b = disturbed(cases.plan({{"s", 40}}), 8, function()
  if tug:mode() == 2 then tug:detach(2) end
end)
check(a == nil and b == "not coupled", "stopped when uncoupled: " .. tostring(b))
stopped("uncoupled")

-- The steering held at a small angle drags the airliner off the path, here
-- by more than half a metre.
oapi.delete_vessel("Tug")
oapi.delete_vessel("Jet")
oapi.delete_vessel("Tug_Towbar")
proc.skip()
tug, jet = cases.scene()
plan = cases.plan({{"s", 60}})
plan.tolerance = 0.5
a, b, worst = disturbed(plan, 3, function() tug:set_controlsurfacelevel(AIRCTRL.RUDDER, -0.2) end)
check(a == nil and b == "off the path", "stopped off the path: " .. tostring(b))
check(worst < 62, "before the towbar limit")
stopped("off the path")
