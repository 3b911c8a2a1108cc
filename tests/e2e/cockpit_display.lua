-- args: --quiet
-- The status display and its soft keys: what the display reads in each
-- coupling state, and that the keys under its labels do what the labels say.
local function check(cond, msg) if not cond then error(msg, 2) end end
local function same(got, want)
  if #got ~= #want then return false end
  for i = 1, #want do if got[i] ~= want[i] then return false end end
  return true
end
local function show(t) return "{" .. table.concat(t, "; ") .. "}" end
local function expect_display(want, what)
  proc.skip()
  local got = oapi.vc_text(3)
  check(same(got, want), what .. ": display reads " .. show(got) .. ", wanted " .. show(want))
end
local function key(id)
  check(oapi.vc_click(id, PANEL_MOUSE.LBDOWN, 0.5, 0.5), "display key " .. id)
  oapi.vc_click(id, PANEL_MOUSE.LBUP, 0.5, 0.5)
end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
-- An airliner facing the tractor, its tow point within reach of the front hitch.
check(oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = 21.5, hdg = 180}), "airliner created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
check(oapi.vc_enter(0), "left seat")

-- Engine off: only START, whatever key; each key starts the engine and does nothing else.
expect_display({"START"}, "engine off")
key(13)
check(tug:mode() == 0, "starting the engine couples nothing")
expect_display({"Attach Towbar to", "Front  |  Back"}, "engine running, nothing coupled")

-- Keys 11 and 14 have no label: nothing happens.
key(11)
key(14)
check(tug:mode() == 0, "keys 11 and 14 do nothing")

-- Front: towbar, vessel, release the vessel, couple again, release all.
key(12)
check(tug:mode() == 1, "key 12 couples the towbar at the front")
expect_display({"Towbar Attached to: Front", "Attach Vessel to | Detach Towbar", "Front  |  Front"}, "towbar front")
key(12)
check(tug:mode() == 2, "key 12 couples the airliner")
check(tug:get_attached(tug:attachIndex(-2)) == "Jet", "the airliner hangs on the front hitch")
expect_display({"Towbar Attached to: Front", "Vessel Attached:Jet", "Detach Vessel | Detach Towbar",
  "Front  |  Front"}, "airliner at the front")
key(12)
check(tug:mode() == 1, "key 12 releases the airliner")
check(tug:get_attached(tug:attachIndex(-2)) == nil, "front hitch empty")
key(12)
check(tug:mode() == 2, "coupled again")
key(13)
check(tug:mode() == 0, "key 13 releases airliner and towbar")
check(tug:get_attached(tug:attachIndex(-2)) == nil and tug:get_attached(tug:attachIndex(-1)) == nil,
  "nothing left on the front")
expect_display({"Attach Towbar to", "Front  |  Back"}, "all released")

-- Rear: towbar only, then release it.
key(13)
check(tug:mode() == -1, "key 13 couples the towbar at the back")
expect_display({"Towbar Attached to: Rear", "Attach Vessel to | Detach Towbar", "Back  |  Back"}, "towbar rear")
key(12)
check(tug:mode() == -1, "no vessel behind: nothing coupled")
key(13)
check(tug:mode() == 0, "key 13 releases the rear towbar")

-- Realism mode: the soft keys still couple the airliner and the display follows.
oapi.vc_click(9, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
key(12)
key(12)
check(tug:mode() == 2, "realism mode: key 12 couples the airliner and the state follows")
check(tug:get_attached(tug:attachIndex(-2)) == "Jet", "realism mode: the airliner is on the hitch")
expect_display({"Towbar Attached to: Front", "Vessel Attached:Jet", "Detach Vessel | Detach Towbar",
  "Front  |  Front"}, "realism mode, airliner at the front")
key(12)
check(tug:mode() == 1, "realism mode: key 12 releases it and the state follows")
check(tug:get_attached(tug:attachIndex(-2)) == nil, "realism mode: hitch empty")
