-- args: --quiet
-- An airliner behind the tractor, coupled and released by the soft keys.
local function check(cond, msg) if not cond then error(msg, 2) end end
local function key(id)
  check(oapi.vc_click(id, PANEL_MOUSE.LBDOWN, 0.5, 0.5), "display key " .. id)
  oapi.vc_click(id, PANEL_MOUSE.LBUP, 0.5, 0.5)
end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
-- Facing the way the tractor faces, its nose tow point at the rear hitch.
check(oapi.create_vessel("Jet", "Airliner", {ref = "Tug", x = 0, z = -21.5, hdg = 0}), "airliner created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
check(oapi.vc_enter(1), "right seat")
tug:starter(1)

key(13)
check(tug:mode() == -1, "towbar at the back")
key(12)
check(tug:mode() == -2, "airliner at the back")
proc.skip()
local t = oapi.vc_text(3)
check(t[1] == "Towbar Attached to: Rear" and t[2] == "Vessel Attached:Jet", "rear status lines")
check(t[3] == "Detach Vessel | Detach Towbar" and t[4] == "Back  |  Back", "rear labels")
key(12)
check(tug:mode() == -1, "key 12 releases the airliner at the back")
key(12)
check(tug:mode() == -2, "coupled again")
key(13)
check(tug:mode() == 0, "key 13 releases airliner and towbar at the back")
check(tug:get_attached(tug:attachIndex(2)) == nil, "rear hitch empty")
