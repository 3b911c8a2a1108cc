-- The shipped example: a pushback from stand 12.
proc.wait_simdt(5)
