// Module-wide crew state shared by every vessel of the class: the instance
// counter, the add-on version and the suit mesh of the next crew vessel.
#pragma once

constexpr int MAX_INSTANCE_INDEX = 99;
constexpr float CREW_ADDON_MIN_VERSION = 2.0f;
constexpr const char* CREW_VERSION_FILE = "meshes\\UMmu\\ver.dtf";

int& CrewInstanceCounter();
// The installed add-on's version, cached once read; -1 while the file is
// missing (read again on the next call).
float ReadCrewAddonVersion();
// Forgets the cached version (tests only).
void ResetCrewAddonVersionCache();
