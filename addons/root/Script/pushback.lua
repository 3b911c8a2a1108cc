-- pushback: a hands-off pushback along a planned path for the KVQ R7700 tow
-- tractor, for kvqsim scripts.
--
--   local pushback = require "pushback"
--   local err_m, err_deg = pushback.run(tug, jet, {
--     points = {{e = 0, n = -10}, {e = 0, n = -20}, ...},  -- metres east/north
--     heading = 0,        -- final aircraft heading, degrees
--     speed = 1.5,        -- optional, m/s
--     tolerance = 2.0,    -- optional, m the aircraft may stray from the path
--   })
--
-- The points are for the aircraft's origin, in metres east and north of where
-- the aircraft stands when the call begins. The tractor faces the aircraft's
-- nose with the towbar at its front and pushes it tail first by driving
-- forward. run() returns the final position error (m) and heading error
-- (degrees), or nil and a reason. pushback_design.md beside this file
-- describes the controller.
--
-- pushback.check(tractor, aircraft, plan) tells what run would do, without
-- moving anything. The functions before the scene's part are pure functions
-- of plain values.

local pushback = {}

local pi, sin, cos, atan, asin, sqrt, abs = math.pi, math.sin, math.cos, math.atan, math.asin, math.sqrt, math.abs
local atan2 = math.atan2
local deg, rad = math.deg, math.rad

local function clamp(x, lo, hi)
  if x < lo then return lo elseif x > hi then return hi end
  return x
end

local function sign(x) return x < 0 and -1 or 1 end

-- An angle brought into (-pi, pi].
local function wrap(a)
  a = math.fmod(a + pi, 2 * pi)
  if a <= 0 then a = a + 2 * pi end
  return a - pi
end
pushback.wrap = wrap

---------------------------------------------------------------------------
-- The tractor and its towbar. The tractor's turning rule: at steering input
-- d (-1..1, front-wheel steering) its path curvature is sin(d * STEER_GAIN)
-- / WHEELBASE, turning right for positive d while driving forward.

pushback.WHEELBASE = 3.66
pushback.STEER_GAIN = asin(3.66 / (12.1 - 1.065))
pushback.TOWBAR_REACH = 6.5   -- towbar pivot to the eye that takes the tow point
pushback.HITCH_HEIGHT = 0.46  -- towbar pivot above the ground
pushback.EYE_OFFSET = 0.05    -- second hitch offset of the chain (LENG 3)
pushback.FRONT_PIVOT = 5.0    -- towbar pivot ahead of the tractor's origin

-- Articulation limits (rad). The chain jackknifes when the towbar swings
-- 90 degrees off the tractor's axis; the controller starts holding it back
-- at SOFT, and stops the push at STOP.
pushback.TOWBAR_SOFT = rad(48)
pushback.TOWBAR_STOP = rad(62)
-- A plan is accepted only where a steady turn keeps the towbar within
-- PLAN_TOWBAR and the aircraft within PLAN_AIRCRAFT of the towbar.
pushback.PLAN_TOWBAR = rad(35)
pushback.PLAN_AIRCRAFT = rad(45)

---------------------------------------------------------------------------
-- Geometry of the chain: the lengths of the tractor's two-trailer model.
--   L1 towbar pivot ahead of the tractor's origin
--   L2 pivot to the aircraft's nose gear (the towbar's axle in the model)
--   L3 second hitch offset
--   L4 tow point to the middle of the main gear
-- and tow, the aircraft's tow point in its own frame (x, y, z).

-- The chain's lengths from the aircraft's tow point and touchdown points in
-- its own frame (nose gear first, then the two main gear points), as the
-- tractor computes them when it couples at the front.
function pushback.chain_lengths(tow, nose, main1, main2, pivot)
  local pitch = -asin(clamp((pushback.HITCH_HEIGHT - (tow.y - nose.y) - 0.001) / pushback.TOWBAR_REACH, -1, 1))
  return {
    L1 = pivot or pushback.FRONT_PIVOT,
    L2 = cos(pitch) * pushback.TOWBAR_REACH + (tow.z - nose.z),
    L3 = pushback.EYE_OFFSET,
    L4 = tow.z - (main1.z + main2.z) * 0.5,
    tow = tow,
    pitch = pitch,
    -- The model's aircraft rolls without slipping at a point ahead of its
    -- origin (towards its tail) by gearOffset along its axis and by
    -- eyeOffset along the towbar.
    gearOffset = (tow.z - (main1.z + main2.z) * 0.5) - tow.z,
    eyeOffset = (cos(pitch) * pushback.TOWBAR_REACH + (tow.z - nose.z)) + pushback.EYE_OFFSET
      - cos(pitch) * pushback.TOWBAR_REACH,
  }
end

