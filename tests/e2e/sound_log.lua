-- args: ${ROOT}/Examples/pushback.scn --sound-log sound.log --sound pushback.wav
-- The tractor's post-creation reaches the sound add-on: a sound id for the
-- tug, then its six slots, as the add-on's call log shows once the scenario
-- has loaded.
local f = assert(io.open("sound.log"))
local calls = {}
for line in f:lines() do calls[#calls + 1] = line end
f:close()

local dir = "Sound\\_CustomVesselsSounds\\KVQ_R7700\\"
local expected = {
  "0.000 GetVesselSoundID3 Tug",
  "0.000 LoadVesselWaveOBSound3 0 6 " .. dir .. "groundspeed.wav 1",
  "0.000 LoadVesselWaveOBSound3 0 8 " .. dir .. "clang.wav 2",
  "0.000 LoadVesselWaveOBSound3 0 9 " .. dir .. "screach.wav 2",
  "0.000 LoadVesselWaveOBSound3 0 10 " .. dir .. "blinker.wav 1",
  "0.000 LoadVesselWave3dOBSound4 0 2 " .. dir .. "low.wav 2 0 1 -1 0 1 -1 0",
  "0.000 Set3dWaveParametersOBSound4 0 2 0 1 -1 0 10 400 90 360 0 0 -1 240",
  "0.000 LoadVesselWave3dOBSound4 0 5 " .. dir .. "starter.wav 2 0 1 -1 0 1 -1 0",
  "0.000 Set3dWaveParametersOBSound4 0 5 0 1 -1 0 10 400 90 360 0 0 -1 240",
}
for i, line in ipairs(expected) do
  assert(calls[i] == line, ("call %d: %q, expected %q"):format(i, tostring(calls[i]), line))
end
assert(#calls == #expected, ("%d calls before the first frame"):format(#calls))

