-- A vessel's script binding through the runner: clbkGeneric(1) once,
-- clbkGeneric(2) with the userdata on top each time the vessel reaches
-- Lua, the userdata's first word is the vessel, the vessel's own metatable
-- falls back to the generic methods, and nothing reaches a deleted vessel.
local p = oapi.create_vessel("P", "LuaProbe", {lng = 0, lat = 0, hdg = 0})
assert(p, "no probe vessel")
local interp, inst, firstWord, kept = p:probe()
assert(interp == 1, "message 1 once, got " .. tostring(interp))
assert(inst == 1 and firstWord and kept)
assert(getmetatable(p) == debug.getregistry()["LuaProbe.vtable"])
assert(p:get_name() == "P" and p:get_classname() == "LuaProbe", "generic methods through the fallback")

local again = vessel.get_interface("P")
assert(select(2, again:probe()) == 2)
vessel.get_interface(0)
interp, inst = p:probe()
assert(interp == 1 and inst == 3)

-- A second vessel of the class: the same tables, its own state.
local q = oapi.create_vessel("Q", "LuaProbe", {ref = "P", x = 5, z = 0, hdg = 0})
assert(getmetatable(q) == getmetatable(p))
assert(select(2, q:probe()) == 1)

proc.skip()
assert(oapi.delete_vessel("P"))
assert(p:probe() == nil and p:get_name() == nil)
assert(q:probe() == 1)

-- Runner options reach plug-ins by name, their paths made absolute (a
-- plug-in may open them while the process works in the root).
local function absolute_and_named(path, name)
  return path ~= name and (path:sub(-#name - 1) == "/" .. name or path:sub(-#name - 1) == "\\" .. name)
end
assert(absolute_and_named(q:option("sound-log"), "sounds.txt"), tostring(q:option("sound-log")))
assert(absolute_and_named(q:option("sound"), "mix.wav"), tostring(q:option("sound")))
assert(q:option("display") == nil)
assert(q:flightmodel() == 1, "--flight-model reaches ovcInit")

-- A bare coroutine.yield() waits one frame, as proc.skip() does.
local t = oapi.get_simtime()
coroutine.yield()
assert(math.abs(oapi.get_simtime() - t - oapi.get_simstep()) < 1e-12)

-- Generic methods on a vessel with a module: keys with held modifiers,
-- thruster levels, animations, beacons and the input box.
assert(q:send_bufferedkey(OAPI_KEY.D) == OAPI_KEY.D + 1000)
assert(q:send_bufferedkey(OAPI_KEY.D, OAPI_KEY.LSHIFT, OAPI_KEY.RCONTROL) == OAPI_KEY.D + 3000)
q:set_thrustergrouplevel(THGROUP.MAIN, 0.6)
assert(math.abs(q:get_thrustergrouplevel(THGROUP.MAIN) - 0.6) < 1e-12)
assert(q:get_animation(0) == 0.25 and q:get_beacon(0) == false and q:get_beacon(1) == nil)
q:send_bufferedkey(OAPI_KEY.B)
assert(q:get_animation(0) == 0.75 and q:get_beacon(0) == true)

assert(oapi.inputbox_title() == nil and oapi.inputbox_enter("x") == nil)
q:send_bufferedkey(OAPI_KEY.I)
assert(oapi.inputbox_title() == "Probe name")
assert(oapi.inputbox_enter("") == false and oapi.inputbox_title() == "Probe name", "refused: the box stays")
assert(oapi.inputbox_enter("Max") == true and oapi.inputbox_title() == nil)
q:send_bufferedkey(OAPI_KEY.I)
oapi.inputbox_cancel()
assert(oapi.inputbox_title() == nil)
