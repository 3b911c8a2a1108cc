-- args: --dt 0.0166666667
-- Planned pushback at 1/60 s steps: a straight pushback of 40 m, ending within 1 m of the last
-- point and 2 degrees of the final heading, with no jackknife.
package.path = debug.getinfo(1, "S").source:match("^@(.*)/[^/]*$") .. "/pushback_lib/?.lua;" .. package.path
local cases = require "cases"
cases.push({{"s", 40}}, 0.0166666667)
