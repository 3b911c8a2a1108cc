// The tractor's own scenario lines: driving state and towing geometry.
#pragma once

#include "host/types.h"

class KVQ_R7700;

void SaveTractorState(KVQ_R7700& v, FILEHANDLE scn);
void LoadTractorState(KVQ_R7700& v, FILEHANDLE scn, void* status);
// Handles one line of the vessel's block; true when it was one of the
// tractor's own four items.
bool ReadTractorLine(KVQ_R7700& v, const char* line);

// Reads values from text the way a scanf conversion list of "%i" and "%lf"
// items does: blanks skipped before each value, integers in decimal, octal
// (leading 0) or hexadecimal (0x), and stops at the first value that does not
// convert. Returns how many values were stored. Integers out of the int range,
// numbers that are not finite and numbers beyond 1e15 in magnitude (too long
// for a saved line) do not convert.
int ScanValues(const char* text, const char* kinds, int* ints[], double* doubles[]);
