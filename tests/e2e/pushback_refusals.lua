-- Plans the chain cannot follow, and malformed ones, are refused before
-- anything moves; the scene is then as it was and a good plan still runs.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
local pushback = require "pushback"
local check = cases.check

local tug, jet = cases.scene()
local lng0, lat0, hdg0 = jet:get_surfacepos()
local tlng, tlat, thdg = tug:get_surfacepos()

local function untouched(what)
  local lng, lat, hdg = jet:get_surfacepos()
  check(lng == lng0 and lat == lat0 and hdg == hdg0, what .. ": the airliner did not move", 2)
  lng, lat, hdg = tug:get_surfacepos()
  check(lng == tlng and lat == tlat and hdg == thdg, what .. ": the tractor did not move", 2)
  check(tug:mode() == 0 and vessel.get_interface("Tug_Towbar") == nil, what .. ": nothing coupled", 2)
end

local function refused(plan, reason, what)
  local a, b = pushback.run(tug, jet, plan)
  check(a == nil and b == reason, what .. ": expected '" .. reason .. "', got " .. tostring(a) .. ", " .. tostring(b), 2)
  untouched(what)
end

-- Turns tighter than the chain can hold in a steady turn.
refused(cases.plan({{"s", 20}, {"t", 90, 8}}), "path too tight for the aircraft", "8 m turn")
refused(cases.plan({{"s", 20}, {"t", -90, 12}}), "path too tight for the aircraft", "12 m turn")
-- A sharp corner in a coarse polyline is a tight turn too.
refused({points = {{e = -20, n = 0}, {e = -20, n = 20}}, heading = 180}, "path too tight for the aircraft", "corner")
-- Each turn can be held, but not the swing from one into the other.
refused(cases.plan({{"s", 10}, {"t", 90, 20}, {"t", -90, 20}, {"s", 5}}), "path too tight for the aircraft",
  "S-bend of 20 m")
-- A final heading across the end of the path.
refused({points = {{e = -20, n = 0}}, heading = 0}, "path too tight for the aircraft", "heading across the path")
-- Followed, but not within the tolerance asked for.
local plan = cases.plan({{"s", 30}, {"t", 90, 35}})
plan.tolerance = 0.05
refused(plan, "path too tight for the aircraft", "tolerance of 5 cm")

-- Not a pushback: the path leads nose first.
refused({points = {{e = 20, n = 0}}}, "path does not lead tail first", "nose first")
-- Malformed plans.
refused({}, "plan.points is not a list", "no points")
refused({points = {}}, "path too short", "empty path")
refused({points = {{e = 0.01, n = 0}}}, "path too short", "no length")
refused({points = {{e = -10, n = 0}, {e = -20}}}, "plan.points[2] is not {e=, n=}", "bad point")
refused({points = {{e = -10, n = 0}}, heading = "south"}, "plan.heading is not a number", "bad heading")
check(select(2, pushback.run(tug, jet, nil)) == "no plan", "no plan")
check(select(2, pushback.run(tug, nil, {points = {{e = -10, n = 0}}})) == "no tractor or aircraft", "no aircraft")

-- check foresees a run without moving anything.
local sum, reason = pushback.check(tug, jet, cases.plan({{"s", 30}, {"t", 90, 35}}))
check(sum and sum.errPos < 1 and math.abs(sum.errHdg) < 2 and sum.maxTowbar < pushback.TOWBAR_SOFT,
  "check of a good plan: " .. tostring(reason))
sum, reason = pushback.check(tug, jet, cases.plan({{"s", 20}, {"t", 90, 8}}))
check(sum == nil and reason == "path too tight for the aircraft", "check of a tight plan")
untouched("check")

-- The towbar at the back cannot push from the front.
check(tug:attach(-1) == 1, "towbar at the back")
local a, b = pushback.run(tug, jet, cases.plan({{"s", 10}}))
check(a == nil and b == "not coupled: the towbar is at the back", tostring(b))
check(tug:mode() == -1, "left as it was")
check(tug:detach(-1) == 1 and tug:mode() == 0, "towbar released")

-- After all that, a plain pushback of 10 m.
a, b = pushback.run(tug, jet, cases.plan({{"s", 10}}))
check(a and a < 1 and math.abs(b) < 2, "a good plan still runs: " .. tostring(a) .. " " .. tostring(b))
check(tug:mode() == 2, "coupled by the run itself")
