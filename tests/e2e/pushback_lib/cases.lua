-- Shared scene and plans of the pushback end-to-end tests: a tractor facing
-- an airliner's nose, its towbar's eye right at the airliner's tow point,
-- the airliner's tail to the west.
local pushback = require "pushback"

local cases = {}

function cases.check(cond, msg, level)
  if not cond then error(msg, (level or 1) + 1) end
end
local check = cases.check

function cases.scene()
  local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
  local jet = oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 23, hdg = 180})
  check(tug and jet, "scene created", 2)
  proc.skip()
  return tug, jet
end

-- Points every metre or so, starting with the tail to the west: straight
-- legs {"s", metres} and turns {"t", degrees (positive to the right), radius}.
-- Returns the plan and the final aircraft heading (degrees).
function cases.plan(legs, speed)
  local pts = {}
  local e, n, h = 0, 0, 1.5 * math.pi
  for _, leg in ipairs(legs) do
    if leg[1] == "s" then
      for _ = 1, leg[2] do
        e, n = e + math.sin(h), n + math.cos(h)
        pts[#pts + 1] = {e = e, n = n}
      end
    else
      local angle, r = math.rad(leg[2]), leg[3]
      local steps = math.ceil(math.abs(angle) * r)
      local dh = angle / steps
      local chord = 2 * r * math.sin(math.abs(dh) / 2)
      for _ = 1, steps do
        h = h + dh / 2
        e, n = e + chord * math.sin(h), n + chord * math.cos(h)
        h = h + dh / 2
        pts[#pts + 1] = {e = e, n = n}
      end
    end
  end
  local heading = math.deg(pushback.wrap(h + math.pi)) % 360
  return {points = pts, heading = heading, speed = speed}, heading
end

-- East and north metres of v from the point (lng0, lat0).
function cases.offset(v, lng0, lat0)
  local lng, lat, hdg = v:get_surfacepos()
  local r = oapi.get_size("Earth")
  return (lng - lng0) * math.cos(lat0) * r, (lat - lat0) * r, hdg
end

-- Runs the plan, watching the towbar every frame from a second coroutine's
-- view: the script's own checks run after each frame the library waits.
-- Returns the results of pushback.run and the largest towbar angle seen
-- (degrees).
function cases.run_watched(tug, jet, plan)
  local skip = proc.skip
  local worst = 0
  proc.skip = function()
    skip()
    local bar = vessel.get_interface("Tug_Towbar")
    if bar then
      local _, _, h0 = tug:get_surfacepos()
      local _, _, h1 = bar:get_surfacepos()
      worst = math.max(worst, math.abs(math.deg(pushback.wrap(h1 - h0))))
    end
  end
  local a, b = pushback.run(tug, jet, plan)
  proc.skip = skip
  return a, b, worst
end

-- A full pushback along the plan: the targets and the state it leaves.
function cases.push(legs, dt)
  cases.check(math.abs(oapi.get_simstep() - dt) < 1e-6, "run with --dt " .. dt)
  local tug, jet = cases.scene()
  local lng0, lat0 = jet:get_surfacepos()
  local plan, heading = cases.plan(legs)
  local err, herr, worst = cases.run_watched(tug, jet, plan)
  check(err, "pushback failed: " .. tostring(herr), 2)
  print(string.format("position error %.3f m, heading error %.3f deg, largest towbar angle %.1f deg", err, herr,
    worst))
  check(err < 1.0, "within 1 m of the last point: " .. err, 2)
  check(math.abs(herr) < 2.0, "within 2 degrees of the final heading: " .. herr, 2)
  check(worst < 70, "towbar well off the jackknife limit: " .. worst, 2)

  -- The library's own model of the chain, tried before the push, foresaw
  -- the outcome.
  local dry = pushback.last_dry_run
  check(dry and math.abs(dry.errPos - err) < 0.1 and math.abs(dry.errHdg - herr) < 0.2,
    "the dry run foresaw the outcome", 2)

  -- The returned errors are what the scene shows.
  local last = plan.points[#plan.points]
  local e, n, hdg = cases.offset(jet, lng0, lat0)
  check(math.abs(math.sqrt((e - last.e) ^ 2 + (n - last.n) ^ 2) - err) < 1e-6, "position error as measured", 2)
  check(math.abs(pushback.wrap(hdg - math.rad(heading)) - math.rad(herr)) < 1e-6, "heading error as measured", 2)

  -- Stopped, parking brake on, still coupled, engine running.
  check(tug:speed() == 0 and tug:mode() == 2, "stopped with the airliner on the towbar", 2)
  local lng1, lat1 = tug:get_surfacepos()
  proc.wait_simdt(2)
  local lng2, lat2 = tug:get_surfacepos()
  check(lng1 == lng2 and lat1 == lat2, "the parking brake holds", 2)
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0.3)
  proc.wait_simdt(1)
  check(tug:speed() == 0, "the parking brake is set", 2)
  tug:set_thrustergrouplevel(THGROUP.MAIN, 0)

  -- The planned path is published for the plot, starting at the airliner.
  check(type(plot_path) == "table" and #plot_path == #plan.points + 1, "planned path published", 2)
  check(math.abs(plot_path[1].lng - lng0) < 1e-12 and math.abs(plot_path[1].lat - lat0) < 1e-12,
    "the planned path starts at the airliner", 2)
  return tug, jet
end

return cases
