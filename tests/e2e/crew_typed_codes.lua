-- What the add-crew dialogue stores comes back unchanged through save, load,
-- EVA and walk-in: an underscore in the code stays, and a ":" (which no saved
-- vessel name can carry) is left out when typed. A tractor deleted while its
-- input box is open is never written to: the text typed next goes nowhere.
local function check(cond, msg) if not cond then error(msg, 2) end end

local function addCrew(tug, name, age, code)
  tug:send_bufferedkey(OAPI_KEY.K4)
  proc.skip()
  check(oapi.inputbox_enter(name), "name " .. name)
  proc.skip()
  check(oapi.inputbox_enter(age), "age")
  proc.skip()
  check(oapi.inputbox_enter(code), "code")
  proc.skip()
end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 0})
check(tug, "no tractor")
oapi.set_focus("Tug")
proc.skip()
addCrew(tug, "Zoe Park", "30", "T_x:")

local function crewLines(path)
  check(oapi.save_scenario(path))
  local text = io.open(path):read("*a")
  local lines = {}
  for line in text:gmatch("UMMUCREW [^\n]*") do lines[#lines + 1] = line end
  return table.concat(lines, "\n"), text
end
local before = crewLines("typed_before.scn")
check(before == "UMMUCREW Eng-Peter_Holm-28-65-74\nUMMUCREW T_x-Zoe_Park-30-70-70", before)

-- Out on foot and back in: the crew vessel's name carries the code, and the
-- saved scene loads again.
tug:send_bufferedkey(OAPI_KEY.K1)
tug:send_bufferedkey(OAPI_KEY.E)
local walker = vessel.get_interface("UMmu_T_x-Zoe_Park")
check(walker, "Zoe is out on foot")
local _, outside = crewLines("typed_outside.scn")
check(outside:find("UMmu_T_x-Zoe_Park:UMmu", 1, true), outside)
check(walker:walk_to("Tug", 0, 0, 3.5))
proc.wait_simdt(0.5)
check(vessel.get_interface("UMmu_T_x-Zoe_Park") == nil, "taken in")
local after = crewLines("typed_after.scn")
check(after == before, "after the walk-in:\n" .. after)

-- The dialogue for a second tractor, which is deleted while its box is open.
local other = oapi.create_vessel("Other", "KVQ_R7700", {ref = "Tug", x = 20, z = 0, hdg = 0})
check(other, "no second tractor")
proc.skip()
other:send_bufferedkey(OAPI_KEY.K4)
proc.skip()
check(oapi.inputbox_title() == "Enter new crew's name (or escape)", tostring(oapi.inputbox_title()))
check(oapi.delete_vessel("Other"))
proc.skip()
check(oapi.inputbox_enter("Al Extra") == true, "the text is taken by nobody")
check(oapi.inputbox_title() == nil, "and the box closes")
proc.wait_simdt(0.5)
check(crewLines("typed_last.scn") == before, "nobody else changed")
