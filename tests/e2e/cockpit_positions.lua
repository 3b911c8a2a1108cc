-- args: --quiet
-- The cab's four positions: the two seats carry every clickable area, the two
-- rear views none, and there is no fifth position.
local function check(cond, msg) if not cond then error(msg, 2) end end

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
proc.skip()

local clickable = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}
local events = {[5] = PANEL_MOUSE.LBDOWN, [6] = PANEL_MOUSE.LBPRESSED, [7] = PANEL_MOUSE.LBDOWN,
  [8] = PANEL_MOUSE.LBDOWN, [9] = PANEL_MOUSE.LBDOWN, [10] = PANEL_MOUSE.LBUP, [11] = PANEL_MOUSE.LBUP,
  [12] = PANEL_MOUSE.LBUP, [13] = PANEL_MOUSE.LBUP, [14] = PANEL_MOUSE.LBUP, [15] = PANEL_MOUSE.RBDOWN,
  [16] = PANEL_MOUSE.LBPRESSED, [17] = PANEL_MOUSE.LBPRESSED}

for _, pos in ipairs({2, 3}) do
  check(oapi.vc_enter(pos), "position " .. pos .. " is accepted")
  for _, area in ipairs(clickable) do
    check(not oapi.vc_click(area, events[area], 0.5, 0.5), "position " .. pos .. " has no area " .. area)
  end
end

check(not oapi.vc_enter(4), "there is no position 4")
check(not oapi.vc_enter(-1), "there is no position -1")

for _, pos in ipairs({0, 1}) do
  check(oapi.vc_enter(pos), "seat " .. pos .. " is accepted")
  for _, area in ipairs(clickable) do
    check(oapi.vc_click(area, events[area], 0.5, 0.5), "seat " .. pos .. " takes a click on area " .. area)
  end
  -- The gauges, pedals and display take no clicks; area 2 does not exist.
  for _, area in ipairs({1, 2, 3, 4}) do
    check(not oapi.vc_click(area, PANEL_MOUSE.LBDOWN, 0.5, 0.5), "area " .. area .. " takes no click")
  end
  -- The parking brake lever ignores a release; the knob ignores a held button.
  check(not oapi.vc_click(5, PANEL_MOUSE.LBUP, 0.5, 0.5), "the parking brake ignores a release")
  check(not oapi.vc_click(15, PANEL_MOUSE.LBPRESSED, 0.5, 0.5), "the knob ignores a held button")
end
