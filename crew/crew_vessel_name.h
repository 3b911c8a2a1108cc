// Names of crew vessels and the labels they carry ("code-name").
#pragma once

#include <cstddef>

constexpr const char* CREW_VESSEL_PREFIX = "UMmu_";
constexpr const char* TRANSFER_VESSEL_PREFIX = "UMmuT";
constexpr size_t CREW_VESSEL_NAME_MAX = 38;
constexpr int CREW_NAME_SUFFIX_MAX = 399;

// Spaces become "_"; while taken(name) holds, the digits 1, 2, ... up to 399
// are tried after it (the last try is kept when every one is taken). The
// name is cut so that the digits always fit.
void MakeCrewVesselName(char* name, size_t size, bool (*taken)(const char*));
// "Capt-Ann Lee" -> code "Capt", name "Ann Lee"; a label without "-" is all
// name. The name keeps at most 25 characters, the code at most 4.
void SplitCrewLabel(const char* label, char* code, size_t codeSize, char* name, size_t nameSize);
