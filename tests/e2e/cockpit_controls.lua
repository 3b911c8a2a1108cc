-- args: --quiet
-- Levers, switches, the knob and the push buttons, clicked from the left seat
-- and read back from the cab's animations and the lamps.
local function check(cond, msg) if not cond then error(msg, 2) end end
local function near(a, b) return a ~= nil and math.abs(a - b) < 1e-9 end

-- Animation ids in creation order: steering 0-3, wheels 4-7, then the cab.
local ANIM = {gearIndicator = 11, brakePedal = 13, steeringWheel = 14, parkingBrake = 15, gearLever = 16,
  beaconSwitch = 17, lightSwitch = 18, realismSwitch = 19, steerModeSwitch = 20, refuelButton = 21,
  displayKey = {22, 23, 24, 25}}
-- Lamps by registration order: roof strobes 0 and 1, head lamps 10 and 11.
local STROBE, HEADLAMP = 0, 10

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
check(oapi.vc_enter(0), "left seat")
proc.skip()

-- Gear lever bands, lower edges included; the lever pose follows on its redraw,
-- the gear indicator on the next frame.
local bands = {{0.0, 0, 0.0, 0.33333}, {0.12, -1, 0.25, 0.0}, {0.4699, -1, 0.25, 0.0}, {0.47, 1, 0.7, 0.66666},
  {0.85, 2, 1.0, 1.0}, {1.0, 2, 1.0, 1.0}, {0.1199, 0, 0.0, 0.33333}}
for _, b in ipairs(bands) do
  check(oapi.vc_click(6, PANEL_MOUSE.LBPRESSED, 0.5, b[1]), "gear lever click")
  check(near(tug:get_animation(ANIM.gearLever), b[3]), "gear lever pose at y = " .. b[1])
  proc.skip()
  check(near(tug:get_animation(ANIM.gearIndicator), b[4]), "gear indicator at y = " .. b[1])
end

-- Parking brake lever: each click flips it, the lever follows.
check(near(tug:get_animation(ANIM.parkingBrake), 0) or tug:get_animation(ANIM.parkingBrake) == 0, "brake off")
oapi.vc_click(5, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(near(tug:get_animation(ANIM.parkingBrake), 1), "parking brake set")
-- With the parking brake set the brake pedal stays up whatever the wheel brake.
tug:set_wheelbrakelevel(1, 0)
proc.skip()
check(near(tug:get_animation(ANIM.brakePedal), 0), "pedal up under the parking brake")
oapi.vc_click(5, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(near(tug:get_animation(ANIM.parkingBrake), 0), "parking brake released")
proc.skip()
check(tug:get_animation(ANIM.brakePedal) > 0, "pedal follows the wheel brake once released")
tug:set_wheelbrakelevel(0, 0)

-- Light switch: head lamps on, switch down; again: off.
check(not tug:get_beacon(HEADLAMP), "head lamps start off")
oapi.vc_click(7, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(tug:get_beacon(HEADLAMP) and tug:get_beacon(HEADLAMP + 1), "head lamps on")
check(near(tug:get_animation(ANIM.lightSwitch), 1), "light switch on")
oapi.vc_click(7, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(not tug:get_beacon(HEADLAMP), "head lamps off again")
check(near(tug:get_animation(ANIM.lightSwitch), 0), "light switch off")

-- Beacon switch: the strobes start on.
check(tug:get_beacon(STROBE), "strobes start on")
oapi.vc_click(8, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(not tug:get_beacon(STROBE) and not tug:get_beacon(STROBE + 1), "strobes off")
check(near(tug:get_animation(ANIM.beaconSwitch), 0), "beacon switch off")

-- Realism switch flips the mode both ways.
local before = tug:get_animation(ANIM.realismSwitch)
oapi.vc_click(9, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
local after = tug:get_animation(ANIM.realismSwitch)
check((near(before, 0) and near(after, 1)) or (near(before, 1) and near(after, 0)), "realism switch flips")
oapi.vc_click(9, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(near(tug:get_animation(ANIM.realismSwitch), before), "realism switch back")

-- Steering-mode knob: left steps up to 2, right down to 0, no further.
tug:set_attitudemode(0)
oapi.vc_click(15, PANEL_MOUSE.RBDOWN, 0.5, 0.5)
check(tug:get_attitudemode() == 0, "right click in mode 0 stays 0")
oapi.vc_click(15, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(tug:get_attitudemode() == 1, "left click 0 -> 1")
proc.skip()
check(near(tug:get_animation(ANIM.steerModeSwitch), 0.5), "knob at all-wheel steering")
oapi.vc_click(15, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
oapi.vc_click(15, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(tug:get_attitudemode() == 2, "left click in mode 2 stays 2")
proc.skip()
check(near(tug:get_animation(ANIM.steerModeSwitch), 1), "knob at crab steering")
oapi.vc_click(15, PANEL_MOUSE.RBDOWN, 0.5, 0.5)
check(tug:get_attitudemode() == 1, "right click 2 -> 1")

-- Push buttons go in on a press and spring back on the release.
oapi.vc_click(10, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
check(near(tug:get_animation(ANIM.refuelButton), 0), "refuel button in")
oapi.vc_click(10, PANEL_MOUSE.LBUP, 0.5, 0.5)
check(near(tug:get_animation(ANIM.refuelButton), 1), "refuel button out")
for k = 1, 4 do
  oapi.vc_click(10 + k, PANEL_MOUSE.LBDOWN, 0.5, 0.5)
  check(near(tug:get_animation(ANIM.displayKey[k]), 0), "display key " .. (10 + k) .. " in")
  oapi.vc_click(10 + k, PANEL_MOUSE.LBUP, 0.5, 0.5)
  check(near(tug:get_animation(ANIM.displayKey[k]), 1), "display key " .. (10 + k) .. " out")
end