local function numbers(text)
  local out = {}
  for x in text:gmatch("[-+]?[%d%.]+[eE]?[-+]?%d*") do
    local v = tonumber(x)
    if v then out[#out + 1] = v end
  end
  return out
end

-- Reads a generic vessel class file's touchdown points and its to-parent
-- attachment "T". Returns tow, nose, main1, main2 (tables x, y, z), or nil
-- and a reason.
function pushback.read_class(path)
  local f = io.open(path, "r")
  if not f then return nil, "no class file " .. path end
  local td, tow
  for line in f:lines() do
    line = line:gsub(";.*$", "")
    local key, value = line:match("^%s*([%w_]+)%s*=%s*(.-)%s*$")
    key = key and key:lower()
    if key == "touchdownpoints" then
      td = numbers(value)
    elseif key == "attachment" then
      local kind, rest = value:match("^(%a)%s+(.*)$")
      if kind and kind:upper() == "P" then
        local nums = numbers(rest)
        local id = rest:match("(%S+)%s*$")
        if id == "T" and #nums >= 9 then tow = {x = nums[1], y = nums[2], z = nums[3]} end
      end
    end
  end
  f:close()
  if not td or #td < 9 then return nil, "no touchdown points in " .. path end
  if not tow then return nil, "no tow point \"T\" in " .. path end
  local function p(i) return {x = td[i], y = td[i + 1], z = td[i + 2]} end
  return tow, p(1), p(4), p(7)
end

-- The simulator's root: this file lives in ROOT/Script.
local function root_folder()
  local src = debug.getinfo(1, "S").source
  local dir = src:match("^@(.*)[/\\][^/\\]*$")
  if not dir then return "." end
  return dir:match("^(.*)[/\\][^/\\]*$") or "."
end

---------------------------------------------------------------------------
-- The chain in a steady turn (all bodies turning about one centre), for an
-- aircraft whose main gear runs on radius r2 (m). Returns the towbar's yaw
-- off the tractor (beta1), the aircraft's yaw off the towbar (beta2), both
-- positive, and the tractor's turning radius r0; nil when no such turn
-- exists.
function pushback.steady_turn(g, r2)
  local r1sq = r2 * r2 + g.L4 * g.L4 - g.L3 * g.L3
  if r1sq <= 0 then return nil end
  local r1 = sqrt(r1sq)
  local r0sq = r1sq + g.L2 * g.L2 - g.L1 * g.L1
  if r0sq <= 0 then return nil end
  local r0 = sqrt(r0sq)
  return atan(g.L1 / r0) + atan(g.L2 / r1), atan(g.L4 / r2) + atan(g.L3 / r1), r0
end

-- The tightest aircraft turn (radius of the main gear's path, m) a plan may
-- ask for: the steady turn must keep both articulations inside the plan
-- limits and leave the tractor a third of its steering in reserve.
function pushback.min_radius(g)
  local kmax = sin(pushback.STEER_GAIN) / pushback.WHEELBASE
  local function ok(r2)
    local b1, b2, r0 = pushback.steady_turn(g, r2)
    return b1 and b1 <= pushback.PLAN_TOWBAR and b2 <= pushback.PLAN_AIRCRAFT and 1 / r0 <= kmax * 2 / 3
  end
  local lo, hi = 0.1, 1000
  if not ok(hi) then return nil end
  for _ = 1, 60 do
    local mid = 0.5 * (lo + hi)
    if ok(mid) then hi = mid else lo = mid end
  end
  return hi
end

---------------------------------------------------------------------------
-- Paths. A path is the polyline of the plan, starting where the aircraft
-- stands, with a reference heading (the direction the aircraft's tail
-- travels) that turns linearly from one segment's direction to the next
-- between their midpoints, so each corner of the polyline is taken as a
-- turn spread over half of each neighbouring segment; from the start it
-- turns from the aircraft's own heading, and over the last half segment to
-- the final heading, due at the last point.

local function dir_of(de, dn) return atan2(de, dn) end

-- plan.points relative to the start (0, 0); startTail is the aircraft's tail
-- direction (rad, clockwise from north) at the start; finalTail the wanted
-- tail direction at the end, or nil for the last segment's direction; start
-- the first point of the path when it is not (0, 0).
function pushback.make_path(points, startTail, finalTail, start)
  if type(points) ~= "table" then return nil, "plan.points is not a list" end
  local pts = {start or {e = 0, n = 0}}
  for i, p in ipairs(points) do
    if type(p) ~= "table" or type(p.e) ~= "number" or type(p.n) ~= "number" then
      return nil, "plan.points[" .. i .. "] is not {e=, n=}"
    end
    local last = pts[#pts]
    if (p.e - last.e) ^ 2 + (p.n - last.n) ^ 2 > 0.05 ^ 2 then pts[#pts + 1] = {e = p.e, n = p.n} end
  end
  if #pts < 2 then return nil, "path too short" end

  local path = {pts = pts, s = {0}, dir = {}, len = {}}
  for i = 1, #pts - 1 do
    local de, dn = pts[i + 1].e - pts[i].e, pts[i + 1].n - pts[i].n
    path.len[i] = sqrt(de * de + dn * dn)
    path.dir[i] = dir_of(de, dn)
    path.s[i + 1] = path.s[i] + path.len[i]
  end
  path.length = path.s[#pts]
  if path.length < 0.5 then return nil, "path too short" end

  -- Reference heading knots, unwrapped.
  local ks, kh = {0}, {startTail}
  local h = startTail
  for i = 1, #pts - 1 do
    h = h + wrap(path.dir[i] - h)
    ks[#ks + 1] = path.s[i] + 0.5 * path.len[i]
    kh[#kh + 1] = h
  end
  -- The final heading is due at the last point.
  local final = finalTail or path.dir[#pts - 1]
  h = h + wrap(final - h)
  ks[#ks + 1] = path.length
  kh[#kh + 1] = h
  path.knotS, path.knotH = ks, kh
  path.finalTail = final
  path.startTurn = wrap(path.dir[1] - startTail)
  return path
end

-- The path of the aircraft's rolling point, for a path of its origin. The
-- rolling point lies `ahead` metres from the origin along the aircraft's
-- axis (towards the tail, the way it travels). When the rolling point
-- follows the planned path and then runs on straight by `ahead` metres on
-- the final heading, the origin, which trails it, ends on the last point
-- with the aircraft on the final heading; on the way it runs inside the
-- turns by about ahead^2 / (2 r) on a turn of radius r.
function pushback.rolling_path(path, ahead)
  local pts = {}
  for i = 2, #path.pts do pts[#pts + 1] = path.pts[i] end
  local last = path.pts[#path.pts]
  if ahead > 0.05 then
    pts[#pts + 1] = {e = last.e + ahead * sin(path.finalTail), n = last.n + ahead * cos(path.finalTail)}
  end
  return pushback.make_path(pts, path.knotH[1], path.finalTail, path.pts[1])
end

-- Reference heading at arc length s.
function pushback.path_heading(path, s)
  local ks, kh = path.knotS, path.knotH
  local n = #ks
  if s <= ks[1] then return kh[1] end
  if s >= ks[n] then return kh[n] end
  local lo, hi = 1, n
  while hi - lo > 1 do
    local mid = math.floor((lo + hi) / 2)
    if ks[mid] < s then lo = mid else hi = mid end
  end
  local f = (s - ks[lo]) / (ks[hi] - ks[lo])
  return kh[lo] + f * (kh[hi] - kh[lo])
end

-- Mean curvature (1/m, positive turning right) over a window of width w
-- centred on s.
function pushback.path_curvature(path, s, w)
  return (pushback.path_heading(path, s + 0.5 * w) - pushback.path_heading(path, s - 0.5 * w)) / w
end

-- A point p = {e=, n=} against the path: arc length s of its foot, signed
-- distance y (positive right of the direction of travel) and the index of
-- the segment, searched from segment `from` onwards (the aircraft only moves
-- forward along the path, which may cross itself). Before the start and
-- after the end the first and last segments extend as straight lines.
function pushback.project(path, p, from)
  local best, bi, bs, by
  local n = #path.pts - 1
  for i = from or 1, n do
    local a = path.pts[i]
    local se, sn = sin(path.dir[i]), cos(path.dir[i])
    local de, dn = p.e - a.e, p.n - a.n
    local along = de * se + dn * sn
    local cross = de * sn - dn * se
    local t = along
    if i > 1 then t = math.max(t, 0) end
    if i < n then t = math.min(t, path.len[i]) end
    local ex, nx = de - t * se, dn - t * sn
    local d = ex * ex + nx * nx
    if not best or d < best - 1e-12 then
      best, bi, bs, by = d, i, path.s[i] + t, cross
    end
    -- Stop once the path has led well away from the point.
    if best and d > best + 400 and path.s[i] > bs + 40 then break end
  end
  return bs, by, bi
end

-- The plan's feasibility for an aircraft of geometry g: nil and a reason
-- when the path asks for a tighter turn than the chain can hold.
function pushback.check_path(path, g)
  local rmin = pushback.min_radius(g)
  if not rmin then return nil, "path too tight for the aircraft" end
  if abs(path.startTurn) > pi / 2 then return nil, "path does not lead tail first" end
  local w = 0.5 * g.L4
  local kmax = 1 / rmin
  local s = 0
  while s <= path.length + 1e-9 do
    if abs(pushback.path_curvature(path, s, w)) > kmax then return nil, "path too tight for the aircraft" end
    s = s + 0.25
  end
  return true
end

---------------------------------------------------------------------------
-- The controller. All rates of the kinematic chain are proportional to the
-- tractor's speed, so the law works per metre driven: at unit speed the
-- tractor's yaw rate is its path curvature.

-- Gains from the geometry: the aircraft's own length sets how quickly it can
-- be brought back onto the path.
function pushback.gains(g)
  local a = g.L4
  return {
    articulation = 3 / a,        -- aircraft yaw off the towbar: 1/m
    preview = a / 3,             -- m ahead for the path's curvature
    window = a / 3,              -- m over which that curvature is averaged
    lateral = 1 / (a * a),       -- 1/m^2
    heading = 1.6 / a,           -- 1/m
    towbarHold = 1 / g.L1,       -- towbar pulled back beyond the soft limit
  }
end

-- One control step. st: beta1 (towbar off the tractor), beta2 (aircraft off
-- the towbar), y (aircraft's distance right of the path), headingError
-- (aircraft's tail direction minus the path's), pathCurvature (ahead).
-- Returns the tractor's steering input (-1..1) and, for tracing, the wanted
-- aircraft curvature and yaw off the towbar.
function pushback.steer(st, g, k)
  local kmaxAircraft = math.tan(pushback.PLAN_AIRCRAFT + rad(5)) / g.L4
  local kappa = st.pathCurvature - k.heading * sin(st.headingError) - k.lateral * st.y
  kappa = clamp(kappa, -kmaxAircraft, kmaxAircraft)

  -- Aircraft yaw off the towbar that holds that curvature in a steady turn.
  local beta2w = 0
  if kappa ~= 0 then
    local r2 = 1 / abs(kappa)
    local r1 = sqrt(r2 * r2 + g.L4 * g.L4 - g.L3 * g.L3)
    beta2w = sign(kappa) * (atan(g.L4 / r2) + atan(g.L3 / r1))
  end

  -- Wanted change of beta2 per metre, and the tractor's curvature c0 that
  -- gives it: with the towbar turning at c1 = A - B c0 and the towbar's end
  -- moving at s1 = cos b1 + L1 c0 sin b1,
  --   dbeta2 = (s1 sin b2 - L3 c1 cos b2) / L4 - c1.
  local b1, b2 = st.beta1, st.beta2
  local r = -k.articulation * (b2 - beta2w)
  local A = sin(b1) / g.L2
  local B = g.L1 * cos(b1) / g.L2
  local C = g.L3 * cos(b2) + g.L4
  local den = g.L1 * sin(b1) * sin(b2) + B * C
  local c0
  if abs(den) > 1e-6 then
    c0 = (g.L4 * r - cos(b1) * sin(b2) + A * C) / den
  else
    c0 = 0
  end

  -- The towbar moves off the tractor at A - (B + 1) c0 per metre. Beyond
  -- the soft limit it may only come back.
  local over = abs(b1) - pushback.TOWBAR_SOFT
  if over > 0 then
    local d1 = A - (B + 1) * c0
    if sign(d1) == sign(b1) or abs(d1) < k.towbarHold * over then
      c0 = (A + sign(b1) * k.towbarHold * over) / (B + 1)
    end
  end

  local lim = sin(pushback.STEER_GAIN)
  local d = asin(clamp(c0 * pushback.WHEELBASE, -lim, lim)) / pushback.STEER_GAIN
  return d, kappa, beta2w
end

---------------------------------------------------------------------------
-- Following a plan: the part shared by the push itself and its dry run.

pushback.DEFAULT_SPEED = 1.5     -- m/s
pushback.DEFAULT_TOLERANCE = 2.0 -- m the aircraft may stray from the path

-- A follower for a plan, given the aircraft's heading (rad) where it stands
-- at the start and the chain's geometry g. Returns nil and a reason when the
-- plan is malformed or asks for more than the chain can do in a steady turn.
function pushback.follower(plan, startHeading, g)
  if type(plan) ~= "table" then return nil, "no plan" end
  if plan.heading ~= nil and type(plan.heading) ~= "number" then return nil, "plan.heading is not a number" end
  local finalTail = plan.heading and wrap(rad(plan.heading) + pi) or nil
  local path, why = pushback.make_path(plan.points, wrap(startHeading + pi), finalTail)
  if not path then return nil, why end
  local ok, reason = pushback.check_path(path, g)
  if not ok then return nil, reason end
  -- The controller steers the aircraft's rolling point along the path; the
  -- origin trails it.
  local qpath
  qpath, reason = pushback.rolling_path(path, g.gearOffset + g.eyeOffset)
  if not qpath then return nil, reason end
  return {
    path = path,
    qpath = qpath,
    g = g,
    k = pushback.gains(g),
    seg = 1,
    tolerance = tonumber(plan.tolerance) or pushback.DEFAULT_TOLERANCE,
  }
end

-- One step of following: the aircraft's pose {e=, n=, hdg=} (its origin,
-- metres from the start; heading, rad) and the articulation (rad: towbar off
-- the tractor, aircraft's tail direction off the towbar). Returns the
-- steering input and the distance still to go (m, of the tractor's travel),
-- or nil and the reason to stop.
function pushback.follow(F, pose, b1, b2)
  local g, k, qpath = F.g, F.k, F.qpath
  if abs(b1) >= pi / 2 - 1e-6 then return nil, "jackknife" end
  if abs(b1) > pushback.TOWBAR_STOP then return nil, "path too tight for the aircraft" end
  local tail = wrap(pose.hdg + pi)
  local h1 = wrap(tail - b2)
  local q = {
    e = pose.e + g.eyeOffset * sin(h1) + g.gearOffset * sin(tail),
    n = pose.n + g.eyeOffset * cos(h1) + g.gearOffset * cos(tail),
  }
  local s, y
  s, y, F.seg = pushback.project(qpath, q, F.seg)
  F.y = y
  if abs(y) > F.tolerance then return nil, "off the path" end
  local st = {
    beta1 = b1,
    beta2 = b2,
    y = y,
    headingError = wrap(tail - pushback.path_heading(qpath, s)),
    -- The push ends at the last point: what lies beyond it does not count.
    pathCurvature = pushback.path_curvature(qpath, math.min(s + k.preview, qpath.length - 0.5 * k.window), k.window),
  }
  F.headingError = st.headingError
  local d = pushback.steer(st, g, k)
  -- The aircraft's rolling point moves about cos b1 cos b2 as far as the
  -- tractor does.
  local ratio = math.max(0.3, cos(b1) * cos(b2))
  return d, (qpath.length - s) / ratio
end

-- The pose of the aircraft's origin and the articulation for a chain whose
-- tractor stands at (e, n) with heading h0 and towbar and aircraft at the
-- model's yaws t1 and t2 (rad, in the tractor's frame).
local function chain_pose(g, e, n, h0, t1, t2)
  local reach = cos(g.pitch) * pushback.TOWBAR_REACH
  local h1, tail = h0 + t1, h0 + t2
  local ee = e + g.L1 * sin(h0) + reach * sin(h1)
  local en = n + g.L1 * cos(h0) + reach * cos(h1)
  local hdg = wrap(tail + pi)
  -- The tow point sits in the eye; the origin lies tow.z behind it along the
  -- aircraft's axis and tow.x to the left.
  local oe = ee + g.tow.z * sin(tail) - g.tow.x * cos(hdg)
  local on = en + g.tow.z * cos(tail) + g.tow.x * sin(hdg)
  return {e = oe, n = on, hdg = hdg}, wrap(t1), wrap(t2 - t1)
end

-- The tractor's pose for an aircraft pose and articulation (the inverse of
-- chain_pose).
local function tractor_pose(g, pose, b1, b2)
  local reach = cos(g.pitch) * pushback.TOWBAR_REACH
  local tail = pose.hdg + pi
  local h1 = tail - b2
  local h0 = h1 - b1
  local ee = pose.e - g.tow.z * sin(tail) + g.tow.x * cos(pose.hdg)
  local en = pose.n - g.tow.z * cos(tail) - g.tow.x * sin(pose.hdg)
  return ee - reach * sin(h1) - g.L1 * sin(h0), en - reach * cos(h1) - g.L1 * cos(h0), h0
end

pushback.DRY_RUN_STEP = 0.05 -- m of the tractor's travel per step

-- The plan tried on the chain's own kinematics (the tractor's trailer rule)
-- before anything moves, from the aircraft's pose and articulation. Returns
-- a summary {maxTowbar=, maxOff=, errPos=, errHdg=, distance=} (rad, m, m,
-- degrees, m), or nil, the reason the push would stop, and the summary so
-- far.
--
-- With a table `poses`, the aircraft's poses {e=, n=, hdg=} are added to it
-- every POSE_EVERY metres of the tractor's travel, the first and the last
-- among them: the outline the aircraft sweeps.
pushback.POSE_EVERY = 1.0 -- m
function pushback.dry_run(F, pose, b1, b2, poses)
  local g = F.g
  local nextPose = 0
  local function keep(p)
    if poses then poses[#poses + 1] = {e = p.e, n = p.n, hdg = p.hdg} end
  end
  local seg = F.seg
  local e, n, h0 = tractor_pose(g, pose, b1, b2)
  local t1, t2 = b1, b1 + b2
  local ds = pushback.DRY_RUN_STEP
  local sum = {maxTowbar = 0, maxOff = 0, distance = 0}
  local limit = 3 * F.qpath.length + 50
  local reason
  keep(pose)
  nextPose = pushback.POSE_EVERY
  while true do
    sum.maxTowbar = math.max(sum.maxTowbar, abs(b1))
    local d, togo = pushback.follow(F, pose, b1, b2)
    if not d then
      reason = togo
      break
    end
    sum.maxOff = math.max(sum.maxOff, abs(F.y))
    if togo <= 0.01 then break end
    if sum.distance > limit then
      reason = "path too tight for the aircraft"
      break
    end
    local step = math.min(ds, togo)
    local c0 = sin(d * pushback.STEER_GAIN) / pushback.WHEELBASE
    -- The trailer rule, at unit speed over `step` metres.
    local omega1 = (sin(t1) - g.L1 * c0 * cos(t1)) / g.L2
    local s1 = cos(t1) + g.L1 * c0 * sin(t1)
    local omega2 = (s1 * sin(t2 - t1) - g.L3 * omega1 * cos(t2 - t1)) / g.L4
    t1 = t1 + step * (omega1 - c0)
    t2 = t2 + step * (omega2 - c0)
    h0 = h0 + c0 * step
    e, n = e + step * sin(h0), n + step * cos(h0)
    sum.distance = sum.distance + step
    pose, b1, b2 = chain_pose(g, e, n, h0, t1, t2)
    if sum.distance >= nextPose then
      keep(pose)
      nextPose = nextPose + pushback.POSE_EVERY
    end
  end
  keep(pose)
  F.seg = seg
  local last = F.path.pts[#F.path.pts]
  sum.errPos = sqrt((pose.e - last.e) ^ 2 + (pose.n - last.n) ^ 2)
  sum.errHdg = deg(wrap(pose.hdg - (F.path.finalTail - pi)))
  if reason then return nil, reason, sum end
  return sum
end

---------------------------------------------------------------------------
-- The scene.

local function planet_radius()
  local r = oapi.get_size("Earth")
  if type(r) ~= "number" or r <= 0 then r = 6371010 end
  return r
end

-- East and north metres of a vessel from (lng0, lat0), and its heading.
local function local_pose(v, lng0, lat0, radius)
  local lng, lat, hdg = v:get_surfacepos()
  if not lng then return nil end
  local dl = wrap(lng - lng0)
  return {e = dl * cos(lat0) * radius, n = (lat - lat0) * radius, hdg = hdg}
end

local function hold(tractor, brake)
  tractor:set_thrustergrouplevel(THGROUP.MAIN, 0)
  tractor:set_wheelbrakelevel(brake)
end

-- Brings the tractor to a stop, sets the parking brake and releases pedals
-- and steering.
local function stop(tractor)
  hold(tractor, 1)
  for _ = 1, 600 do
    if tractor:speed() == 0 then break end
    proc.skip()
  end
  tractor:lights(-1, -1, 1)
  tractor:set_wheelbrakelevel(0)
  tractor:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
end

-- The name of the vessel on the tractor's front hitch, or nil.
local function front_load(tractor)
  return tractor:get_attached(tractor:attachIndex(-2))
end

local function couple(tractor, aircraft)
  local name = aircraft:get_name()
  local mode = tractor:mode()
  if mode == 2 then
    if front_load(tractor) == name then return true end
    return nil, "not coupled: " .. tostring(front_load(tractor)) .. " is on the towbar"
  end
  if mode ~= 0 and mode ~= 1 then return nil, "not coupled: the towbar is at the back" end
  -- The driver's key first; in realism mode it waits for the crew, so the
  -- tractor's own methods do it then.
  tractor:send_bufferedkey(OAPI_KEY.D)
  if tractor:mode() ~= 2 then
    if tractor:mode() == 0 then tractor:attach(1) end
    if tractor:mode() == 1 then tractor:attach(2) end
  end
  if tractor:mode() ~= 2 then return nil, "not coupled" end
  if front_load(tractor) ~= name then
    tractor:detach(2)
    return nil, "not coupled: another vessel took the towbar"
  end
  return true
end

-- The chain's geometry for this tractor and aircraft: from the aircraft's
-- class file, with the towbar pivot measured in the scene when the towbar
-- is on.
local function chain_geometry(tractor, bar, aircraft, radius)
  local pivot
  if bar then
    local lng0, lat0 = tractor:get_surfacepos()
    local b = local_pose(bar, lng0, lat0, radius)
    pivot = b and sqrt(b.e * b.e + b.n * b.n) or nil
  end
  local file = root_folder() .. "/Config/" .. aircraft:get_classname() .. ".cfg"
  local tow, nose, m1, m2 = pushback.read_class(file)
  if not tow then return nil, "unknown aircraft geometry (" .. nose .. ")" end
  return pushback.chain_lengths(tow, nose, m1, m2, pivot)
end

-- The articulation as the scene shows it: towbar off the tractor, aircraft
-- (its tail direction) off the towbar.
local function articulation(tractor, bar, aircraft)
  local _, _, h0 = tractor:get_surfacepos()
  local _, _, h1 = bar:get_surfacepos()
  local _, _, ha = aircraft:get_surfacepos()
  return wrap(h1 - h0), wrap(ha + pi - h1)
end

-- The planned path for kvqsim --plot: points by longitude and latitude
-- (radians), which the runner places in the plot's frame.
local function publish_path(path, lng0, lat0, radius)
  local out = {}
  for i, p in ipairs(path.pts) do
    out[i] = {lng = lng0 + p.e / (radius * cos(lat0)), lat = lat0 + p.n / radius}
  end
  plot_path = out
end

pushback.A_STOP = 0.3    -- m/s^2, planned deceleration towards the last point
pushback.MAX_TIME = 1800 -- s

-- The plan checked for this tractor and aircraft without moving anything:
-- the chain as it stands if the aircraft is on the tractor's towbar, else
-- straight. Returns a context for run, or nil and a reason.
local function prepare(tractor, aircraft, plan)
  if type(plan) ~= "table" then return nil, "no plan" end
  if not tractor or not aircraft or not aircraft.get_surfacepos or not tractor.mode then
    return nil, "no tractor or aircraft"
  end
  local c = {radius = planet_radius()}
  c.lng0, c.lat0, c.hdg0 = aircraft:get_surfacepos()
  if not c.lng0 then return nil, "no aircraft" end
  local bar = vessel.get_interface(tractor:get_name() .. "_Towbar")
  c.coupled = tractor:mode() == 2 and front_load(tractor) == aircraft:get_name() and bar ~= nil
  local g, reason = chain_geometry(tractor, c.coupled and bar, aircraft, c.radius)
  if not g then return nil, reason end
  c.F, reason = pushback.follower(plan, c.hdg0, g)
  if not c.F then return nil, reason end
  local b1, b2 = 0, 0
  if c.coupled then b1, b2 = articulation(tractor, bar, aircraft) end
  c.dry = pushback.dry_run(c.F, {e = 0, n = 0, hdg = c.hdg0}, b1, b2)
  if not c.dry then return nil, "path too tight for the aircraft" end
  return c
end

-- What run would do with this plan, foreseen on the chain's kinematics,
-- without moving or coupling anything: the dry run's summary (see dry_run),
-- or nil and the reason run would refuse the plan.
function pushback.check(tractor, aircraft, plan)
  local c, reason = prepare(tractor, aircraft, plan)
  if not c then return nil, reason end
  return c.dry
end

-- Pushes aircraft along plan with tractor. See the head of this file.
--
-- A table plan.progress, when given, is kept up to date for whoever watches:
-- phase ("coupling", "pushing", "stopping", "done" or "failed"), togo (m of
-- the tractor's travel still to go), off (m the aircraft is off the path),
-- heading (degrees the aircraft's heading is off the path's), and at the
-- end errPos and errHdg, or reason.
local push
function pushback.run(tractor, aircraft, plan)
  local progress = type(plan) == "table" and type(plan.progress) == "table" and plan.progress or {}
  local errPos, errHdg = push(tractor, aircraft, plan, progress)
  if errPos then
    progress.phase, progress.errPos, progress.errHdg, progress.togo = "done", errPos, errHdg, 0
  else
    progress.phase, progress.reason = "failed", errHdg
  end
  return errPos, errHdg
end

push = function(tractor, aircraft, plan, progress)
  local c, reason = prepare(tractor, aircraft, plan)
  if not c then return nil, reason end
  progress.phase = "coupling"
  local speed = clamp(tonumber(plan.speed) or pushback.DEFAULT_SPEED, 0.2, 5)
  local radius, lng0, lat0, hdg0 = c.radius, c.lng0, c.lat0, c.hdg0
  local F, coupled = c.F, c.coupled
  publish_path(F.path, lng0, lat0, radius)
  local dry, g, b1, b2, pose, bar = c.dry

  local ok
  ok, reason = couple(tractor, aircraft)
  if not ok then return nil, reason end
  bar = vessel.get_interface(tractor:get_name() .. "_Towbar")
  if not bar then return nil, "not coupled: no towbar" end
  if not coupled then
    -- Coupling placed the aircraft on the towbar's eye: the towbar pivot
    -- as measured, and the plan tried again from where the chain now is.
    g, reason = chain_geometry(tractor, bar, aircraft, radius)
    if not g then return nil, reason end
    F, reason = pushback.follower(plan, hdg0, g)
    if not F then return nil, reason end
    b1, b2 = articulation(tractor, bar, aircraft)
    pose = local_pose(aircraft, lng0, lat0, radius)
    dry = pushback.dry_run(F, pose, b1, b2)
    if not dry then return nil, "path too tight for the aircraft" end
  end
  -- What the dry run foresaw, for scripts and tests to compare.
  pushback.last_dry_run = dry

  -- Front-wheel steering (chosen while the wheel is centred), engine on,
  -- first forward range, brakes off.
  tractor:set_attitudemode(0)
  tractor:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
  tractor:starter(1)
  tractor:transmission(1)
  tractor:lights(-1, -1, 0)
  tractor:set_wheelbrakelevel(0)
  proc.skip()

  local mass = 54400 + (tractor:getFuel() or 0)
  local brakeDecel = 200000 / mass
  local rollDecel = 0.01 * 9.81
  local t0 = oapi.get_simtime()
  local lastMove = t0
  local result, failure

  while true do
    local v = tractor:speed()
    if tractor:mode() ~= 2 or front_load(tractor) ~= aircraft:get_name() then
      failure = "not coupled"
      break
    end
    b1, b2 = articulation(tractor, bar, aircraft)
    pose = local_pose(aircraft, lng0, lat0, radius)
    local d, togo = pushback.follow(F, pose, b1, b2)
    if not d then
      failure = togo
      break
    end
    tractor:set_controlsurfacelevel(AIRCTRL.RUDDER, d)
    progress.togo, progress.off, progress.heading = togo, F.y, deg(F.headingError)

    -- Speed: full speed while far, then a steady deceleration onto the
    -- last point, braking as hard as it takes to stop there.
    if progress.phase ~= "stopping" then
      progress.phase = sqrt(2 * pushback.A_STOP * togo) < speed and "stopping" or "pushing"
    end
    if togo <= 0.01 then
      hold(tractor, 1)
      if v == 0 then
        result = true
        break
      end
    else
      local want = math.min(speed, math.max(0.15, sqrt(2 * pushback.A_STOP * togo)))
      local need = v > 0 and v * v / (2 * togo) or 0
      if v > want + 0.02 or need > pushback.A_STOP * 1.2 then
        tractor:set_thrustergrouplevel(THGROUP.MAIN, 0)
        tractor:set_wheelbrakelevel(clamp((need - rollDecel) / brakeDecel, 0, 1))
      else
        tractor:set_wheelbrakelevel(0)
        tractor:set_thrustergrouplevel(THGROUP.MAIN, clamp(0.1 + 1.0 * (want - v), 0, 1))
      end
    end

    local now = oapi.get_simtime()
    if v ~= 0 then lastMove = now end
    if now - lastMove > 10 then
      failure = "the tractor does not move"
      break
    end
    if now - t0 > pushback.MAX_TIME then
      failure = "out of time"
      break
    end
    proc.skip()
  end

  stop(tractor)
  if not result then return nil, failure end
  pose = local_pose(aircraft, lng0, lat0, radius)
  local last = F.path.pts[#F.path.pts]
  local errPos = sqrt((pose.e - last.e) ^ 2 + (pose.n - last.n) ^ 2)
  local errHdg = deg(wrap(pose.hdg - (F.path.finalTail - pi)))
  return errPos, errHdg
end

---------------------------------------------------------------------------
-- For a runner's page: plans in the scene's terms, points by longitude and
-- latitude (radians) and the final heading in degrees, for a tractor and
-- whatever aircraft it pushes.

pushback.FIND_REACH = 40 -- m from the tractor's front within which an uncoupled aircraft is found

-- The aircraft the tractor pushes: the vessel on its front hitch, else the
-- nearest vessel ahead of it within FIND_REACH whose class has a tow point.
function pushback.aircraft_for(tractor)
  if not tractor or not tractor.mode then return nil, "the focus vessel is not a tractor" end
  local name = tractor:get_name()
  if tractor:mode() == 2 then
    local load = front_load(tractor)
    local v = load and vessel.get_interface(load)
    if v then return v end
  end
  local radius = planet_radius()
  local lng0, lat0, h0 = tractor:get_surfacepos()
  local best, bestD
  for i = 0, vessel.get_count() - 1 do
    local v = vessel.get_interface(i)
    local vn = v and v:get_name()
    if vn and vn ~= name and vn ~= name .. "_Towbar" and not v:get_parent() then
      local p = local_pose(v, lng0, lat0, radius)
      local ahead = p and p.e * sin(h0) + p.n * cos(h0)
      local d = p and sqrt(p.e * p.e + p.n * p.n)
      if ahead and ahead > 0 and d <= pushback.FIND_REACH and (not bestD or d < bestD) then
        if pushback.read_class(root_folder() .. "/Config/" .. v:get_classname() .. ".cfg") then
          best, bestD = v, d
        end
      end
    end
  end
  if not best then return nil, "no aircraft in front of the tractor" end
  return best
end

-- A few points clicked on a map as a path the controller can follow: a
-- Catmull-Rom spline through the aircraft's origin (0, 0) and the points,
-- leaving in the aircraft's tail direction startTail and arriving in the
-- direction finalTail (rad; nil: as the points lead), a point every
-- SMOOTH_STEP metres. Points closer than a metre to the one before are
-- left out.
pushback.SMOOTH_STEP = 1.0 -- m
function pushback.smooth(points, startTail, finalTail)
  local pts = {{e = 0, n = 0}}
  for _, p in ipairs(points) do
    local last = pts[#pts]
    if (p.e - last.e) ^ 2 + (p.n - last.n) ^ 2 >= 1 then pts[#pts + 1] = {e = p.e, n = p.n} end
  end
  if #pts < 2 then return points end
  local function dist(a, b) return sqrt((a.e - b.e) ^ 2 + (a.n - b.n) ^ 2) end
  local d1 = dist(pts[1], pts[2])
  local ctrl = {{e = -d1 * sin(startTail), n = -d1 * cos(startTail)}}
  for _, p in ipairs(pts) do ctrl[#ctrl + 1] = p end
  local last, before = pts[#pts], pts[#pts - 1]
  local dl = dist(before, last)
  local tail = finalTail or dir_of(last.e - before.e, last.n - before.n)
  ctrl[#ctrl + 1] = {e = last.e + dl * sin(tail), n = last.n + dl * cos(tail)}
  -- Each piece of the spline is traced finely, then cut into pieces of
  -- about SMOOTH_STEP metres along its length, ending on the clicked point.
  local out = {}
  for i = 2, #ctrl - 2 do
    local p0, p1, p2, p3 = ctrl[i - 1], ctrl[i], ctrl[i + 1], ctrl[i + 2]
    local function at(a, b, c, d, t)
      local t2, t3 = t * t, t * t * t
      return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3)
    end
    local fine, lens = {p1}, {0}
    local n = math.max(8, math.ceil(dist(p1, p2) * 20))
    for k = 1, n do
      local q = {e = at(p0.e, p1.e, p2.e, p3.e, k / n), n = at(p0.n, p1.n, p2.n, p3.n, k / n)}
      lens[#lens + 1] = lens[#lens] + dist(fine[#fine], q)
      fine[#fine + 1] = q
    end
    local total = lens[#lens]
    local m = math.max(1, math.ceil(total / pushback.SMOOTH_STEP - 1e-9))
    local j = 2
    for k = 1, m - 1 do
      local want = total * k / m
      while lens[j] < want do j = j + 1 end
      local f = (want - lens[j - 1]) / math.max(lens[j] - lens[j - 1], 1e-12)
      out[#out + 1] = {e = fine[j - 1].e + f * (fine[j].e - fine[j - 1].e),
                       n = fine[j - 1].n + f * (fine[j].n - fine[j - 1].n)}
    end
    out[#out + 1] = {e = p2.e, n = p2.n}
  end
  return out
end

-- The plan of a page for pushback.run: points relative to where the
-- aircraft stands, smoothed into a path.
local function plan_from_scene(aircraft, scene)
  if type(scene) ~= "table" or type(scene.points) ~= "table" then return nil, "no plan" end
  local radius = planet_radius()
  local lng0, lat0, hdg0 = aircraft:get_surfacepos()
  local points = {}
  for i, p in ipairs(scene.points) do
    if type(p) ~= "table" or type(p.lng) ~= "number" or type(p.lat) ~= "number" then
      return nil, "plan point " .. i .. " has no position"
    end
    points[i] = {e = wrap(p.lng - lng0) * cos(lat0) * radius, n = (p.lat - lat0) * radius}
  end
  local finalTail = type(scene.heading) == "number" and wrap(rad(scene.heading) + pi) or nil
  points = pushback.smooth(points, wrap(hdg0 + pi), finalTail)
  return {points = points, heading = scene.heading, speed = scene.speed, progress = scene.progress}
end

-- What the push would do: {aircraft = name, sweep = {{lng=, lat=, hdg=}, ...}
-- (the aircraft's poses as the controller foresees them), errPos, errHdg,
-- maxTowbar (degrees), distance}, or nil and the reason the push would be
-- refused.
function pushback.preview(tractor, scene)
  local aircraft, why = pushback.aircraft_for(tractor)
  if not aircraft then return nil, why end
  local plan
  plan, why = plan_from_scene(aircraft, scene)
  if not plan then return nil, why end
  local c
  c, why = prepare(tractor, aircraft, plan)
  if not c then return nil, why end
  local b1, b2 = 0, 0
  if c.coupled then
    b1, b2 = articulation(tractor, vessel.get_interface(tractor:get_name() .. "_Towbar"), aircraft)
  end
  local poses = {}
  c.F.seg = 1
  pushback.dry_run(c.F, {e = 0, n = 0, hdg = c.hdg0}, b1, b2, poses)
  local sweep = {}
  for i, p in ipairs(poses) do
    sweep[i] = {lng = c.lng0 + p.e / (c.radius * cos(c.lat0)), lat = c.lat0 + p.n / c.radius, hdg = p.hdg}
  end
  return {aircraft = aircraft:get_name(), sweep = sweep, errPos = c.dry.errPos, errHdg = c.dry.errHdg,
          maxTowbar = deg(c.dry.maxTowbar), distance = c.dry.distance}
end

-- The push itself, as the body of a runner's coroutine: progress (a table)
-- is kept up to date as pushback.run keeps it.
function pushback.run_scene(tractor, scene, progress)
  local aircraft, why = pushback.aircraft_for(tractor)
  if aircraft then
    progress.aircraft = aircraft:get_name()
    local plan
    plan, why = plan_from_scene(aircraft, scene)
    if plan then
      plan.progress = progress
      return pushback.run(tractor, aircraft, plan)
    end
  end
  progress.phase, progress.reason = "failed", why
  return nil, why
end

-- Stops a push at once: accelerator off, steering centred, parking brake
-- set (the driver releases it to drive on).
function pushback.abort(tractor)
  if not tractor or not tractor.lights then return end
  tractor:set_thrustergrouplevel(THGROUP.MAIN, 0)
  tractor:set_controlsurfacelevel(AIRCTRL.RUDDER, 0)
  tractor:set_wheelbrakelevel(0)
  tractor:lights(-1, -1, 1)
end

return pushback
