-- The pushback library as the page reaches it: a few clicked points become
-- a path that leaves along the airliner's axis and passes through them; the
-- preview finds the airliner ahead of the uncoupled tractor, foresees its
-- sweep ending on the last point and moves nothing; a refused plan says
-- why; the push run from the scene's terms keeps its progress, and abort
-- leaves the tractor on its parking brake.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
local pushback = require "pushback"
local check = cases.check

local tug, jet = cases.scene()
local R = oapi.get_size("Earth")
local lng0, lat0, hdg0 = jet:get_surfacepos()
-- Points east and north of where the airliner stands, in the scene's terms.
local function scene_plan(list, heading)
  local pts = {}
  for i, p in ipairs(list) do
    pts[i] = {lng = lng0 + p[1] / (R * math.cos(lat0)), lat = lat0 + p[2] / R}
  end
  return {points = pts, heading = heading}
end

-- Smoothing: the path leaves along the tail, passes the clicks, a point a metre apart at most.
local path = pushback.smooth({{e = -20, n = 0}, {e = -45, n = 8}, {e = -60, n = 35}}, hdg0 + math.pi, math.pi)
check(math.abs(path[1].n) < 0.05 and path[1].e < -0.9, "the path leaves along the airliner's axis")
local function passes(e, n)
  for _, p in ipairs(path) do
    if (p.e - e) ^ 2 + (p.n - n) ^ 2 < 1e-6 then return true end
  end
end
check(passes(-20, 0) and passes(-45, 8) and passes(-60, 35), "the path passes every click")
for i = 2, #path do
  local step = math.sqrt((path[i].e - path[i - 1].e) ^ 2 + (path[i].n - path[i - 1].n) ^ 2)
  check(step <= 1.0 + 1e-9, "a point a metre apart at most: " .. step)
end

-- The preview: the airliner found, its sweep ending on the plan; nothing moved.
local straight = scene_plan({{-15, 0}, {-30, 0}}, 90)
local p, why = pushback.preview(tug, straight)
check(p, "preview refused: " .. tostring(why))
check(p.aircraft == "Jet", "the airliner ahead is the one pushed")
local last = p.sweep[#p.sweep]
local e, n = (last.lng - lng0) * R * math.cos(lat0), (last.lat - lat0) * R
check(math.abs(e + 30) < 0.2 and math.abs(n) < 0.2, string.format("the sweep ends on the plan: %.2f %.2f", e, n))
check(#p.sweep >= 30 and p.errPos < 0.2 and p.maxTowbar < 1, "a straight sweep")
check(tug:mode() == 0 and jet:get_parent() == nil, "the preview coupled nothing")
local _, why2 = pushback.preview(tug, scene_plan({{-3, 0}, {-3, 6}}, 0))
check(why2 == "path too tight for the aircraft", "a tight plan refused: " .. tostring(why2))
local _, why3 = pushback.preview(jet, straight)
check(why3 == "the focus vessel is not a tractor", "only a tractor pushes: " .. tostring(why3))

-- The push in the scene's terms keeps its progress; abort brakes.
local progress = {}
local co = coroutine.create(function() return pushback.run_scene(tug, straight, progress) end)
local ok, err = coroutine.resume(co)
check(ok, tostring(err))
check(progress.aircraft == "Jet" and tug:mode() == 2, "coupled for the push")
while progress.phase ~= "pushing" or (progress.togo or 99) > 25 do
  proc.skip()
  ok, err = coroutine.resume(co)
  check(ok and coroutine.status(co) ~= "dead", "the push ended early: " .. tostring(err))
end
pushback.abort(tug)
for _ = 1, 600 do
  proc.skip()
  if tug:speed() == 0 then break end
end
check(tug:speed() == 0, "the tractor stops after abort")
check(tug:get_thrustergrouplevel(THGROUP.MAIN) == 0, "no accelerator after abort")
proc.wait_simdt(2)
check(tug:speed() == 0, "the tractor stays braked")
