-- The pushback library's pure parts: the chain's geometry from a class file,
-- the steady turn against the trailer rule, paths, the controller's sense of
-- direction, and its dry run from off the path.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
local pushback = require "pushback"
local check = cases.check
local function near(a, b, eps) return math.abs(a - b) <= eps end

-- The sample airliner's class file gives the lengths the tractor sets when
-- it couples it at the front (LENG 5.0, 7.0, 0.05, 13.0).
local root = package.path:match("([^;]*)/Script/%?%.lua")
local tow, nose, m1, m2 = pushback.read_class(root .. "/Config/Airliner.cfg")
check(tow, "airliner class read: " .. tostring(nose))
local g = pushback.chain_lengths(tow, nose, m1, m2)
check(g.L1 == 5.0 and near(g.L2, 7.0, 1e-6) and g.L3 == 0.05 and g.L4 == 13.0, "the airliner's chain lengths")
check(near(g.pitch, 0.000154, 1e-6), "towbar pitch " .. g.pitch)
check(near(g.gearOffset, 1.5, 1e-12) and near(g.eyeOffset, 0.55, 1e-6), "rolling point offsets")
local t, why = pushback.read_class(root .. "/Config/Towbar.cfg")
check(t == nil and why:find("no tow point \"T\""), "a class without a tow point: " .. tostring(why))
t, why = pushback.read_class(root .. "/Config/NoSuchClass.cfg")
check(t == nil and why:find("no class file"), "a missing class file")

-- A steady turn is a fixed point of the tractor's trailer rule: with the
-- tractor on radius r0 the towbar and the airliner keep their angles.
for _, r2 in ipairs({14, 20, 35, 100}) do
  local b1, b2, r0 = pushback.steady_turn(g, r2)
  local c0 = 1 / r0
  local omega1 = (math.sin(b1) - g.L1 * c0 * math.cos(b1)) / g.L2
  local s1 = math.cos(b1) + g.L1 * c0 * math.sin(b1)
  local omega2 = (s1 * math.sin(b2) - g.L3 * omega1 * math.cos(b2)) / g.L4
  check(near(omega1, c0, 1e-9) and near(omega2, c0, 1e-9), "steady turn of " .. r2 .. " m")
  -- The airliner's own turn: its rolling point runs on r2 at s2 per metre.
  local s2 = s1 * math.cos(b2) + g.L3 * omega1 * math.sin(b2)
  check(near(s2 / omega2, r2, 1e-6), "rolling point radius for " .. r2 .. " m")
end
-- The tightest plan: one of the limits is just reached there.
local rmin = pushback.min_radius(g)
check(rmin > 12 and rmin < 16, "tightest turn " .. rmin)
local b1, b2, r0 = pushback.steady_turn(g, rmin)
local kmax = math.sin(pushback.STEER_GAIN) / pushback.WHEELBASE
check(near(b1, pushback.PLAN_TOWBAR, 1e-6) or near(b2, pushback.PLAN_AIRCRAFT, 1e-6) or near(1 / r0, kmax * 2 / 3, 1e-6),
  "a limit is reached at the tightest turn")
-- Full lock turns the tractor on 11.035 m.
check(near(1 / kmax, 11.035, 1e-9), "full-lock radius")

-- Paths: an arc sampled every metre has the arc's curvature between its
-- ends; positions right of the direction of travel count positive.
local plan = cases.plan({{"s", 10}, {"t", 90, 35}})
local path = pushback.make_path(plan.points, 1.5 * math.pi, math.rad(plan.heading + 180))
check(near(path.length, 10 + 35 * math.pi / 2, 0.01), "path length " .. path.length)
check(near(pushback.path_curvature(path, 5, 4), 0, 1e-9), "straight at first")
check(near(pushback.path_curvature(path, 40, 4), 1 / 35, 1e-4), "the arc's curvature")
check(near(pushback.wrap(pushback.path_heading(path, path.length) - math.rad(plan.heading + 180)), 0, 1e-12),
  "the final heading is due at the last point")
local s, y = pushback.project(path, {e = -5, n = 1})
check(near(s, 5, 1e-9) and near(y, 1, 1e-9), "north of a westward path is right of it")
s, y = pushback.project(path, {e = 2, n = -0.5})
check(near(s, -2, 1e-9) and near(y, -0.5, 1e-9), "before the start the first segment extends")

-- Sense of direction: with the chain straight and the airliner right of a
-- straight path, the tractor first steers left, which swings the towbar to
-- the right and the airliner's tail to the left.
local k = pushback.gains(g)
local d = pushback.steer({beta1 = 0, beta2 = 0, y = 1, headingError = 0, pathCurvature = 0}, g, k)
check(d < 0, "steer left first: " .. d)
d = pushback.steer({beta1 = 0, beta2 = 0, y = -1, headingError = 0, pathCurvature = 0}, g, k)
check(d > 0, "and right for the other side")
-- Past the soft limit the towbar is only brought back.
d = pushback.steer({beta1 = math.rad(55), beta2 = 0, y = 0, headingError = 0, pathCurvature = 0}, g, k)
local c0 = math.sin(d * pushback.STEER_GAIN) / pushback.WHEELBASE
local A, B = math.sin(math.rad(55)) / g.L2, g.L1 * math.cos(math.rad(55)) / g.L2
check(A - (B + 1) * c0 < 0, "a towbar at 55 degrees swings back")

-- From a metre off the path and a few degrees askew, the dry run still
-- ends on the last point.
local straight = cases.plan({{"s", 40}})
for _, start in ipairs({{e = 0, n = 1, hdg = 0.5 * math.pi}, {e = 0, n = -1, hdg = 0.5 * math.pi + 0.05}}) do
  local F = pushback.follower(straight, 0.5 * math.pi, g)
  local sum, reason = pushback.dry_run(F, start, 0, 0)
  check(sum, "dry run from off the path: " .. tostring(reason))
  check(sum.errPos < 0.3 and math.abs(sum.errHdg) < 1, "back on the path: " .. sum.errPos .. " " .. sum.errHdg)
  check(sum.maxOff <= 1.0 + 1e-9 and sum.maxTowbar < pushback.TOWBAR_STOP, "no overshoot beyond the start offset")
end
-- The planned turn, tried on the model alone, meets the targets.
local F = pushback.follower(cases.plan({{"s", 30}, {"t", 90, 35}}), 0.5 * math.pi, g)
local sum = pushback.dry_run(F, {e = 0, n = 0, hdg = 0.5 * math.pi}, 0, 0)
check(sum and sum.errPos < 0.2 and math.abs(sum.errHdg) < 1 and sum.maxOff < 0.5, "the 35 m turn on the model")
