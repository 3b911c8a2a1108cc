-- The runner's Lua environment in an empty scene: names, constants, time
-- and waiting.

local function near(a, b, tol, what)
  assert(type(a) == "number" and math.abs(a - b) <= tol, what .. ": got " .. tostring(a) .. ", want " .. b)
end

-- Constants.
assert(OAPI_KEY.W == 0x11 and OAPI_KEY.S == 0x1F and OAPI_KEY.A == 0x1E and OAPI_KEY.D == 0x20)
assert(OAPI_KEY.K0 == 0x0B and OAPI_KEY.K1 == 0x02 and OAPI_KEY.K4 == 0x05 and OAPI_KEY.K9 == 0x0A)
assert(OAPI_KEY.LSHIFT == 0x2A and OAPI_KEY.RSHIFT == 0x36)
assert(OAPI_KEY.LCONTROL == 0x1D and OAPI_KEY.RCONTROL == 0x9D)
assert(OAPI_KEY.E == 0x12 and OAPI_KEY.P == 0x19 and OAPI_KEY.O == 0x18 and OAPI_KEY.Z == 0x2C)
assert(THGROUP.MAIN == 0 and AIRCTRL.RUDDER == 1)
assert(PANEL_MOUSE.LBDOWN == 1 and PANEL_MOUSE.RBDOWN == 2 and PANEL_MOUSE.LBUP == 4)
assert(PANEL_MOUSE.RBUP == 8 and PANEL_MOUSE.LBPRESSED == 16 and PANEL_MOUSE.RBPRESSED == 32)

-- Every library function is there.
for _, name in ipairs({"get_simtime", "get_simstep", "get_systime", "get_size", "get_debugstring",
                       "create_vessel", "delete_vessel", "get_focus", "set_focus", "save_scenario",
                       "inputbox_title", "inputbox_enter", "inputbox_cancel", "set_visual", "vc_enter",
                       "vc_click", "vc_text"}) do
  assert(type(oapi[name]) == "function", "oapi." .. name .. " missing")
end
assert(type(vessel.get_count) == "function" and type(vessel.get_interface) == "function")
assert(type(proc.skip) == "function" and type(proc.wait_simdt) == "function" and type(proc.wait_simtime) == "function")

-- The standard libraries are open, and the root's Script folder is searched.
assert(string.format("%d", 3) == "3" and math.floor(2.5) == 2 and type(io.open) == "function")
assert(package.path:find("/Script/?.lua", 1, true), "package.path lacks the Script folder")

-- An empty scene on Earth.
assert(vessel.get_count() == 0)
assert(vessel.get_interface(0) == nil and vessel.get_interface("Nobody") == nil)
assert(oapi.get_focus() == nil)
near(oapi.get_size("Earth"), 6371010, 1, "Earth's radius")
assert(oapi.get_size("Nobody") == nil)
assert(oapi.get_debugstring() == "")
assert(oapi.inputbox_title() == nil)
assert(oapi.delete_vessel("Nobody") == false)
assert(oapi.set_focus("Nobody") == false)

-- Time: the script starts before the first frame; frames run while it waits.
near(oapi.get_simtime(), 0, 1e-12, "start time")
near(oapi.get_simstep(), 1 / 60, 1e-9, "step")
local sys0 = oapi.get_systime()
proc.skip()
near(oapi.get_simtime(), 1 / 60, 1e-9, "time after one skip")
proc.wait_simdt(1)
near(oapi.get_simtime(), 1 + 1 / 60, 1e-9, "time after wait_simdt(1)")
proc.wait_simtime(2.5)
near(oapi.get_simtime(), 2.5, 1e-9, "time after wait_simtime(2.5)")
assert(oapi.get_systime() > sys0, "system time advances with the frames")
-- Waiting for a time already past returns at once.
local t = oapi.get_simtime()
proc.wait_simtime(1)
proc.wait_simdt(0)
assert(oapi.get_simtime() == t)
-- A wait that could never end is an error naming the function.
for _, case in ipairs({{"wait_simdt", 0 / 0}, {"wait_simdt", math.huge}, {"wait_simdt", -1},
                       {"wait_simtime", 0 / 0}, {"wait_simtime", math.huge}}) do
  local ok, message = pcall(proc[case[1]], case[2])
  assert(not ok and message:find("proc." .. case[1] .. "(", 1, true), tostring(message))
end
assert(oapi.get_simtime() == t)
