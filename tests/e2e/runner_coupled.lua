-- args: ${SRC}/tests/e2e/runner_coupled.scn --until 5
-- A coupling restored from the scenario, as scripts see it: parent and
-- child names, and the child's surface position where it is carried.
local tug, jet = vessel.get_interface("Tug"), vessel.get_interface("Jet")
assert(jet:get_parent() == "Tug", tostring(jet:get_parent()))
assert(tug:get_parent() == nil)
assert(tug:get_attached(0) == "Jet", tostring(tug:get_attached(0)))
assert(tug:get_attached(1) == nil and tug:get_attached(99) == nil)
assert(tug:get_attachmentcount(false) >= 2 and jet:get_attachmentcount(true) == 1)
proc.skip()
-- Carried: the airliner faces the tractor, heading within 0..2pi.
local _, _, th = tug:get_surfacepos()
local _, _, jh = jet:get_surfacepos()
assert(jh >= 0 and jh < 2 * math.pi)
local diff = math.abs(((jh - th) % (2 * math.pi)) - math.pi)
assert(diff < 1e-3, "the airliner faces the tractor: " .. math.deg(jh) .. " vs " .. math.deg(th))
