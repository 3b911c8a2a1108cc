-- Vessels through the runner: creation (absolute and relative to another
-- vessel), the generic methods, deletion and the deleted vessel's userdata.

local R = oapi.get_size("Earth")
local function near(a, b, tol, what)
  assert(type(a) == "number" and math.abs(a - b) <= tol, what .. ": got " .. tostring(a) .. ", want " .. b)
end

local a = oapi.create_vessel("A", "Airliner", {lng = -80.6758, lat = 28.5227, hdg = -90})
assert(a, "create_vessel failed")
assert(a:get_name() == "A" and a:get_classname() == "Airliner")
local lng, lat, hdg = a:get_surfacepos()
near(lng, math.rad(-80.6758), 1e-9, "longitude")
near(lat, math.rad(28.5227), 1e-9, "latitude")
near(hdg, math.rad(270), 1e-9, "heading wraps into 0..2pi")
near(a:get_emptymass(), 40000, 1e-6, "empty mass")
local x, y, z = a:get_globalpos()
near(math.sqrt(x * x + y * y + z * z), R, 20, "global position on the surface")
assert(vessel.get_count() == 1 and oapi.get_focus() ~= "B")

-- 50 m ahead of A, facing it.
local b = oapi.create_vessel("B", "Airliner", {ref = "A", x = 0, z = 50, hdg = 180})
assert(b and b:get_name() == "B")
local blng, blat, bhdg = b:get_surfacepos()
local east = (blng - lng) * math.cos(lat) * R
local north = (blat - lat) * R
near(east, -50, 0.01, "B lies 50 m west of A (A faces west)")
near(north, 0, 0.01, "B is level with A")
near(bhdg, math.rad(90), 1e-9, "B faces east")
-- 10 m to A's right: north of a west-facing vessel.
local c = oapi.create_vessel("C", "Airliner", {ref = "A", x = 10, z = 0, hdg = 0})
local clng, clat = c:get_surfacepos()
near((clat - lat) * R, 10, 0.01, "C lies 10 m north of A")
near((clng - lng) * math.cos(lat) * R, 0, 0.01, "C is abeam A")

-- Failures come back as nil and a message.
local none, msg = oapi.create_vessel("D", "NoSuchClass", {lng = 0, lat = 0, hdg = 0})
assert(none == nil and type(msg) == "string" and msg:find("NoSuchClass", 1, true), tostring(msg))
none, msg = oapi.create_vessel("D", "Airliner", {ref = "Nobody", x = 0, z = 0})
assert(none == nil and msg:find("Nobody", 1, true))

-- Lookup by index (creation order) and name.
assert(vessel.get_count() == 3)
assert(vessel.get_interface(0):get_name() == "A")
assert(vessel.get_interface(2):get_name() == "C")
assert(vessel.get_interface("B"):get_name() == "B")
assert(vessel.get_interface(3) == nil and vessel.get_interface(-1) == nil and vessel.get_interface(0.5) == nil)

-- Generic vessels carry the host's metatable.
assert(getmetatable(a) == debug.getregistry()["VESSEL.vtable"])
local vtable = debug.getregistry()["VESSEL.vtable"]
assert(type(vtable.get_name) == "function" and vtable.__index == vtable)

-- Attachments of the sample airliner: one to-parent point, no children.
assert(a:get_attachmentcount(true) == 1 and a:get_attachmentcount(false) == 0)
assert(a:get_attached(0) == nil and a:get_parent() == nil)
assert(a:get_beacon(0) == nil)

-- Controls.
a:set_wheelbrakelevel(1)
a:set_wheelbrakelevel(0.5, 1)
a:set_controlsurfacelevel(AIRCTRL.RUDDER, 0.5)
a:set_attitudemode(1)
assert(type(a:get_attitudemode()) == "number")
assert(a:get_thrustergrouplevel(999) == nil, "an id outside the groups reads nil")

-- Focus.
assert(oapi.set_focus("B") == true and oapi.get_focus() == "B")

-- Deleting B: its userdata stays but reaches nothing.
proc.skip()
assert(oapi.delete_vessel("B") == true)
assert(oapi.delete_vessel("B") == false)
assert(b:get_name() == nil and b:get_classname() == nil and b:get_surfacepos() == nil)
assert(b:get_globalpos() == nil and b:get_emptymass() == nil)
assert(b:send_bufferedkey(OAPI_KEY.D) == nil)
b:set_wheelbrakelevel(1)
assert(vessel.get_count() == 2 and vessel.get_interface(1):get_name() == "C")
assert(vessel.get_interface("B") == nil)
-- A new vessel of the same name is a vessel of its own.
local b2 = oapi.create_vessel("B", "Airliner", {lng = -80.6758, lat = 28.5230, hdg = 0})
assert(b2:get_name() == "B" and b:get_name() == nil)

-- Frames keep landed vessels where they are.
local lng1, lat1 = a:get_surfacepos()
proc.wait_simdt(1)
local lng2, lat2 = a:get_surfacepos()
near((lng2 - lng1) * R, 0, 1e-6, "A stays put")
near((lat2 - lat1) * R, 0, 1e-6, "A stays put")

-- Saving from a script.
assert(oapi.save_scenario("vessels_saved.scn") == true)
local f = assert(io.open("vessels_saved.scn"))
local text = f:read("*a")
f:close()
assert(text:find("A:Airliner", 1, true) and text:find("C:Airliner", 1, true) and text:find("B:Airliner", 1, true))

-- A name the saved scene could not carry back is refused, naming what is
-- wrong, and nothing is created; so are coordinates that are not numbers.
local count = vessel.get_count()
for name, why in pairs({["a b"] = "blank", ["a\tb"] = "blank", ["a:b"] = "':'", [";ab"] = "';'",
                        ["a\1b"] = "control character", [""] = "needs a name",
                        [string.rep("n", 201)] = "longer than 200"}) do
  local v, message = oapi.create_vessel(name, "Airliner", {lng = 0, lat = 0, hdg = 0})
  assert(v == nil and message:find(why, 1, true), string.format("%q: %s", name, tostring(message)))
end
assert(oapi.create_vessel(string.rep("n", 200), "Airliner", {lng = 0, lat = 0, hdg = 0}), "200 characters fit")
for _, st in ipairs({{lng = 0 / 0, lat = 0}, {lng = 0, lat = math.huge}, {lng = 0, lat = 0, hdg = -math.huge},
                     {ref = "A", x = 0 / 0, z = 0}}) do
  local v, message = oapi.create_vessel("Bad", "Airliner", st)
  assert(v == nil and message:find("must be a finite number", 1, true), tostring(message))
end
assert(vessel.get_count() == count + 1)
