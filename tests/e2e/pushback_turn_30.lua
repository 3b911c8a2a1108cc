-- args: --dt 0.0333333333
-- Planned pushback at 1/30 s steps: 30 m straight, then a 90-degree turn to
-- the left of 35 m radius, ending within 1 m of the last
-- point and 2 degrees of the final heading, with no jackknife.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
cases.push({{"s", 30}, {"t", -90, 35}}, 0.0333333333)
