-- Key 4 runs the three input boxes; the new member is on the saved roster,
-- in a line that reads back: the dash typed in the code is left out.
local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
assert(tug, "no tractor")
oapi.set_focus("Tug")
proc.skip()

tug:send_bufferedkey(OAPI_KEY.K4)
proc.skip()
assert(oapi.inputbox_title() == "Enter new crew's name (or escape)", tostring(oapi.inputbox_title()))
assert(not oapi.inputbox_enter("Z"), "a one-letter name is refused")
assert(oapi.inputbox_enter("Zoe Park"))
proc.skip()
assert(oapi.inputbox_title() == "Enter crew's age")
assert(oapi.inputbox_enter("4294967300"))
proc.skip()
assert(oapi.inputbox_title() == "Enter function (Capt,Sec,Vip,Sci,Doc,Tech,Crew,Pax)")
assert(oapi.inputbox_enter("a-b"))
proc.skip()

-- The tractor has two seats: a second new member does not fit.
tug:send_bufferedkey(OAPI_KEY.K4)
proc.skip()
assert(oapi.inputbox_enter("Al Extra"))
proc.skip()
assert(oapi.inputbox_enter("30"))
proc.skip()
assert(oapi.inputbox_enter("Pax"))
proc.skip()

local path = "crew_add_dialogue.scn"
assert(oapi.save_scenario(path))
local text = io.open(path):read("*a")
assert(text:find("UMMUCREW ab-Zoe_Park-100-70-70", 1, true), "the age is clamped to 100:\n" .. text)
assert(not text:find("Al_Extra", 1, true), "nobody beyond the seats")
