-- args: ${ROOT}/Examples/pushback.scn
-- The shipped example, as kvqsim runs it by default: the planned pushback
-- puts the airliner on the taxi line, and the tractor leaves airliner and
-- towbar there and drives away.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
local check = cases.check

local root = package.path:match("([^;]*)/Script/%?%.lua")
local jet, tug = vessel.get_interface("Jet"), vessel.get_interface("Tug")
local lng0, lat0 = jet:get_surfacepos()
local example = assert(loadfile(root .. "/Examples/pushback.lua"))
example()

-- On the taxi line: 30 m back, then a quarter turn of 35 m, facing south.
local e, n, hdg = cases.offset(jet, lng0, lat0)
check(math.sqrt((e + 65) ^ 2 + (n - 35) ^ 2) < 1.0, string.format("on the taxi line: %.2f %.2f", e, n))
check(math.abs(math.deg(hdg) - 180) < 2, "facing along the taxi line: " .. math.deg(hdg))
check(jet:get_parent() == nil, "the airliner is released")
local bar = vessel.get_interface("Tug_Towbar")
check(bar and bar:get_parent() == nil, "the towbar lies free")
check(tug:mode() == 0 and tug:speed() == 0, "the tractor is uncoupled and has stopped")
local te, tn = cases.offset(tug, lng0, lat0)
check(math.sqrt((te - e) ^ 2 + (tn - n) ^ 2) > 25, "the tractor has driven away")
check(type(plot_path) == "table" and #plot_path > 60, "the planned path is there for the plot")
