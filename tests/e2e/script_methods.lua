-- args: --quiet
-- The tractor's own Lua methods: getters, setters and their argument rules.
local function check(cond, msg) if not cond then error(msg, 2) end end
local function near(a, b) return a ~= nil and math.abs(a - b) < 1e-9 end

-- Lamps by registration order: roof strobes 0 and 1, tail lamps 2 and 3, head lamps 10 and 11.
local STROBE, TAIL, HEADLAMP = 0, 2, 10
local ANIM_GEAR_INDICATOR, ANIM_BRAKE_PEDAL = 11, 13

local tug = oapi.create_vessel("Tug", "KVQ_R7700", {lng = -80.6758, lat = 28.5227, hdg = 270})
check(tug, "tractor created")
oapi.set_focus("Tug")
oapi.set_visual("Tug", true)
check(oapi.vc_enter(0), "left seat")
proc.skip()

-- Getters.
check(tug:speed() == 0, "standing still")
check(tug:mode() == 0, "nothing coupled")
check(near(tug:getFuel(), 176.8), "full tank")
-- Generic vessel methods stay reachable through the class's own table.
check(tug:get_name() == "Tug" and tug:get_classname() == "KVQ_R7700", "generic methods reachable")

-- lights(1): missing arguments read 0: lamps on, strobes off, parking brake released.
tug:lights(-1, -1, 1)
tug:lights(1)
check(tug:get_beacon(HEADLAMP) and tug:get_beacon(HEADLAMP + 1), "head lamps on")
check(tug:get_beacon(TAIL) and tug:get_beacon(TAIL + 1), "tail lamps on")
check(not tug:get_beacon(STROBE) and not tug:get_beacon(STROBE + 1), "strobes off")
tug:set_wheelbrakelevel(1, 0)
proc.skip()
check(tug:get_animation(ANIM_BRAKE_PEDAL) > 0, "parking brake released: the pedal follows the wheel brake")
-- lights(1, -1, -1) changes only the lamps.
tug:lights(-1, 1, 1)
tug:lights(0, -1, -1)
check(not tug:get_beacon(HEADLAMP), "head lamps off")
check(tug:get_beacon(STROBE), "strobes untouched")
proc.skip()
check(near(tug:get_animation(ANIM_BRAKE_PEDAL), 0), "parking brake untouched (still set)")
-- Asking for the state that is already set keeps it.
tug:lights(0, 1, -1)
tug:lights(0, 1, -1)
check(not tug:get_beacon(HEADLAMP) and tug:get_beacon(STROBE), "same state twice")
tug:lights(1, -1, -1)
tug:lights(1, -1, -1)
check(tug:get_beacon(HEADLAMP), "lamps on twice stay on")
-- Values other than 0 and 1 change nothing.
tug:lights(2, 7, -3)
check(tug:get_beacon(HEADLAMP) and tug:get_beacon(STROBE), "out-of-range values ignored")
tug:lights(-1, -1, 0)
tug:set_wheelbrakelevel(0, 0)

-- attachIndex: negative codes are the front points.
check(tug:attachIndex(-2) == 0, "front vessel hitch")
check(tug:attachIndex(2) == 1, "rear vessel hitch")
check(tug:attachIndex(-1) == 2, "front towbar mount")
check(tug:attachIndex(1) == 3, "rear towbar mount")
check(tug:attachIndex(0) == -1 and tug:attachIndex() == -1 and tug:attachIndex(3) == -1, "no such point")

-- transmission: only -1..2; the gear indicator shows the selector.
local function indicator() proc.skip() return tug:get_animation(ANIM_GEAR_INDICATOR) end
tug:transmission(2)
check(near(indicator(), 1.0), "selector 2")
tug:transmission(3)
check(near(indicator(), 1.0), "3 is ignored")
tug:transmission(-2)
check(near(indicator(), 1.0), "-2 is ignored")
tug:transmission("x")
check(near(indicator(), 0.33333), "a non-number reads 0: neutral")
tug:transmission(-1)
check(near(indicator(), 0.0), "reverse")

-- starter: 0 or 1 only; the display shows START while the engine is off.
local function display() proc.skip() return oapi.vc_text(3)[1] end
check(display() == "START", "engine off")
tug:starter(5)
check(display() == "START", "5 is ignored")
tug:starter(1)
check(display() == "Attach Towbar to", "engine on")
tug:starter(0)
check(display() == "START", "engine off again")

-- Shifting while rolling: forward, then reverse at once.
tug:lights(-1, -1, 0)
tug:starter(1)
tug:transmission(1)
tug:set_thrustergrouplevel(THGROUP.MAIN, 1)
proc.wait_simdt(3)
check(tug:speed() > 0, "rolling forward")
tug:transmission(-1)
check(near(indicator(), 0.0), "reverse selected while rolling")
tug:set_thrustergrouplevel(THGROUP.MAIN, 0)

-- refuel works also while rolling.
check(tug:speed() ~= 0, "still rolling")
tug:refuel()
check(near(tug:getFuel(), 176.8), "refuelled")
