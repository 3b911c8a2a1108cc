-- More than a hundred tractors, some deleted: each keeps its own airlock.
-- A member sent out appears at the tractor he left, one walking into an
-- airlock comes aboard that tractor, and the others go on scanning for
-- arrivals after the last-created tractor is gone.
local function check(cond, msg) if not cond then error(msg, 2) end end
local function distance(a, b)
  local ax, ay, az = a:get_globalpos()
  local bx, by, bz = b:get_globalpos()
  return math.sqrt((ax - bx) ^ 2 + (ay - by) ^ 2 + (az - bz) ^ 2)
end

local COUNT = 105
local tugs = {}
for i = 1, COUNT do
  local name = ("T%03d"):format(i)
  local st = i == 1 and {lng = -80.6758, lat = 28.5227, hdg = 0} or {ref = "T001", x = 40 * (i - 1), z = 0, hdg = 0}
  tugs[i] = oapi.create_vessel(name, "KVQ_R7700", st)
  check(tugs[i], "tractor " .. name)
end
proc.skip()

-- Sends out T<i>'s engineer; returns the crew vessel that appeared.
local function eva(i)
  local before = vessel.get_count()
  oapi.set_focus(tugs[i]:get_name())
  tugs[i]:send_bufferedkey(OAPI_KEY.E)
  check(vessel.get_count() == before + 1, "an engineer left T" .. i)
  return vessel.get_interface(vessel.get_count() - 1)
end

local walker = eva(101)
check(walker:get_classname() == "UMmu", "a crew vessel")
check(distance(walker, tugs[101]) < 10, "he stands at the 101st tractor, not " .. distance(walker, tugs[101]) .. " m off")

-- Into the last-created tractor's airlock: aboard that one.
local mass = tugs[105]:get_emptymass()
local name = walker:get_name()
check(walker:walk_to("T105", 0, 0, 3.5), "walk_to")
proc.wait_simdt(0.5)
check(vessel.get_interface(name) == nil, "taken in")
check(tugs[105]:get_emptymass() == mass + 74, "aboard the 105th")
check(oapi.get_focus() == "T105", "the focus on the 105th, not " .. oapi.get_focus())

-- The last-created tractor and one in the middle gone: the others' arrival
-- scans go on, and a member sent out still appears at his own tractor.
check(oapi.delete_vessel("T105") and oapi.delete_vessel("T050"), "deleted")
local w104 = eva(104)
proc.wait_simdt(1)
check(distance(w104, tugs[104]) < 10, "he stands at the 104th tractor")
mass = tugs[103]:get_emptymass()
check(w104:walk_to("T103", 0, 0, 3.5))
proc.wait_simdt(0.5)
check(tugs[103]:get_emptymass() == mass + 74, "aboard the 103rd")
check(oapi.get_focus() == "T103")
